// Process-wide cache of parsed settings files that checks the disk before every use (internal).
#pragma once

#include <QString>
#include <functional>

namespace tinyxml2 {
class XMLDocument;
}

namespace pw::detail {

// An edit of the document; returns false when it had nothing to change (the file is then left
// alone). Edits must be idempotent: one that was applied to a cached document may be applied
// again to a fresher copy read from disk.
using XmlEdit = std::function<bool(tinyxml2::XMLDocument &)>;
using XmlRead = std::function<void(const tinyxml2::XMLDocument &)>;

// Every XmlSettingsStore shares this cache, so the many short-lived stores of the program parse
// the file once, not once per key. The disk stays the authority: before each use the cached copy
// is compared with the file (size, modification and status-change times; while those are too
// recent to be trusted, the bytes themselves) and re-read when another writer has changed it.
// The document handed to callbacks always has the root element appSettings; a missing,
// malformed or foreign file yields a fresh one.
class SettingsDocumentCache
{
public:
    static SettingsDocumentCache &instance();

    // Calls reader with the current document of path. False (reader not called) when the file
    // exists but cannot be used: unreadable, or larger than MaxFileBytes.
    bool read(const QString &path, const XmlRead &reader);

    // Applies change to the current document. Unless deferred, the result reaches the file before
    // this returns (through a temporary file and a rename); a deferred edit waits for flush().
    // Returns false when the file cannot be used, the edit changed nothing, or the save failed;
    // after a failed save the cached copy is dropped so that reads show what the disk holds.
    bool edit(const QString &path, const XmlEdit &change, bool deferred = false);

    // Writes the deferred edits of path, re-applying them to a fresh copy if the file changed on
    // disk meanwhile. True when nothing was pending or the save succeeded.
    bool flush(const QString &path);

    // Files larger than this are neither parsed nor replaced: reads give defaults, writes fail.
    static constexpr qint64 MaxFileBytes = qint64(256) * 1024 * 1024;

private:
    SettingsDocumentCache() = default;
};

} // namespace pw::detail
