// TextLoad: the worker that reads, decodes and fills the component's loader, and the handover.
#include "editor/textload.h"

#include "editor/encoding/linecutter.h"
#include "editor/encoding/textfile.h"
#include "editor/mfcscintilla.h"
#include "framework/messages.h"
#include "resources/stringids.h"

#include <QDir>

#include <optional>

namespace pw {

// The component's loader interface (its ILoader), which this build of the component does not
// install a header for. The layout is the component's documented one: three virtual functions,
// called on any thread while the document belongs to no editor. It has external linkage on
// purpose: in an unnamed namespace the compiler would see that no class here implements it and
// turn every call into a pure-virtual trap.
class ComponentLoader
{
public:
    virtual int Release() = 0;
    // A status of the component's SC_STATUS_* values; 0 is fine.
    virtual int AddData(const char *data, std::ptrdiff_t length) = 0;
    virtual void *ConvertToDocument() = 0;

protected:
    ~ComponentLoader() = default;
};

namespace {

// The calls go to the component's own class, whose type information is not this declaration's,
// so the undefined-behaviour checker's dynamic-type check cannot apply to them.
#if defined(__GNUC__) || defined(__clang__)
#define PW_FOREIGN_VTABLE __attribute__((no_sanitize("vptr"), noinline))
#else
#define PW_FOREIGN_VTABLE
#endif

PW_FOREIGN_VTABLE int loaderRelease(long handle)
{
    return reinterpret_cast<ComponentLoader *>(handle)->Release();
}

PW_FOREIGN_VTABLE int loaderAddData(long handle, const char *data, std::ptrdiff_t length)
{
    return reinterpret_cast<ComponentLoader *>(handle)->AddData(data, length);
}

PW_FOREIGN_VTABLE void *loaderConvertToDocument(long handle)
{
    return reinterpret_cast<ComponentLoader *>(handle)->ConvertToDocument();
}

std::atomic<qint64> g_largeFileBytes{TextLoad::DefaultLargeFileBytes};
std::atomic<qint64> g_lineLimitBytes{TextLoad::DefaultLineLimitBytes};

std::string_view lineBreakOf(int lineEnding)
{
    switch (lineEnding) {
    case Sci::SC_EOL_CRLF:
        return "\r\n";
    case Sci::SC_EOL_CR:
        return "\r";
    default:
        return "\n";
    }
}

} // namespace

void TextLoad::setLargeFileBytes(qint64 bytes)
{
    g_largeFileBytes = bytes > 0 ? bytes : DefaultLargeFileBytes;
}

qint64 TextLoad::largeFileBytes()
{
    return g_largeFileBytes;
}

void TextLoad::setLineLimitBytes(qint64 bytes)
{
    g_lineLimitBytes = bytes > 0 ? bytes : DefaultLineLimitBytes;
}

qint64 TextLoad::lineLimitBytes()
{
    return g_lineLimitBytes;
}

TextLoad::TextLoad(CMFCScintilla *editor, QObject *parent) : QObject(parent), m_editor(editor) {}

TextLoad::~TextLoad()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_lock);
    if (m_loader)
        loaderRelease(m_loader);
    // A finished text nobody took is freed with the load.
    if (m_result.document && !m_resultTaken)
        m_editor->send(Sci::SCI_RELEASEDOCUMENT, 0, m_result.document);
}

qint64 TextLoad::textBytesEstimate(const QString &path, enc::DocEncoding encoding)
{
    enc::TextFileReader reader;
    return reader.open(path, encoding) ? reader.textSizeEstimate() : -1;
}

bool TextLoad::start(const QString &path, enc::DocEncoding encoding, QString *error,
                     bool withStyles, qint64 lineLimit)
{
    m_lineLimit = std::max<qint64>(lineLimit, 0);
    m_reader = std::make_unique<enc::TextFileReader>();
    if (!m_reader->open(path, encoding, error))
        return false;
    // Refused before the component is asked for room it cannot give (a reload of a file that
    // grew, or a build without the hex window to offer instead).
    if (m_reader->textSizeEstimate() > MaxTextBytes) {
        if (error)
            *error = resourceText(Str::FileTooLargeForText).arg(QDir::toNativeSeparators(path));
        return false;
    }
    m_total = m_reader->size();
    m_large = m_reader->textSizeEstimate() >= largeFileBytes();
    m_styleless = m_large && !withStyles;
    m_thread = std::thread([this] { run(); });
    return true;
}

void TextLoad::startCopy(const char *text, qint64 length)
{
    m_copyText = text;
    m_total = length;
    m_large = length >= largeFileBytes();
    m_thread = std::thread([this] { runCopy(); });
}

void TextLoad::cancel()
{
    m_cancel = true;
    m_finishedSignal.notify_all();
}

bool TextLoad::waitFor(int ms)
{
    std::unique_lock lock(m_lock);
    return m_finishedSignal.wait_for(lock, std::chrono::milliseconds(ms),
                                     [this] { return m_finished; });
}

bool TextLoad::isFinished() const
{
    std::lock_guard lock(m_lock);
    return m_finished;
}

LoadedText TextLoad::takeResult()
{
    std::lock_guard lock(m_lock);
    m_resultTaken = true;
    return m_result;
}

// The component fills the whole room it is given with zeros, text and styles alike: several
// hundred megabytes for a big file, which would hold the window for a second. Making a loader
// reads and writes nothing of the editor it is asked through (the text it makes belongs to no
// editor), so it is made here, on the load's own thread.
long TextLoad::createLoader()
{
    qint64 bytes = m_copyText ? m_total : m_reader->textSizeEstimate();
    // Room for the breaks of a text that is one long line.
    if (m_lineLimit > 0)
        bytes += 2 * (bytes / m_lineLimit);
    const long loader =
        m_editor->send(Sci::SCI_CREATELOADER, long(bytes + 1000),
                       m_styleless ? long(Sci::SC_DOCUMENTOPTION_STYLES_NONE) : 0);
    std::lock_guard lock(m_lock);
    m_loader = loader;
    return loader;
}

void TextLoad::run()
{
    LoadedText result;
    enc::TextFileReader &reader = *m_reader;
    std::string chunk;
    bool firstChunk = true;
    int status = 0;
    std::optional<enc::LineCutter> cutter;
    for (;;) {
        if (m_cancel)
            break;
        const long loader = createLoader();
        if (!loader) {
            result.error = QStringLiteral("The editor could not make room for the text.");
            break;
        }
        while (!m_cancel && status == 0 && reader.nextChunk(chunk)) {
            if (firstChunk && !chunk.empty()) {
                // Only the end of the first line decides the line ending.
                result.lineEnding =
                    enc::detectLineEnding(enc::firstLineWithBreak(chunk), Sci::SC_EOL_LF);
                firstChunk = false;
                // Pieces are joined by the file's own line ending, as a line of its own would be.
                if (m_lineLimit > 0)
                    cutter.emplace(std::size_t(m_lineLimit), lineBreakOf(result.lineEnding));
            }
            const std::string_view text = cutter ? cutter->cut(chunk) : std::string_view(chunk);
            if (!text.empty())
                status = loaderAddData(loader, text.data(), std::ptrdiff_t(text.size()));
            m_done = reader.position();
        }
        if (m_cancel || status != 0 || !reader.restartRequired())
            break;
        // The file is Ansi after all: everything so far goes, and it is read again.
        {
            std::lock_guard lock(m_lock);
            loaderRelease(m_loader);
            m_loader = 0;
        }
        firstChunk = true;
        if (m_cancel || !reader.restartAsAnsi(&result.error))
            break;
    }

    std::lock_guard lock(m_lock);
    if (m_cancel) {
        result.cancelled = true;
    } else if (status != 0) {
        result.error = QStringLiteral("The editor could not hold the whole text.");
    } else if (reader.hasError()) {
        result.error = reader.errorString();
    } else if (m_loader && result.error.isEmpty()) {
        // The loader becomes the document; its reference passes to the result.
        result.document = reinterpret_cast<long>(loaderConvertToDocument(m_loader));
        m_loader = 0;
        result.ok = result.document != 0;
        result.encoding = reader.encoding();
        result.markLength = reader.markLength();
        result.trailingBytes = reader.trailingBytes();
        result.stamp = reader.stamp();
        result.readOnly = reader.wasReadOnly();
        result.styleless = m_styleless;
        if (cutter) {
            result.longestLine = qint64(cutter->longestLine());
            result.cutOffsets = cutter->cutOffsets();
        }
    }
    handOver(std::move(result));
}

void TextLoad::runCopy()
{
    LoadedText result;
    constexpr qint64 chunkBytes = qint64(1) << 20;
    int status = 0;
    const long loader = m_cancel ? 0 : createLoader();
    if (!m_cancel && !loader)
        result.error = QStringLiteral("The editor could not make room for the text.");
    for (qint64 done = 0; loader && !m_cancel && status == 0 && done < m_total;) {
        const qint64 length = std::min(chunkBytes, m_total - done);
        status = loaderAddData(loader, m_copyText + done, std::ptrdiff_t(length));
        done += length;
        m_done = done;
    }
    std::lock_guard lock(m_lock);
    if (m_cancel) {
        result.cancelled = true;
    } else if (status != 0) {
        result.error = QStringLiteral("The editor could not hold the whole text.");
    } else if (m_loader) {
        result.document = reinterpret_cast<long>(loaderConvertToDocument(m_loader));
        m_loader = 0;
        result.ok = result.document != 0;
    }
    handOver(std::move(result));
}

// Called with m_lock held.
void TextLoad::handOver(LoadedText result)
{
    if (!result.ok && m_loader) {
        loaderRelease(m_loader); // frees what was read
        m_loader = 0;
    }
    m_result = std::move(result);
    m_finished = true;
    m_finishedSignal.notify_all();
    QMetaObject::invokeMethod(this, &TextLoad::finished, Qt::QueuedConnection);
}

} // namespace pw
