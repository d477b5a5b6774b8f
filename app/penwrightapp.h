// PenwrightApp: start-up, the one open routine, document templates and the application's commands.
#pragma once

#include "editor/filedialogex.h"
#include "framework/commandtarget.h"
#include "framework/openrequest.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace pw {

class CDocument;
class CMDIChildFrame;
class CMainFrame;
class MainFrameHost;
class SingleInstance;

// A kind of document: its resource id, type string and how to make its frame.
class CDocTemplate
{
public:
    enum Role { Compare, Hex, Text, WebPreview };
    using FrameFactory = std::function<CMDIChildFrame *()>;

    CDocTemplate(Role role, int resourceId, QString typeString, FrameFactory factory);

    Role role() const { return m_role; }
    int resourceId() const { return m_resourceId; }
    const QString &typeString() const { return m_typeString; }
    // The default name of the next untitled document: "Untitled1", "Untitled2", ...
    QString nextUntitledName();
    CMDIChildFrame *createFrame() const { return m_factory(); }

private:
    Role m_role;
    int m_resourceId;
    QString m_typeString;
    FrameFactory m_factory;
    int m_untitledCount = 0;
};

class PenwrightApp : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    PenwrightApp();
    ~PenwrightApp() override;

    // Start-up: false ends the program at once.
    bool initInstance(const QStringList &arguments);
    // The command line's print switches: "/p FILE" (or --print) prints FILE on the default
    // printer, "/pt FILE TARGET" (or --print-to) on the printer TARGET names, or to TARGET as a
    // PDF file when it ends in ".pdf". Such a start prints, shows no window and ends.
    static bool isPrintSwitch(const QString &argument);
    // Start-up only printed: the program ends now (initInstance's result says how it went).
    bool printedOnly() const { return m_printedOnly; }
    int exitInstance();

    CMainFrame *mainFrame() const { return m_mainFrame.get(); }
    MainFrameHost *host() const { return m_host.get(); }
    const QString &lastFolder() const { return m_lastFolder; }
    bool reopeningFiles() const { return m_reopeningFiles; }

    // The single open routine. Returns the new document, or null when nothing was opened (also
    // when an already open window was brought forward instead).
    CDocument *openDocumentFile(const QString &path, OpenRequest request);
    // Entry points with the request their callers make.
    CDocument *openWithAutomaticChoice(const QString &path);
    CDocument *openFromProject(const QString &path);
    // A new, empty text document ("&New File").
    CDocument *newDocument();
    // A new compare window of two files, first on the left. Null, without a message, when either
    // path is empty or names no file, or the build has no compare window.
    CDocument *openCompare(const QString &first, const QString &second);

    const std::vector<std::unique_ptr<CDocTemplate>> &templates() const { return m_templates; }
    CDocTemplate *findTemplate(CDocTemplate::Role role) const;

    // The Open dialog is replaced in tests: the hook fills in the choice.
    using OpenChoice = CFileDialogEx::OpenChoice;
    using OpenDialogHook = std::function<bool(OpenChoice &)>;
    void setOpenDialogHook(OpenDialogHook hook) { m_openDialogHook = std::move(hook); }

    void showAbout();
    // Opens the files other starts (or the last run) left in the reopen list, then clears it.
    // True when at least one file was opened.
    bool reopenPreviousFiles();
    SingleInstance *singleInstance() const { return m_instance; }
    // Asks every modified text document in turn; false when the user cancelled.
    bool saveAllModified();

signals:
    // The main window has painted for the first time.
    void mainWindowPainted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Carries out the print switches, if any; false when printing failed.
    bool printFromCommandLine(const QStringList &arguments);
    void registerCommands();
    void registerTemplates();
    void registerCompareTemplate();
    void registerHexTemplate();
    void registerWebPreviewTemplate();
    void fileOpen();
    void openRecentFile(int index);
    CDocument *openText(const QString &path, const OpenRequest &request);
    // Null when the build has no hex window or the file cannot be opened.
    CDocument *openHex(const QString &path, const OpenRequest &request);
    // A new preview window, showing path's content when one is given; null without a preview in
    // the build.
    CDocument *openWebPreview(const QString &path, const OpenRequest &request);
    // A window of the role's template showing path; null when the build has no such template or
    // the file cannot be opened.
    CDocument *openInNewFrame(CDocTemplate::Role role, const QString &path,
                              const OpenRequest &request);
    void showNewFrame(CMDIChildFrame *frame);

    // The host goes after the frame: the frame's windows hold on to it until they are gone.
    std::unique_ptr<MainFrameHost> m_host;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    QString m_lastFolder;
    bool m_reopeningFiles = false;
    bool m_printedOnly = false;
    OpenDialogHook m_openDialogHook;
    SingleInstance *m_instance = nullptr;
};

} // namespace pw
