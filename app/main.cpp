// Program entry: hands files to a running program, or runs start-up, the event loop and exit.
#include "app/penwrightapp.h"
#include "app/mainframe.h"
#include "app/workspace.h"
#include "editor/mfcscintilla.h"
#include "framework/document.h"
#include "editor/rideredoc.h"
#include "settings/registrysettings.h"
#include "app/singleinstance.h"
#include "editor/encoding/nativepath.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace {

// Puts text at the caret of the active document once its file is read, as one stroke of typing.
void typeIntoActiveDocument(pw::PenwrightApp &app, const QByteArray &text)
{
    pw::CMDIChildFrame *frame = app.mainFrame()->workspace().activeFrame();
    auto *document = frame ? qobject_cast<pw::CRidereDoc *>(frame->document()) : nullptr;
    if (!document)
        return;
    const auto type = [document, text] {
        document->editor()->sendText(pw::Sci::SCI_ADDTEXT, static_cast<unsigned long>(text.size()),
                                     text.constData());
    };
    if (document->isLoading())
        QObject::connect(document, &pw::CRidereDoc::loadFinished, document, type,
                         Qt::SingleShotConnection);
    else
        type();
}

} // namespace

int main(int argc, char **argv)
{
    // The web preview's engine shares its GL contexts with the window; Qt wants this said first.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brightmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Penwright"));
    // Lets the desktop match the window to the entry "penwright.desktop", and so to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("penwright"));

    // Qt decodes the arguments with replacement characters; a file name that is not UTF-8 must
    // keep its bytes to be opened and saved again. Qt has taken its own options out of argv.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << pw::enc::pathFromNative(QByteArray(argv[i]));
    QStringList files;
    bool newInstance = false;
    bool printing = false;
    for (const QString &arg : arguments.mid(1)) {
        if (arg == QLatin1String("--new-instance"))
            newInstance = true;
        else if (pw::PenwrightApp::isPrintSwitch(arg))
            printing = true;
        else if (!arg.startsWith(QLatin1Char('-')))
            files << QFileInfo(arg).absoluteFilePath();
    }
    // Printing from the command line is this start's own work, never a running program's.
    if (!files.isEmpty() && !newInstance && !printing) {
        // A running program takes the files from the reopen list; when none answers in time,
        // this start opens them itself through the same list.
        pw::RegistrySettings registry;
        for (const QString &file : files)
            registry.addFileToOpen(file);
        if (pw::SingleInstance::notifyRunning(pw::SingleInstance::defaultServerName()))
            return 0;
    }

    pw::PenwrightApp app;
    if (!app.initInstance(arguments))
        return 1;
    if (app.printedOnly())
        return 0;
    // The start-up benchmark times the way to the first painted window, then leaves at once.
    if (qEnvironmentVariableIsSet("PENWRIGHT_EXIT_AFTER_PAINT")) {
        QObject::connect(&app, &pw::PenwrightApp::mainWindowPainted, &qtApp, [] {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        });
    }
    // The crash-recovery test kills a real run after it has typed into a file: the text of
    // PENWRIGHT_TYPE_AT_START (UTF-8) goes into the active document once the window has painted.
    // Nothing else reads it.
    if (const QByteArray typed = qgetenv("PENWRIGHT_TYPE_AT_START"); !typed.isEmpty()) {
        QObject::connect(&app, &pw::PenwrightApp::mainWindowPainted, &qtApp,
                         [&app, typed] { typeIntoActiveDocument(app, typed); });
    }
    const int code = qtApp.exec();
    return code == 0 ? app.exitInstance() : code;
}
