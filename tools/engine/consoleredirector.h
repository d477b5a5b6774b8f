// Runs a console program without a shell and streams its merged output, in batches, to a sink.
#pragma once

#include "tools/engine/toolcommand.h"

#include <QPointer>
#include <QString>
#include <QtGlobal>

namespace pw {

// How a capture ended.
struct CaptureEnd
{
    enum class Reason {
        Exited,      // the program ended by itself; exitCode holds its status
        Crashed,     // the program was ended by a signal it did not ask for
        Stopped,     // close() ended the capture (Stop User Tool, a new capture, the sink going)
        StartFailed, // the program could not be started; errorNumber says why
        ReadFailed,  // reading its output failed
    };
    Reason reason = Reason::Exited;
    int exitCode = 0;    // Exited only
    int errorNumber = 0; // StartFailed only: the platform's error number (errno)
};

// Where a capture's output goes: the Tool Window, an editor document, a test. Every call comes
// on the thread that owns the redirector (the user-interface thread), never from a worker.
class OutputSink
{
public:
    virtual ~OutputSink();
    // One batch of output, already decoded; never empty. Batches arrive at most every batch
    // interval unless a batch is full (see ConsoleRedirector::Options), so a sink may repaint per
    // call.
    virtual void writeStdOut(const QString &text) = 0;
    // A failure text of the capture. By default writeStdOut("\r\nError message: ") and then
    // writeStdOut(text).
    virtual void writeStdError(const QString &text);
    // The capture is over: called exactly once for every open(), after all its output, also when
    // open() failed. Nothing arrives after it until the next open(). The sink may open() again
    // from here.
    virtual void onChildFinished(const CaptureEnd &end);
};

// Captures one console program at a time for one sink; make one per sink. Several redirectors
// run their programs at the same time independently. Needs a QCoreApplication; use it from the
// thread that created it (reads and batching run in that thread's event loop, so a sink never
// sees another thread and nothing waits on a worker).
//
// The program is started without a shell (see ToolLaunch and resolveProgram), in a process group
// of its own, with standard output and standard error joined into one pipe and standard input a
// pipe that stays open and is never written (a program reading it waits, as it would at an idle
// console). Output is read as it comes and handed to the sink in batches: at most every
// Options::batchIntervalMs, or as soon as Options::batchBytes have gathered. Reading happens only
// when the event loop runs, so a program that writes faster than the sink can take simply waits
// on its full pipe: memory stays bounded and the event loop keeps turning between batches.
//
// When the program exits, what it wrote before exiting is delivered, then onChildFinished. A
// program that never ends runs until close().
class ConsoleRedirector
{
public:
    struct Options
    {
        // Longest a byte waits before reaching the sink, in milliseconds.
        int batchIntervalMs = 30;
        // Bytes that are delivered at once, without waiting for the interval. A batch costs a
        // sink a fixed time (a repaint) plus a time per byte, so large batches carry a flood
        // with few repaints, and small ones keep each call short. The default suits the Tool
        // Window, which must stay responsive while a tool floods it.
        qsizetype batchBytes = qsizetype(1) * 1024 * 1024;
        // After close(), a program that has not ended is killed this much later (milliseconds);
        // below 5 s so that the kill and the reaping also fit within 5 s of the stop.
        int stopGraceMs = 4500;

        // For a sink that keeps everything, such as a new editor document: 4 MB batches, where
        // inserting runs at its full speed (an editor takes about 40 ms for one).
        static Options forDocument()
        {
            Options options;
            options.batchBytes = qsizetype(4) * 1024 * 1024;
            return options;
        }
    };

    // sink must outlive the redirector.
    explicit ConsoleRedirector(OutputSink *sink);
    ConsoleRedirector(OutputSink *sink, const Options &options);
    // Closes a running capture (see close()).
    ~ConsoleRedirector();
    ConsoleRedirector(const ConsoleRedirector &) = delete;
    ConsoleRedirector &operator=(const ConsoleRedirector &) = delete;

    // Closes any running capture, then starts the launch. True when the program runs. On failure
    // the sink gets writeStdError("Redirect console error: %x\r\n") with the platform error number
    // in lower-case hexadecimal (2 for a missing program), then onChildFinished(StartFailed).
    bool open(const ToolLaunch &launch);

    // Ends the running capture at once; does nothing when idle. Output already read is delivered,
    // then onChildFinished(Stopped); nothing more reaches the sink. The program (its whole process
    // group) loses its pipes and is asked to end (SIGTERM); one still running after
    // Options::stopGraceMs is killed (SIGKILL). Either way it is reaped, never left a zombie;
    // if the application quits first it is killed and reaped then. Never blocks.
    void close();

    // True from a successful open() until the capture ends.
    bool isRunning() const;
    // The running program's process id, 0 when idle.
    qint64 processId() const;

    // Text of a failed start, as the sink receives it: "Redirect console error: 2\r\n".
    static QString startErrorText(int errorNumber);

private:
    class Capture;
    friend class Capture;
    void captureEnded(Capture *capture);

    OutputSink *m_sink;
    Options m_options;
    // The running capture. It deletes itself once its child is gone, and goes with the
    // application object if that goes first.
    QPointer<Capture> m_capture;
};

// Starts a launch on its own, nothing captured (the "run externally" mode): not waited for, not
// stopped with the others, reaped by the system. Returns 0, or the errno of a failed start.
int startDetached(const ToolLaunch &launch);

} // namespace pw
