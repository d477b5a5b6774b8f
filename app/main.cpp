// Program entry: hands files to a running program, or runs start-up, the event loop and exit.
#include "app/penwrightapp.h"
#include "settings/registrysettings.h"
#include "app/singleinstance.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    // The web preview's engine shares its GL contexts with the window; Qt wants this said first.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brightmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Penwright"));
    // Lets the desktop match the window to the entry "penwright.desktop", and so to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("penwright"));

    const QStringList arguments = qtApp.arguments();
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
    const int code = qtApp.exec();
    return code == 0 ? app.exitInstance() : code;
}
