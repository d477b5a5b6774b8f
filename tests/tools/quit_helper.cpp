// Helper of the capture tests: an application that quits while its captures still run, one of
// them already stopped but ignoring the request, and prints the pids of their programs.
#include "tools/engine/consoleredirector.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {
class Quiet : public pw::OutputSink
{
public:
    void writeStdOut(const QString &) override {}
};
} // namespace

int main(int argc, char **argv)
{
    Quiet sink;
    // Declared before the application, so it is destroyed after it, as a long-lived object can be.
    pw::ConsoleRedirector running(&sink);
    QCoreApplication app(argc, argv);
    pw::ConsoleRedirector stopped(&sink);
    running.open({QStringLiteral("sleep"), {QStringLiteral("1000")}, {}});
    stopped.open({QStringLiteral("sh"),
                  {QStringLiteral("-c"), QStringLiteral("trap '' TERM; while :; do sleep 0.1; done")},
                  {}});
    std::printf("%lld %lld\n", running.processId(), stopped.processId());
    std::fflush(stdout);
    QTimer::singleShot(200, &app, [&] {
        stopped.close();
        QCoreApplication::quit();
    });
    return app.exec();
}
