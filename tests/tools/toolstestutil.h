// Helpers of the external-tools tests: an event loop to run captures in and a sink that records.
#pragma once

#include "tools/engine/consoleredirector.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace pw::test {

// Captures need an application object and its event loop; made once for the test program.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "tools_engine_tests";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives until the program ends, with its captures
}

// Turns the event loop until the condition holds or the time is up; true when it held.
inline bool spinUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

// Everything a capture sent, in order.
class RecordingSink : public OutputSink
{
public:
    void writeStdOut(const QString &text) override
    {
        text_ += text;
        ++batches;
        if (onWrite)
            onWrite(text);
    }
    void onChildFinished(const CaptureEnd &end) override
    {
        ends.append(end);
        if (onFinished)
            onFinished(end);
    }

    QString text_;
    int batches = 0;
    QList<CaptureEnd> ends;
    std::function<void(const QString &)> onWrite;
    std::function<void(const CaptureEnd &)> onFinished;
};

inline ToolLaunch launchOf(const QString &program, const QStringList &arguments,
                           const QString &dir = {})
{
    return {program, arguments, dir};
}

// Zombie children of this process (state Z in /proc) right now.
inline int zombieChildren()
{
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    int count = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool numeric = false;
        entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (comm) state ppid ...; comm may hold spaces, so read after the last ')'.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[0] == "Z" && fields[1] == self)
            ++count;
    }
    return count;
}

} // namespace pw::test
