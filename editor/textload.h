// TextLoad: a file read and decoded into a new text of the component on a worker thread.
#pragma once

#include "editor/encoding/docencoding.h"
#include "editor/encoding/filestamp.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include <thread>

namespace pw {

class CMFCScintilla;

namespace enc {
class TextFileReader;
}

// What a finished load hands over: a text of the component, ready to be shown by an editor.
struct LoadedText
{
    bool ok = false;
    bool cancelled = false;
    QString error;
    // The component's document: attach it with SCI_SETDOCPOINTER, then release this reference
    // with SCI_RELEASEDOCUMENT. Null unless ok.
    long document = 0;
    enc::DocEncoding encoding = enc::Utf8;
    int markLength = 0;
    int lineEnding = 2;
    std::string trailingBytes;
    enc::FileStamp stamp;
    bool readOnly = false;
    // The text has no style bytes (large-file mode): it cannot be coloured until it is rebuilt.
    bool styleless = false;
    // Where line breaks were put into lines over the line limit, as offsets into the text before
    // cutting, ascending; and the longest line of the file (bytes of text, before cutting),
    // counted only while a limit is set.
    std::vector<std::uint64_t> cutOffsets;
    qint64 longestLine = 0;
};

// The file is opened and its first chunk sampled on the calling (UI) thread; the rest is read,
// decoded and handed to the component's loader (SCI_CREATELOADER), made and filled on a thread of
// its own, which builds the text and its line index without touching any editor's state. Nothing of
// the editor that asked changes: the caller attaches the text when finished() says so. Destroying
// the load stops the thread within one chunk and frees everything it read.
class TextLoad : public QObject
{
    Q_OBJECT
public:
    // Texts from this many bytes open in large-file mode: colouring, folding and word wrap start
    // off, and the text is made without style bytes, one per character, so it takes half the
    // memory (the user can turn colouring on, which rebuilds the text with them).
    static constexpr qint64 DefaultLargeFileBytes = qint64(64) << 20;
    // A line is laid out whole, at about a microsecond and a half a byte, before any of it shows:
    // longer lines are cut into pieces of this many bytes, so no piece holds the window for long.
    static constexpr qint64 DefaultLineLimitBytes = qint64(16) << 10;
    // The most text the component holds: its positions are 32-bit, and the loader is asked for
    // a little more room than the text.
    static constexpr qint64 MaxTextBytes = qint64(0x7FFFFFFF) - 4096;

    // The editor bytes path is expected to decode to in encoding (Auto decides from the file),
    // from its size and first chunk; -1 when it cannot be read.
    static qint64 textBytesEstimate(const QString &path, enc::DocEncoding encoding);

    TextLoad(CMFCScintilla *editor, QObject *parent = nullptr);
    ~TextLoad() override;

    // Opens path in encoding (Auto decides from the file) and starts the thread. False, with the
    // reason in error, when the file cannot be opened. A large text is made without style bytes
    // unless withStyles. Lines longer than lineLimit bytes are cut into pieces; 0 keeps them.
    bool start(const QString &path, enc::DocEncoding encoding, QString *error,
               bool withStyles = false, qint64 lineLimit = 0);
    // Copies length bytes of text into a new text with style bytes on the thread. The bytes must
    // stay where they are, unchanged, until finished() (the caller's text is read-only by then).
    void startCopy(const char *text, qint64 length);
    // Waits up to ms for the thread to finish; true when it has (finished() is still emitted).
    bool waitFor(int ms);
    bool isFinished() const;
    void cancel();

    qint64 totalBytes() const { return m_total; }
    qint64 bytesDone() const { return m_done.load(); }
    bool isLargeFile() const { return m_large; }
    // The result, once finished() has been emitted (or waitFor() returned true).
    LoadedText takeResult();

    // Tests use small thresholds; the defaults suit real files.
    static void setLargeFileBytes(qint64 bytes);
    static qint64 largeFileBytes();
    static void setLineLimitBytes(qint64 bytes);
    static qint64 lineLimitBytes();

signals:
    void finished();

private:
    void run();
    // The copy's thread: the text in chunks, then the same handover as a file's.
    void runCopy();
    // Frees what a failed load read and tells the UI thread; m_lock is held.
    void handOver(LoadedText result);
    // A new loader for the reader's text, kept in m_loader; 0 when the component has no room.
    long createLoader();

    CMFCScintilla *m_editor;
    std::unique_ptr<enc::TextFileReader> m_reader;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_done{0};
    qint64 m_total = 0;
    bool m_large = false;
    bool m_styleless = false;
    qint64 m_lineLimit = 0;
    const char *m_copyText = nullptr;
    long m_loader = 0;
    // The thread hands its result over under the lock; the UI thread is told with a queued call.
    mutable std::mutex m_lock;
    std::condition_variable m_finishedSignal;
    bool m_finished = false;
    bool m_resultTaken = false;
    LoadedText m_result;
};

} // namespace pw
