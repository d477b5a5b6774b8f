// Runs a console program without a shell and streams its merged output, in batches, to a sink.
#include "tools/engine/consoleredirector.h"

#include "tools/engine/outputdecoder.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pw {

namespace {

// The start itself is a fork and an exec; this only bounds a machine that is badly overloaded,
// after which a failed start is reported when it comes.
constexpr int StartWaitMs = 10000;

// Capacity asked for the output pipe.
constexpr int PipeBytes = 1 << 20;

#ifdef Q_OS_UNIX
constexpr int TermSignal = SIGTERM;
constexpr int KillSignal = SIGKILL;
#else
constexpr int TermSignal = 15;
constexpr int KillSignal = 9;
#endif

// QProcess reports a failed start as text only ("execvp: No such file or directory"); the error
// number is recovered by matching the system's texts for them.
int errorNumberOf(const QString &message)
{
    const qsizetype colon = message.lastIndexOf(QStringLiteral(": "));
    const QString reason = colon < 0 ? message : message.mid(colon + 2);
    // Texts Qt writes itself instead of asking the C library.
    static const struct
    {
        const char *text;
        int number;
    } own[] = {{"Permission denied", EACCES},
               {"Too many open files", EMFILE},
               {"No such file or directory", ENOENT},
               {"No space left on device", ENOSPC}};
    for (const auto &entry : own) {
        if (reason == QLatin1String(entry.text))
            return entry.number;
    }
    for (int number = 1; number < 256; ++number) {
        if (reason == QString::fromLocal8Bit(std::strerror(number)))
            return number;
    }
    return EIO;
}

} // namespace

OutputSink::~OutputSink() = default;

void OutputSink::writeStdError(const QString &text)
{
    writeStdOut(QStringLiteral("\r\nError message: "));
    writeStdOut(text);
}

void OutputSink::onChildFinished(const CaptureEnd &) {}

// One run of one program. It outlives its redirector's interest in it: once the capture has
// ended for the sink it stays until its child is reaped, then deletes itself.
class ConsoleRedirector::Capture : public QObject
{
public:
    Capture(ConsoleRedirector *owner, OutputSink *sink, const Options &options);
    ~Capture() override;

    // The error number of a failed start, 0 when the program runs.
    int start(const ToolLaunch &launch);
    // Ends the capture for the sink (Stopped) and asks the program to end.
    void stop();
    // Ends the capture without a word to the sink (the redirector is going away).
    void abandon();
    qint64 pid() const { return m_pid; }

private:
    void readOutput();
    void deliver();
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void processError(QProcess::ProcessError error);
    void end(const CaptureEnd &how, const QString &errorText);
    void terminate();
    void signalGroup(int signal);
    void retire();

    ConsoleRedirector *m_owner; // null once the capture has ended for the sink
    OutputSink *m_sink;
    Options m_options;
    QProcess *m_process;
    QTimer *m_batchTimer;
    OutputDecoder m_decoder;
    QByteArray m_pending; // read, cut, not yet decoded
    qint64 m_pid = 0;
    bool m_starting = false;
};

ConsoleRedirector::Capture::Capture(ConsoleRedirector *owner, OutputSink *sink,
                                    const Options &options)
    : m_owner(owner), m_sink(sink), m_options(options), m_process(new QProcess(this)),
      m_batchTimer(new QTimer(this))
{
    // Children of the application object: a capture still waiting for its child when the
    // application quits is destroyed with it, which kills and reaps the child.
    QCoreApplication *app = QCoreApplication::instance();
    if (app && app->thread() == QThread::currentThread())
        setParent(app);
    m_batchTimer->setSingleShot(true);
    m_batchTimer->setInterval(m_options.batchIntervalMs);
    QObject::connect(m_batchTimer, &QTimer::timeout, this, [this] { deliver(); });
    QObject::connect(m_process, &QProcess::readyReadStandardOutput, this,
                     [this] { readOutput(); });
    QObject::connect(m_process, &QProcess::finished, this,
                     [this](int code, QProcess::ExitStatus status) { processFinished(code, status); });
    QObject::connect(m_process, &QProcess::errorOccurred, this,
                     [this](QProcess::ProcessError error) { processError(error); });
}

ConsoleRedirector::Capture::~Capture()
{
    if (m_process->state() != QProcess::NotRunning) {
        signalGroup(KillSignal);
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

int ConsoleRedirector::Capture::start(const ToolLaunch &launch)
{
    const ResolvedProgram program = resolveProgram(launch.program, launch.workingDirectory);
    if (program.errorNumber)
        return program.errorNumber;
    m_process->setProgram(program.path);
    m_process->setArguments(launch.arguments);
    m_process->setWorkingDirectory(launch.workingDirectory);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_UNIX
    m_process->setChildProcessModifier([] {
        // Runs in the child between fork and exec: async-signal-safe calls only. A group of its
        // own lets a stop reach the programs the tool starts; the signal state is reset because
        // ignored signals and the mask survive exec.
        ::setpgid(0, 0);
        struct sigaction dfl = {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &dfl, nullptr);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
#ifdef F_SETPIPE_SZ
        // A larger pipe lets a fast program run ahead while the sink works, and lets one read
        // take more at a time (the default is 64 KB; unprivileged processes may go to 1 MB).
        ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, PipeBytes);
#endif
    });
#endif
    m_starting = true;
    m_process->start(QIODevice::ReadWrite);
    const bool started = m_process->waitForStarted(StartWaitMs);
    m_starting = false;
    if (!started && m_process->error() == QProcess::FailedToStart)
        return errorNumberOf(m_process->errorString());
    m_pid = m_process->processId();
    return 0;
}

void ConsoleRedirector::Capture::readOutput()
{
    if (!m_owner)
        return;
    m_pending.append(OutputDecoder::cutText(m_process->readAllStandardOutput()));
    if (m_pending.size() >= m_options.batchBytes)
        deliver();
    else if (!m_pending.isEmpty() && !m_batchTimer->isActive())
        m_batchTimer->start();
}

void ConsoleRedirector::Capture::deliver()
{
    m_batchTimer->stop();
    if (!m_owner || m_pending.isEmpty())
        return;
    const QString text = m_decoder.decode(std::exchange(m_pending, QByteArray()));
    if (!text.isEmpty())
        m_sink->writeStdOut(text); // may close or reopen the redirector; we touch nothing after
}

void ConsoleRedirector::Capture::processFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_owner) {
        retire();
        return;
    }
    m_pending.append(OutputDecoder::cutText(m_process->readAllStandardOutput()));
    CaptureEnd how;
    how.reason = status == QProcess::NormalExit ? CaptureEnd::Reason::Exited
                                                : CaptureEnd::Reason::Crashed;
    how.exitCode = status == QProcess::NormalExit ? exitCode : 0;
    end(how, {});
}

void ConsoleRedirector::Capture::processError(QProcess::ProcessError error)
{
    if (!m_owner || m_starting)
        return;
    if (error == QProcess::FailedToStart) {
        // Only after a start that outlasted StartWaitMs.
        CaptureEnd how{CaptureEnd::Reason::StartFailed, 0, errorNumberOf(m_process->errorString())};
        end(how, ConsoleRedirector::startErrorText(how.errorNumber));
    } else if (error == QProcess::ReadError) {
        end({CaptureEnd::Reason::ReadFailed, 0, 0}, QStringLiteral("Read stdout pipe error\r\n"));
    }
    // Crashed comes with finished(); nothing is ever written, so no write errors.
}

void ConsoleRedirector::Capture::end(const CaptureEnd &how, const QString &errorText)
{
    m_batchTimer->stop();
    QString text = m_decoder.decode(std::exchange(m_pending, QByteArray()));
    text += m_decoder.finish();
    OutputSink *sink = std::exchange(m_sink, nullptr);
    std::exchange(m_owner, nullptr)->captureEnded(this);
    if (how.reason != CaptureEnd::Reason::Exited && how.reason != CaptureEnd::Reason::Crashed)
        terminate();
    retire();
    // Last, for the sink may start the next capture from these calls.
    if (!text.isEmpty())
        sink->writeStdOut(text);
    if (!errorText.isEmpty())
        sink->writeStdError(errorText);
    sink->onChildFinished(how);
}

void ConsoleRedirector::Capture::stop()
{
    if (m_owner)
        end({CaptureEnd::Reason::Stopped, 0, 0}, {});
}

void ConsoleRedirector::Capture::abandon()
{
    if (!m_owner)
        return;
    m_batchTimer->stop();
    m_sink = nullptr;
    std::exchange(m_owner, nullptr)->captureEnded(this);
    terminate();
    retire();
}

void ConsoleRedirector::Capture::terminate()
{
    if (m_process->state() == QProcess::NotRunning)
        return;
    // Output from now on is read and dropped, so a program that ignores the request cannot fill
    // memory while it has left to live.
    m_process->closeReadChannel(QProcess::StandardOutput);
    m_process->closeWriteChannel();
    signalGroup(TermSignal);
    QTimer::singleShot(m_options.stopGraceMs, this, [this] {
        if (m_process->state() != QProcess::NotRunning) {
            signalGroup(KillSignal);
            m_process->kill();
        }
    });
}

void ConsoleRedirector::Capture::signalGroup(int signal)
{
#ifdef Q_OS_UNIX
    // The group's id is the child's pid, which cannot be reused before the child is reaped;
    // reaping happens on this thread, so while the state says running the group is still ours.
    if (m_pid > 0 && m_process->state() != QProcess::NotRunning)
        ::kill(-pid_t(m_pid), signal);
#else
    Q_UNUSED(signal);
    m_process->kill();
#endif
}

void ConsoleRedirector::Capture::retire()
{
    if (m_process->state() == QProcess::NotRunning)
        deleteLater();
    // otherwise processFinished() calls here again once the child is reaped
}

ConsoleRedirector::ConsoleRedirector(OutputSink *sink) : ConsoleRedirector(sink, Options()) {}

ConsoleRedirector::ConsoleRedirector(OutputSink *sink, const Options &options)
    : m_sink(sink), m_options(options)
{
}

ConsoleRedirector::~ConsoleRedirector()
{
    // The sink is often the object that holds this redirector and is being destroyed itself, so
    // it hears nothing more.
    if (m_capture)
        m_capture->abandon();
}

bool ConsoleRedirector::open(const ToolLaunch &launch)
{
    close();
    auto *capture = new Capture(this, m_sink, m_options);
    m_capture = capture;
    const int error = capture->start(launch);
    if (error == 0)
        return true;
    m_capture.clear();
    delete capture; // nothing of it ran, no signal of it is pending
    m_sink->writeStdError(startErrorText(error));
    m_sink->onChildFinished({CaptureEnd::Reason::StartFailed, 0, error});
    return false;
}

void ConsoleRedirector::close()
{
    if (m_capture)
        m_capture->stop();
}

bool ConsoleRedirector::isRunning() const
{
    return m_capture != nullptr;
}

qint64 ConsoleRedirector::processId() const
{
    return m_capture ? m_capture->pid() : 0;
}

QString ConsoleRedirector::startErrorText(int errorNumber)
{
    return QStringLiteral("Redirect console error: %1\r\n").arg(uint(errorNumber), 0, 16);
}

void ConsoleRedirector::captureEnded(Capture *capture)
{
    if (m_capture == capture)
        m_capture.clear();
}

int startDetached(const ToolLaunch &launch)
{
    const ResolvedProgram program = resolveProgram(launch.program, launch.workingDirectory);
    if (program.errorNumber)
        return program.errorNumber;
    QProcess process;
    process.setProgram(program.path);
    process.setArguments(launch.arguments);
    process.setWorkingDirectory(launch.workingDirectory);
    if (process.startDetached())
        return 0;
    return errorNumberOf(process.errorString());
}

} // namespace pw
