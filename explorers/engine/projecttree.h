// Project folder rules: listing a folder in the tree's order and changing entries by native bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace pw::explorers {

// One entry of a folder. The native path is what the disk knows the entry by; names that are not
// valid UTF-8 still open, rename and delete through it.
struct ProjectEntry
{
    QString name;          // for display
    QByteArray nativePath; // parent's native path + "/" + the entry's bytes
    bool isFolder = false;
};

// Encodes a path as the disk takes it.
QByteArray nativePathOf(const QString &path);
QString displayPathOf(const QByteArray &nativePath);
QString displayNameOf(const QByteArray &nativeName);

// The entries of a folder ("." and ".." skipped, hidden entries kept) in the tree's order:
// folders before files, otherwise by full path without regard to case. An unreadable folder
// lists as empty, with readable (when given) set to false.
std::vector<ProjectEntry> listFolder(const QByteArray &folder, bool *readable = nullptr);
// Where a folder is on disk (device and inode), the same for every link to it; empty when it cannot
// be reached. A folder whose identity is one of its ancestors' is a link loop.
QByteArray folderIdentity(const QByteArray &folder);
// The tree's order of two entries.
bool entryLess(const ProjectEntry &a, const ProjectEntry &b);

// Creates parent/name; false when it exists or cannot be made.
bool createFolder(const QByteArray &parent, const QByteArray &name);
// Creates or truncates parent/name as an empty file; false on failure.
bool createEmptyFile(const QByteArray &path);
// Deletes a file, or a folder with everything in it, permanently. Symbolic links are removed, never
// followed. False when anything stayed.
bool removeEntry(const QByteArray &path);
// Renames path to its parent folder + "/" + newName; false when newName is empty, holds a slash,
// names an existing entry or the rename fails. On success newPath holds the new native path.
bool renameEntry(const QByteArray &path, const QByteArray &newName, QByteArray *newPath = nullptr);
// Copies a file into folder under its own name, never over an existing entry.
bool copyFileInto(const QByteArray &file, const QByteArray &folder, QByteArray *newPath = nullptr);
// Moves path into folder under its own name.
bool moveInto(const QByteArray &path, const QByteArray &folder, QByteArray *newPath = nullptr);
// Whether a dragged entry may be dropped on target: not itself, not its own folder, not inside it.
bool dropAllowed(const QByteArray &dragged, const QByteArray &target);
// Creates a folder with all its parents; true when it exists afterwards.
bool ensureFolder(const QByteArray &path);

// The first bytes of a file (at most limit, cut at the first zero byte), as Insert Into Active
// Document and Copy File To Clipboard take them.
QByteArray readInsertableHead(const QByteArray &path, qint64 limit = 250000);

// The tree of root fully expanded: the root's path, then each entry indented two spaces per level,
// in the tree's order. A folder already open further up (a link loop) is listed but not entered.
QStringList expandedTree(const QByteArray &root);

} // namespace pw::explorers
