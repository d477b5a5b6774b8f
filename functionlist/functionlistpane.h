// CFunctionList: the "Code Function List" pane, listing the functions of the active document.
#pragma once

#include "functionlist/engine/functionlistworker.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QListWidget;
class QListWidgetItem;
class QsciScintillaBase;

namespace pw {

// The pane asks for a parse when a document's path or language changes (or on F9), after a quiet
// time; a worker thread parses a copy of the text and the list follows item by item, so an
// unchanged list does not flicker. A double click on a name asks the owner to move the caret
// there through jumpToLine.
class CFunctionList : public QWidget
{
    Q_OBJECT
public:
    // The refresh timer's identifier in the original resources.
    static constexpr int RefreshTimerId = 59600;
    // Quiet times before a parse: "Refresh Function List" (F9), a document load, a repaint.
    static constexpr int ForcedDelayMs = 10;
    static constexpr int LoadDelayMs = 10;
    static constexpr int PaintedDelayMs = 500;
    // Documents of this many bytes or more are not parsed.
    static constexpr qsizetype MaxDocumentBytes = 0x80000;
    // Item data of the "Language not supported" item.
    static constexpr int NotSupportedData = -1;

    // Gives the document's text when the quiet time ends (called on this pane's thread), or
    // nothing when the document is gone.
    using TextSource = std::function<std::optional<QByteArray>()>;

    // options bound each parse; the defaults suit real sources.
    explicit CFunctionList(QWidget *parent = nullptr, functionlist::ParseOptions options = {});
    ~CFunctionList() override;

    // A refresh request for the document at path with language number lexerId and length bytes.
    // With a number above 0 and a length under MaxDocumentBytes, a new path or number (or force)
    // (re)starts the quiet time of delayMs; otherwise a new path or number empties the list
    // without parsing. utf8 tells whether the text is UTF-8 (the editor's code page 65001) or
    // single bytes (Ansi documents).
    void requestRefresh(const QString &path, int lexerId, qsizetype length, bool force, int delayMs,
                        TextSource source, bool utf8 = true);
    // The same for an editor: its text is copied when the quiet time ends, and nothing happens if
    // the editor is gone by then.
    void requestRefresh(QsciScintillaBase *editor, const QString &path, int lexerId, bool force,
                        int delayMs);
    // The same with the text at hand.
    void requestRefresh(const QString &path, const QByteArray &text, int lexerId, bool force,
                        int delayMs, bool utf8 = true);

    // Names shown, in line order (what "Auto Complete" offers); empty while "Language not
    // supported" is shown.
    QStringList names() const;
    // The path (or other key) of the document whose names the list shows.
    QString shownPath() const { return m_shownPath; }
    // 0-based line of each name shown.
    QList<int> lines() const;
    bool isNotSupportedShown() const;
    QListWidget *listWidget() const { return m_list; }
    // A parse is waiting for its quiet time or running.
    bool isRefreshPending() const;
    // Status of the last parse whose result arrived.
    functionlist::ParseStatus lastStatus() const { return m_lastStatus; }

    // Selects the listed function that holds line (0-based), or clears the selection; no jump.
    void selectFunctionAt(int line);

signals:
    // The user double-clicked the name of a function starting on line (0-based).
    void jumpToLine(int line);
    // The list changed after a parse, or was emptied.
    void listUpdated();

private:
    struct Delivery
    {
        quint64 serial = 0;
        functionlist::ParseResult result;
    };

    Q_INVOKABLE void takeResult();
    void startParse();
    void applyResult(quint64 serial, functionlist::ParseResult result);
    void showNotSupported();
    void showEntries(const std::vector<functionlist::FunctionEntry> &entries);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QListWidget *m_list = nullptr;
    QTimer m_refreshTimer;
    QString m_path;
    int m_lexerId = 0;
    bool m_forced = false;
    bool m_utf8 = true;
    bool m_postedUtf8 = true; // code page of the text the worker has
    QString m_postedPath;     // the document the worker parses
    QString m_shownPath;      // the document the list shows
    TextSource m_source;
    quint64 m_expectedSerial = 0;
    bool m_awaitingResult = false;
    // Lines of the displayed entries: first line and last line of each body.
    std::vector<std::pair<int, int>> m_spans;
    functionlist::ParseStatus m_lastStatus = functionlist::ParseStatus::Complete;
    // The worker's latest result, waiting for this pane's thread.
    std::mutex m_mailboxLock;
    std::optional<Delivery> m_mailbox;
    std::unique_ptr<functionlist::FunctionListWorker> m_worker; // last: stopped first
};

} // namespace pw
