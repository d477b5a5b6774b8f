// HexCommands: "Open as Hex...", the modeless hex find dialog and the find requests it and the
// toolbar box make.
#pragma once

#include "framework/commandtarget.h"
#include "hex/hexdialogs.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

namespace pw {

class CHexEditView;
class CHexFindDialog;
class Host;

class HexCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    explicit HexCommands(Host &host, QObject *parent = nullptr);
    ~HexCommands() override;

    Host &host() const { return m_host; }

    // The hex view of the active window, or none.
    CHexEditView *activeHexView() const;

    // "Open as &Hex...": the chosen files open in hex windows, one after another.
    void openAsHex();
    // Tests choose the files here instead of a dialog; empty means cancelled.
    using ChooseFilesHook = std::function<QStringList()>;
    static void setChooseFilesHook(ChooseFilesHook hook);

    // The hex find dialog: made and shown when there is none; an open one is left as it is.
    CHexFindDialog *showFindDialog();
    CHexFindDialog *findDialog() const;
    // The close step of the main window.
    void destroyDialogs();

    // A request of the find dialog: on the active hex view; "Error: No Active Document to
    // Search" without a window.
    void hexFind(const QString &text, bool up, bool matchCase, bool ascii);
    QString lastSearchText() const { return m_lastText; }
    // The toolbar box's text searched downwards as hex; false when the active window is no hex
    // view.
    bool toolbarFind(const QString &text);
    // Where Find Next in a hex window reads the toolbar box's text from; unset without a box.
    void setBoxTextProvider(std::function<QString()> provider) { m_boxText = std::move(provider); }
    bool hasBoxText() const { return bool(m_boxText); }
    QString boxText() const { return m_boxText ? m_boxText() : QString(); }

private:
    static inline ChooseFilesHook s_chooseFilesHook;
    QStringList chooseFiles() const;

    Host &m_host;
    QPointer<CHexFindDialog> m_find;
    QString m_lastText;
    std::function<QString()> m_boxText;
};

} // namespace pw
