// What the project and file trees share: one icon per kind of entry and the wait cursor.
#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QStyle>

namespace pw::explorers {

// One shared icon per kind: a large folder holds one item per entry, and an icon made for each
// of them costs memory and time.
inline QIcon folderIcon(bool open)
{
    static const QIcon closedIcon = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    static const QIcon openIcon = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    return open ? openIcon : closedIcon;
}

inline QIcon fileIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace pw::explorers
