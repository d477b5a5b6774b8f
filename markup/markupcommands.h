// MarkupCommands: the HTML menu's Tidy clean-ups, the XML check and the Tidy option sheets.
#pragma once

#include "framework/commandtarget.h"
#include "markup/engine/tidyrunner.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QThread;

namespace pw {

class CMFCScintilla;
class CRidereDoc;
class CTidySheet;
class EditorHost;
class Progress;

// "HTML Clean & Repair" (1305), "XHTML Clean & Repair" (1306) and "XML Pretty Print" (1307)
// replace the active text with Tidy's output as one undoable step; "XML Well Formed Check"
// (1308) reports the first error; "Tidy Properties" (1302) and "XML Tidy Properties" (1309)
// open the option sheet on its first and third page. Reports go to whatever shows text for the
// program's tools (the Tool Window), replacing what it showed.
class MarkupCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    using OutputFn = std::function<void(const QString &text)>;

    MarkupCommands(EditorHost &host, OutputFn output, QObject *parent = nullptr);
    ~MarkupCommands() override;

    // From this size on Tidy runs on a worker thread with the status bar's progress, the
    // document held read-only until its result is in.
    static constexpr qsizetype WorkerBytes = 512 * 1024;

    // Runs the profile over the active text document; false when there is none.
    bool clean(const char *profile);
    bool checkWellFormed();
    // The sheet, modal, on page 0, 1 or 2.
    void showTidySheet(int page);
    // Whether a clean-up runs on the worker.
    bool isRunning() const { return m_running; }

    // Tests look at the sheet instead of running it modally.
    using SheetHook = std::function<void(CTidySheet &)>;
    static void setSheetHook(SheetHook hook);

signals:
    // A clean-up has put its result in (or reported its failure).
    void cleanFinished(int rc);

private:
    CRidereDoc *activeTextDocument() const;
    void finish(CMFCScintilla *editor, const TidyRun &run);
    void report(const QByteArray &text);

    EditorHost &m_host;
    OutputFn m_output;
    bool m_running = false;
    QPointer<QThread> m_worker;
};

} // namespace pw
