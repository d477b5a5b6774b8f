// Project folder rules over POSIX calls, so entries are reached by their bytes, never re-encoded.
#include "explorers/engine/projecttree.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pw::explorers {

namespace {

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

QByteArray parentOf(const QByteArray &path)
{
    QByteArray trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    return slash == 0 ? QByteArray("/") : trimmed.left(slash);
}

QByteArray baseNameOf(const QByteArray &path)
{
    QByteArray trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf('/') + 1);
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// The directory attribute as a listing reports it: a link to a folder counts as a folder.
bool isDirectory(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

void expandInto(const QByteArray &folder, int depth, std::set<std::pair<dev_t, ino_t>> &open,
                QStringList &lines)
{
    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return;
    const auto key = std::make_pair(st.st_dev, st.st_ino);
    if (!open.insert(key).second)
        return;
    for (const ProjectEntry &entry : listFolder(folder)) {
        lines << QString(depth * 2, QLatin1Char(' ')) + entry.name;
        if (entry.isFolder)
            expandInto(entry.nativePath, depth + 1, open, lines);
    }
    open.erase(key);
}

} // namespace

QByteArray nativePathOf(const QString &path)
{
    return QFile::encodeName(path);
}

QString displayPathOf(const QByteArray &nativePath)
{
    return QString::fromUtf8(nativePath);
}

QString displayNameOf(const QByteArray &nativeName)
{
    return QString::fromUtf8(nativeName);
}

bool entryLess(const ProjectEntry &a, const ProjectEntry &b)
{
    if (a.isFolder != b.isFolder)
        return a.isFolder;
    const int order = QString::compare(displayPathOf(a.nativePath), displayPathOf(b.nativePath),
                                       Qt::CaseInsensitive);
    if (order != 0)
        return order < 0;
    return a.nativePath < b.nativePath;
}

QByteArray folderIdentity(const QByteArray &folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return {};
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
}

std::vector<ProjectEntry> listFolder(const QByteArray &folder, bool *readable)
{
    std::vector<ProjectEntry> entries;
    DIR *dir = ::opendir(folder.constData());
    if (readable)
        *readable = dir != nullptr;
    if (!dir)
        return entries;
    while (const dirent *item = ::readdir(dir)) {
        const QByteArray name(item->d_name);
        if (name == "." || name == "..")
            continue;
        ProjectEntry entry;
        entry.nativePath = joinPath(folder, name);
        entry.name = displayNameOf(name);
        entry.isFolder = item->d_type == DT_DIR ||
                         ((item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) &&
                          isDirectory(entry.nativePath));
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    // The display paths are made once, not at every comparison of a large folder's sort.
    std::vector<std::pair<QString, std::size_t>> keys;
    keys.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        keys.emplace_back(displayPathOf(entries[i].nativePath), i);
    std::sort(keys.begin(), keys.end(), [&entries](const auto &a, const auto &b) {
        const ProjectEntry &x = entries[a.second];
        const ProjectEntry &y = entries[b.second];
        if (x.isFolder != y.isFolder)
            return x.isFolder;
        const int order = QString::compare(a.first, b.first, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : x.nativePath < y.nativePath;
    });
    std::vector<ProjectEntry> sorted;
    sorted.reserve(entries.size());
    for (const auto &key : keys)
        sorted.push_back(std::move(entries[key.second]));
    return sorted;
}

bool createFolder(const QByteArray &parent, const QByteArray &name)
{
    return ::mkdir(joinPath(parent, name).constData(), 0777) == 0;
}

bool createEmptyFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool removeEntry(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0;
    // An unreadable folder still goes when it is empty; its contents cannot be listed anyway.
    for (const ProjectEntry &entry : listFolder(path))
        removeEntry(entry.nativePath);
    return ::rmdir(path.constData()) == 0;
}

bool renameEntry(const QByteArray &path, const QByteArray &newName, QByteArray *newPath)
{
    if (newName.isEmpty() || newName.contains('/') || newName == "." || newName == "..")
        return false;
    const QByteArray target = joinPath(parentOf(path), newName);
    if (target != path && (exists(target) || ::rename(path.constData(), target.constData()) != 0))
        return false;
    if (target == path && !exists(path))
        return false;
    if (newPath)
        *newPath = target;
    return true;
}

bool copyFileInto(const QByteArray &file, const QByteArray &folder, QByteArray *newPath)
{
    const QByteArray target = joinPath(folder, baseNameOf(file));
    const int in = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(out, buffer + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok)
            break;
    }
    ::close(in);
    if (::close(out) != 0)
        ok = false;
    if (!ok) {
        ::unlink(target.constData());
        return false;
    }
    if (newPath)
        *newPath = target;
    return true;
}

bool moveInto(const QByteArray &path, const QByteArray &folder, QByteArray *newPath)
{
    const QByteArray target = joinPath(folder, baseNameOf(path));
    if (target == path || exists(target) || ::rename(path.constData(), target.constData()) != 0)
        return false;
    if (newPath)
        *newPath = target;
    return true;
}

bool dropAllowed(const QByteArray &dragged, const QByteArray &target)
{
    if (dragged.isEmpty() || target.isEmpty() || dragged == target)
        return false;
    if (parentOf(dragged) == target)
        return false;
    const QByteArray inside = dragged.endsWith('/') ? dragged : dragged + '/';
    return !target.startsWith(inside);
}

bool ensureFolder(const QByteArray &path)
{
    if (path.isEmpty())
        return false;
    if (isDirectory(path))
        return true;
    const QByteArray parent = parentOf(path);
    if (parent != path && !isDirectory(parent))
        ensureFolder(parent);
    return ::mkdir(path.constData(), 0777) == 0 || isDirectory(path);
}

QByteArray readInsertableHead(const QByteArray &path, qint64 limit)
{
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    bytes.resize(limit);
    qint64 total = 0;
    while (total < limit) {
        const ssize_t got = ::read(fd, bytes.data() + total, size_t(limit - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += got;
    }
    ::close(fd);
    bytes.truncate(total);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return bytes;
}

QStringList expandedTree(const QByteArray &root)
{
    QStringList lines;
    lines << displayPathOf(root);
    std::set<std::pair<dev_t, ino_t>> open;
    expandInto(root, 1, open, lines);
    return lines;
}

} // namespace pw::explorers
