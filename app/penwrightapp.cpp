// PenwrightApp: start-up, the open routine and the application's own commands.
#include "app/penwrightapp.h"

#include "app/mainframe.h"
#include "app/mainframehost.h"
#include "app/workspace.h"
#include "app/singleinstance.h"
#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/nativepath.h"
#include "editor/filedialogex.h"
#include "editor/rideredoc.h"
#include "editor/ridereframe.h"
#include "editor/textload.h"
#include "framework/commandrouter.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/registrysettings.h"
#ifdef PENWRIGHT_WITH_PRINTING
#include "printing/printcommands.h"
#endif

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace pw {

CDocTemplate::CDocTemplate(Role role, int resourceId, QString typeString, FrameFactory factory)
    : m_role(role), m_resourceId(resourceId), m_typeString(std::move(typeString)),
      m_factory(std::move(factory))
{}

QString CDocTemplate::nextUntitledName()
{
    // The second field of the type string names untitled documents.
    const QString base = m_typeString.section(QLatin1Char('\n'), 1, 1);
    return base + QString::number(++m_untitledCount);
}

PenwrightApp::PenwrightApp() = default;

PenwrightApp::~PenwrightApp()
{
    // Windows close before the templates their documents came from and the host they use.
    m_mainFrame.reset();
}

void PenwrightApp::registerCommands()
{
    onCommand(Cmd::FileNew, [this] { newDocument(); });
    onCommand(Cmd::FileOpen, [this] { fileOpen(); });
    onCommand(
        Cmd::FileSaveAll, [this] { saveAllModified(); },
        [this](CommandUi &ui) {
            ui.enabled = false;
            for (CMDIChildFrame *frame : m_mainFrame->workspace().documentFrames()) {
                if (frame->document()->isTextDocument() && frame->document()->isModified())
                    ui.enabled = true;
            }
        });
    onCommand(Cmd::AppAbout, [this] { showAbout(); });
    onCommandRange(
        Cmd::FileMru1, Cmd::FileMru4, [this](int id) { openRecentFile(id - Cmd::FileMru1); },
        [this](int id, CommandUi &ui) {
            ui.enabled = m_mainFrame && id - Cmd::FileMru1 < RegistrySettings().recentFiles().size();
        });
    onCommand(Cmd::AppExit, [this] { m_mainFrame->close(); });
}

void PenwrightApp::registerTemplates()
{
    // Compare, hex and web preview register here, before text, as their windows arrive.
    registerCompareTemplate();
    registerHexTemplate();
    registerWebPreviewTemplate();
    m_templates.push_back(std::make_unique<CDocTemplate>(
        CDocTemplate::Text, 129,
        QStringLiteral("\nUntitled\nPenwright\n\n\nText.Document\nText Document"),
        [this] { return new CRidereFrame(*m_host); }));
}

CDocTemplate *PenwrightApp::findTemplate(CDocTemplate::Role role) const
{
    for (const auto &tmpl : m_templates) {
        if (tmpl->role() == role)
            return tmpl.get();
    }
    return nullptr;
}

bool PenwrightApp::initInstance(const QStringList &arguments)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Brightmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Penwright"));

    // Other software finds the program through this value.
    const QString self = QCoreApplication::applicationFilePath();
    if (!self.isEmpty())
        RegistrySettings().setPenwrightPath(self.left(260));

    registerTemplates();
    registerCommands();

    m_mainFrame = std::make_unique<CMainFrame>(this);
    m_host = std::make_unique<MainFrameHost>(*this, *m_mainFrame);
    if (!m_mainFrame->create(*m_host))
        return false;
    for (const QString &arg : arguments.mid(1)) {
        if (isPrintSwitch(arg))
            return printFromCommandLine(arguments);
    }

    m_instance = new SingleInstance(SingleInstance::defaultServerName(), this);
    connect(m_instance, &SingleInstance::filesPending, this, [this] {
        reopenPreviousFiles();
        m_mainFrame->raise();
        m_mainFrame->activateWindow();
    });
    m_instance->listen();

    // Files left for reopening replace whatever the command line asked for.
    const bool reopened = RegistrySettings().hasFilesToOpen() && reopenPreviousFiles();
    if (!reopened) {
        QStringList files;
        for (const QString &arg : arguments.mid(1)) {
            if (!arg.startsWith(QLatin1Char('-')))
                files << arg;
        }
        if (files.isEmpty()) {
            newDocument();
        } else {
            bool any = false;
            for (const QString &file : files) {
                const bool opened = openDocumentFile(file, OpenRequest{}) != nullptr;
                any =
                    opened || any || m_mainFrame->workspace().isAlreadyOpen(QFileInfo(file).absoluteFilePath());
            }
            if (!any)
                return false;
        }
    }

    m_mainFrame->installEventFilter(this);
    m_mainFrame->showWithPlacement();
    if (CMDIChildFrame *frame = m_mainFrame->workspace().activeFrame())
        m_mainFrame->workspace().activateFrame(frame);
    return true;
}

bool PenwrightApp::isPrintSwitch(const QString &argument)
{
    static const QStringList switches{QStringLiteral("/p"), QStringLiteral("/pt"),
                                      QStringLiteral("--print"), QStringLiteral("--print-to")};
    return switches.contains(argument);
}

bool PenwrightApp::printFromCommandLine(const QStringList &arguments)
{
    m_printedOnly = true;
    const auto at = std::find_if(arguments.begin() + 1, arguments.end(), &isPrintSwitch);
    const bool toTarget = *at == QLatin1String("/pt") || *at == QLatin1String("--print-to");
    const qsizetype index = at - arguments.begin();
    const QString file = arguments.value(index + 1);
    const QString target = toTarget ? arguments.value(index + 2) : QString();
    if (file.isEmpty() || (toTarget && target.isEmpty())) {
        std::fputs("usage: penwright /p FILE | /pt FILE PRINTER-OR-PDF\n", stderr);
        return false;
    }
#ifdef PENWRIGHT_WITH_PRINTING
    auto *document = qobject_cast<CRidereDoc *>(openDocumentFile(file, OpenRequest{}));
    auto *commands = m_host->services().service<PrintCommands>();
    if (!document || !commands)
        return false;
    while (document->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    if (commands->printUnattended(document, target) >= 0)
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(commands->errorText()));
#else
    std::fputs("This build of Penwright cannot print.\n", stderr);
#endif
    return false;
}

bool PenwrightApp::reopenPreviousFiles()
{
    RegistrySettings registry;
    const QStringList files = registry.filesToOpen();
    m_reopeningFiles = true;
    bool any = false;
    for (const QString &file : files) {
        if (file.isEmpty())
            continue;
        // A file that no longer exists fails as any open would; the others still open.
        if (enc::pathExists(file))
            any = openDocumentFile(file, OpenRequest{OpenAuto, enc::Auto, 0, false}) != nullptr ||
                  any;
    }
    m_reopeningFiles = false;
    registry.clearFilesToOpen();
    return any;
}

void PenwrightApp::openRecentFile(int index)
{
    const QStringList files = RegistrySettings().recentFiles();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files.at(index);
    if (!QFileInfo::exists(path)) {
        showMessage(m_mainFrame.get(), MessageIcon::Exclamation,
                    QStringLiteral("Cannot open \"%1\": the file no longer exists.")
                        .arg(QDir::toNativeSeparators(path)));
        QStringList rest = files;
        rest.removeAt(index);
        RegistrySettings().setRecentFiles(rest);
        return;
    }
    openDocumentFile(path, OpenRequest{});
}

int PenwrightApp::exitInstance()
{
    return 0;
}

bool PenwrightApp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mainFrame.get() && event->type() == QEvent::Paint) {
        m_mainFrame->removeEventFilter(this);
        // Let the paint finish before anyone acts on it.
        QMetaObject::invokeMethod(this, &PenwrightApp::mainWindowPainted, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

CDocument *PenwrightApp::openWithAutomaticChoice(const QString &path)
{
    const QFileInfo info(path);
    return openDocumentFile(
        path, OpenRequest{OpenAuto, enc::Auto, 0, info.exists() && !info.isWritable()});
}

CDocument *PenwrightApp::openFromProject(const QString &path)
{
    return openDocumentFile(path, OpenRequest{OpenAuto, enc::Auto, 0, false});
}

CDocument *PenwrightApp::openDocumentFile(const QString &path, OpenRequest request)
{
    if (request.mode == OpenWebPreview)
        return openWebPreview(path, request);
    if (m_mainFrame->workspace().isAlreadyOpen(path))
        return nullptr;
    const QFileInfo info(path);
    m_lastFolder = info.absolutePath();

    enc::EncodingDetector detector;
    const bool sampled = detector.detect(info.absoluteFilePath());
    // When the sample cannot tell UTF-8 from Windows-1252, the load decides from the whole file.
    if (sampled && request.encoding == enc::Auto && !detector.isUndetermined()) {
        request.encoding = detector.encoding();
        request.markLength = detector.markLength();
    }
    if (request.mode == OpenAuto)
        request.mode = sampled && detector.isBinary() ? OpenHex : OpenText;
    // Without a hex window in the build, binary files open as text; Ansi keeps every byte.
    if (request.mode == OpenHex && findTemplate(CDocTemplate::Hex))
        return openHex(info.absoluteFilePath(), request);
    // Text the editor cannot hold is offered to the hex window, which holds any size; without
    // one the text load refuses it with its own message.
    if (findTemplate(CDocTemplate::Hex) &&
        TextLoad::textBytesEstimate(info.absoluteFilePath(), enc::DocEncoding(request.encoding)) >
            TextLoad::MaxTextBytes) {
        const QString question =
            resourceText(Str::TooLargeOpenAsHex)
                .arg(QDir::toNativeSeparators(info.absoluteFilePath()),
                     QLocale().formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat));
        if (showMessage(m_mainFrame.get(), MessageIcon::Question, question,
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return nullptr;
        return openHex(info.absoluteFilePath(), request);
    }
    return openText(info.absoluteFilePath(), request);
}

CDocument *PenwrightApp::openText(const QString &path, const OpenRequest &request)
{
    return openInNewFrame(CDocTemplate::Text, path, request);
}

CDocument *PenwrightApp::openInNewFrame(CDocTemplate::Role role, const QString &path,
                                        const OpenRequest &request)
{
    CDocTemplate *tmpl = findTemplate(role);
    if (!tmpl)
        return nullptr;
    CMDIChildFrame *frame = tmpl->createFrame();
    m_mainFrame->workspace().addFrame(frame);
    if (!frame->document()->onOpenDocument(path, request)) {
        m_mainFrame->workspace().area()->removeSubWindow(frame);
        delete frame;
        return nullptr;
    }
    showNewFrame(frame);
    return frame->document();
}

void PenwrightApp::showNewFrame(CMDIChildFrame *frame)
{
    // New windows fill the workspace unless the user arranged the others side by side.
    QMdiSubWindow *current = m_mainFrame->workspace().area()->currentSubWindow();
    if (!current || current == frame || current->isMaximized())
        frame->showMaximized();
    else
        frame->show();
    m_mainFrame->workspace().activateFrame(frame);
}

CDocument *PenwrightApp::newDocument()
{
    CDocTemplate *tmpl = findTemplate(CDocTemplate::Text);
    CMDIChildFrame *frame = tmpl->createFrame();
    frame->document()->setTitle(tmpl->nextUntitledName());
    m_mainFrame->workspace().addFrame(frame);
    if (!frame->document()->onNewDocument()) {
        m_mainFrame->workspace().area()->removeSubWindow(frame);
        delete frame;
        return nullptr;
    }
    showNewFrame(frame);
    return frame->document();
}

void PenwrightApp::fileOpen()
{
    OpenChoice choice;
    const bool accepted =
        m_openDialogHook ? m_openDialogHook(choice)
                         : CFileDialogEx::getOpenChoice(m_mainFrame.get(),
                                                        m_mainFrame->settingsFile(), m_lastFolder,
                                                        choice);
    if (!accepted)
        return;
    for (const QString &path : choice.paths) {
        openDocumentFile(path, OpenRequest{choice.openAs, choice.encoding,
                                           enc::namedMarkLength(enc::DocEncoding(choice.encoding)),
                                           choice.readOnly});
    }
}

bool PenwrightApp::saveAllModified()
{
    for (CMDIChildFrame *frame : m_mainFrame->workspace().documentFrames()) {
        CDocument *doc = frame->document();
        if (doc->isTextDocument() && doc->isModified()) {
            m_mainFrame->workspace().activateFrame(frame);
            if (!doc->saveModified())
                return false;
        }
    }
    return true;
}

void PenwrightApp::showAbout()
{
    QMessageBox::about(
        m_mainFrame.get(), QStringLiteral("About Penwright"),
        QStringLiteral("<h3>Penwright %1</h3><p>A text and source-code editor.</p>"
                       "<p>Built on Qt %2 and QScintilla.</p>")
            .arg(QStringLiteral(PENWRIGHT_VERSION), QString::fromLatin1(qVersion())));
}

} // namespace pw
