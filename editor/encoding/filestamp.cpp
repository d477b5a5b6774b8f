// File stamps and their comparison.
#include "editor/encoding/filestamp.h"

#include "editor/encoding/fileops.h"

namespace pw::enc {

FileStamp sys::stampOf(const sys::Info &info)
{
    FileStamp stamp;
    if (!info.exists)
        return stamp;
    stamp.exists = true;
    stamp.size = info.size;
    stamp.modifiedNs = info.modifiedNs;
    stamp.inode = info.inode;
    stamp.device = info.device;
    return stamp;
}

FileStamp FileStamp::of(const QString &path)
{
    sys::Info info;
    if (sys::infoOf(path, info))
        return {};
    return sys::stampOf(info);
}

FileChange compareStamps(const FileStamp &known, const FileStamp &now)
{
    if (known == now)
        return FileChange::None;
    if (known.exists && !now.exists)
        return FileChange::Deleted;
    return FileChange::Modified;
}

} // namespace pw::enc
