// Process-wide cache of parsed settings files that checks the disk before every use.
#include "settings/settingsdocumentcache.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <tinyxml2.h>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pw::detail {

namespace {

constexpr char RootName[] = "appSettings";
constexpr char Declaration[] = "xml version=\"1.0\" encoding=\"UTF-8\"";

// File systems stamp modification times with a granularity between nanoseconds and two seconds,
// so a file whose times are younger than this may have been rewritten within the same tick
// without any visible change of its stamp; such a file is compared by content instead.
constexpr qint64 SettleMs = 3000;
// Up to this size a file whose stamp is too young to trust is compared by content.
constexpr qint64 ContentCheckMaxBytes = qint64(1) << 20;
// How many files stay parsed at once; the program uses one, tests and tools a few.
constexpr std::size_t MaxEntries = 4;
// Another process holding the write lock longer than this is assumed stuck; we write anyway
// rather than hang the user interface.
constexpr int LockWaitMs = 2000;

struct FileStamp
{
    bool exists = false;
    bool regular = false;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

FileStamp stampOf(const QString &path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(st.st_mode);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.inode = quint64(st.st_ino);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp;
    stamp.exists = true;
    stamp.regular = info.isFile();
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

bool isSettled(const FileStamp &stamp)
{
    // Re-reading a big file on every operation would make each read cost as much as a parse;
    // for such files an unchanged stamp (size, nanosecond times, inode) is trusted at once.
    if (!stamp.exists || stamp.size > ContentCheckMaxBytes)
        return true;
    const qint64 newestMs = std::max(stamp.modifiedNs, stamp.changedNs) / 1000000;
    // A stamp in the future (clock skew, network drives) is never trusted.
    return QDateTime::currentMSecsSinceEpoch() - newestMs > SettleMs;
}

// tinyxml2 writes text and attribute values with only the five standard entities, so a carriage
// return would come back as a line feed and a "]]>" inside CDATA would end it early and corrupt
// the file. Plain text and attribute values are therefore written with character references for
// everything a parser would alter; the store writes CDATA only for values that survive it.
class SettingsPrinter final : public tinyxml2::XMLPrinter
{
public:
    SettingsPrinter() : tinyxml2::XMLPrinter(nullptr, false, 0) {}

    bool VisitEnter(const tinyxml2::XMLElement &element,
                    const tinyxml2::XMLAttribute *attribute) override
    {
        OpenElement(element.Name(), false);
        for (; attribute; attribute = attribute->Next()) {
            Putc(' ');
            Write(attribute->Name());
            Write("=\"");
            writeEscaped(attribute->Value(), true);
            Putc('"');
        }
        return true;
    }

    bool Visit(const tinyxml2::XMLText &text) override
    {
        if (text.CData())
            return tinyxml2::XMLPrinter::Visit(text);
        PushText("", false); // closes the start tag and keeps the element on one line
        writeEscaped(text.Value(), false);
        return true;
    }

private:
    void writeEscaped(const char *text, bool attribute)
    {
        const char *run = text;
        for (const char *p = text; *p; ++p) {
            const auto ch = static_cast<unsigned char>(*p);
            const char *entity = nullptr;
            char numeric[8];
            switch (ch) {
            case '&':
                entity = "&amp;";
                break;
            case '<':
                entity = "&lt;";
                break;
            case '>':
                entity = "&gt;";
                break;
            case '"':
                entity = attribute ? "&quot;" : nullptr;
                break;
            case '\n':
            case '\t':
                if (attribute) {
                    std::snprintf(numeric, sizeof numeric, "&#%d;", int(ch));
                    entity = numeric;
                }
                break;
            default:
                if (ch < 0x20) {
                    std::snprintf(numeric, sizeof numeric, "&#%d;", int(ch));
                    entity = numeric;
                }
                break;
            }
            if (!entity)
                continue;
            if (p > run)
                Write(run, std::size_t(p - run));
            Write(entity);
            run = p + 1;
        }
        if (*run)
            Write(run);
    }
};

std::unique_ptr<tinyxml2::XMLDocument> newDocument()
{
    return std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
}

void makeFresh(tinyxml2::XMLDocument &doc)
{
    doc.Clear();
    doc.InsertEndChild(doc.NewDeclaration(Declaration));
    doc.InsertEndChild(doc.NewElement(RootName));
}

// Parses bytes into doc; anything but a well-formed document rooted at appSettings gives a fresh
// document, which the next write puts in place of the file as a whole.
void parseInto(tinyxml2::XMLDocument &doc, const QByteArray &bytes)
{
    doc.Clear();
    const bool ok =
        !bytes.isEmpty() &&
        doc.Parse(bytes.constData(), std::size_t(bytes.size())) == tinyxml2::XML_SUCCESS &&
        doc.RootElement() && std::strcmp(doc.RootElement()->Name(), RootName) == 0;
    if (!ok) {
        makeFresh(doc);
        return;
    }
    if (!doc.FirstChild()->ToDeclaration())
        doc.InsertFirstChild(doc.NewDeclaration(Declaration));
}

QByteArray serialize(const tinyxml2::XMLDocument &doc)
{
    SettingsPrinter printer;
    doc.Print(&printer);
    return QByteArray(printer.CStr(), printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0);
}

struct Entry
{
    QString path;
    FileStamp stamp;      // disk state the document was built from
    bool settled = false; // the stamp is old enough that an unchanged stamp proves the content
    bool usable = false;  // false: unreadable or oversized file
    QByteArray bytes;     // the disk bytes behind the document (empty when there is no file)
    std::unique_ptr<tinyxml2::XMLDocument> doc;
    std::vector<XmlEdit> pending; // deferred edits not yet on disk
    quint64 lastUse = 0;
};

struct CacheState
{
    std::mutex mutex;
    std::vector<std::unique_ptr<Entry>> entries;
    quint64 clock = 0;
};

CacheState &state()
{
    static CacheState s;
    return s;
}

QString cacheKey(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

Entry &entryFor(CacheState &s, const QString &path)
{
    const QString key = cacheKey(path);
    auto it = std::find_if(s.entries.begin(), s.entries.end(),
                           [&](const auto &e) { return e->path == key; });
    Entry *entry = nullptr;
    if (it != s.entries.end()) {
        entry = it->get();
    } else {
        auto created = std::make_unique<Entry>();
        created->path = key;
        entry = created.get();
        s.entries.push_back(std::move(created));
    }
    entry->lastUse = ++s.clock;
    return *entry;
}

void dropEntry(CacheState &s, const Entry &entry)
{
    std::erase_if(s.entries, [&](const auto &e) { return e.get() == &entry; });
}

void trim(CacheState &s)
{
    while (s.entries.size() > MaxEntries) {
        auto victim = s.entries.end();
        for (auto it = s.entries.begin(); it != s.entries.end(); ++it) {
            // Unwritten edits must survive until their flush.
            if (!(*it)->pending.empty())
                continue;
            if (victim == s.entries.end() || (*it)->lastUse < (*victim)->lastUse)
                victim = it;
        }
        if (victim == s.entries.end())
            return;
        s.entries.erase(victim);
    }
}

void rebuild(Entry &entry, const QByteArray &bytes)
{
    if (!entry.doc)
        entry.doc = newDocument();
    parseInto(*entry.doc, bytes);
    entry.bytes = bytes;
    for (const XmlEdit &edit : entry.pending)
        edit(*entry.doc);
}

// Brings the entry in line with the disk.
void refresh(Entry &entry)
{
    const FileStamp now = stampOf(entry.path);
    if (entry.doc && now == entry.stamp && entry.settled)
        return;
    entry.stamp = now;
    entry.settled = isSettled(now);
    if (!now.exists) {
        entry.usable = true;
        if (!entry.doc || !entry.bytes.isEmpty())
            rebuild(entry, {});
        return;
    }
    if (!now.regular || now.size > SettingsDocumentCache::MaxFileBytes) {
        entry.usable = false;
        return;
    }
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly)) {
        // It may have vanished between the stat and the open; then it is simply missing.
        entry.usable = !file.exists();
        if (entry.usable)
            rebuild(entry, {});
        return;
    }
    // Read to the end rather than the size just seen: a file cut short here would parse as
    // damaged and be replaced by the next write.
    const QByteArray bytes = file.readAll();
    if (bytes.size() > SettingsDocumentCache::MaxFileBytes) {
        entry.usable = false;
        return;
    }
    const bool sameContent = entry.doc && entry.usable && bytes == entry.bytes;
    entry.usable = true;
    if (!sameContent)
        rebuild(entry, bytes);
}

// Serialises the entry's document and puts it on disk unless the disk already holds it.
bool save(CacheState &s, Entry &entry)
{
    const QByteArray out = serialize(*entry.doc);
    if (entry.stamp.exists && out == entry.bytes) {
        entry.pending.clear();
        return true;
    }
    // QSaveFile writes a temporary file beside the target, syncs it and renames it over the
    // target, so a crash or a full disk leaves the previous file whole. The write lock has made
    // the folder; where it could not, the open fails and the write is dropped.
    QSaveFile file(entry.path);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
    if (!ok) {
        if (file.isOpen())
            file.cancelWriting();
        dropEntry(s, entry);
        return false;
    }
    entry.bytes = out;
    entry.stamp = stampOf(entry.path);
    entry.settled = false;
    entry.pending.clear();
    return true;
}

// Serialises writers of other processes between their read and their rename, so that two
// programs closing at the same moment cannot drop each other's keys. On POSIX systems it is an
// advisory lock on the folder: no file to create, sync and delete for every write, and the
// system releases it when a process dies. A lock that cannot be had in time is given up on: the
// write goes ahead rather than hang the user interface.
class WriteLock
{
public:
    explicit WriteLock(const QString &path)
    {
        // The first write makes the settings folder: an installed program has no installer here
        // to make its per-user folder, and without it every setting would be lost at exit.
        QDir().mkpath(QFileInfo(path).absolutePath());
#ifdef Q_OS_UNIX
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        m_fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0)
            return;
        QElapsedTimer waited;
        waited.start();
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() > LockWaitMs)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
#else
        m_lock.emplace(path + QStringLiteral(".lock"));
        m_lock->tryLock(LockWaitMs);
#endif
    }

    ~WriteLock()
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
#endif
    }

    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

private:
#ifdef Q_OS_UNIX
    int m_fd = -1;
#else
    std::optional<QLockFile> m_lock;
#endif
};

} // namespace

SettingsDocumentCache &SettingsDocumentCache::instance()
{
    static SettingsDocumentCache cache;
    return cache;
}

bool SettingsDocumentCache::read(const QString &path, const XmlRead &reader)
{
    CacheState &s = state();
    std::lock_guard guard(s.mutex);
    Entry &entry = entryFor(s, path);
    refresh(entry);
    const bool usable = entry.usable;
    if (usable)
        reader(*entry.doc);
    trim(s);
    return usable;
}

bool SettingsDocumentCache::edit(const QString &path, const XmlEdit &change, bool deferred)
{
    CacheState &s = state();
    std::lock_guard guard(s.mutex);
    std::optional<WriteLock> lock;
    if (!deferred)
        lock.emplace(path);
    Entry &entry = entryFor(s, path);
    refresh(entry);
    if (!entry.usable || !change(*entry.doc)) {
        trim(s);
        return false;
    }
    if (deferred) {
        entry.pending.push_back(change);
        return true;
    }
    const bool ok = save(s, entry);
    trim(s);
    return ok;
}

bool SettingsDocumentCache::flush(const QString &path)
{
    CacheState &s = state();
    std::lock_guard guard(s.mutex);
    Entry &entry = entryFor(s, path);
    if (entry.pending.empty())
        return true;
    WriteLock lock(path);
    refresh(entry);
    if (!entry.usable) {
        dropEntry(s, entry);
        return false;
    }
    const bool ok = save(s, entry);
    trim(s);
    return ok;
}

} // namespace pw::detail
