// Program entry: the application object runs start-up, the event loop and exit.
#include "app/penwrightapp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication qtApp(argc, argv);
    pw::PenwrightApp app;
    if (!app.initInstance(qtApp.arguments()))
        return 1;
    const int code = qtApp.exec();
    return code == 0 ? app.exitInstance() : code;
}
