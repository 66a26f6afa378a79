#include "platform/posix/StatxInfo.h"

#include "platform/posix/DosAttrib.h"
#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <sys/sysmacros.h>
#include <sys/xattr.h>

namespace rinoza {

void applyDosAttrib(const DosAttrib& dos, FileInfo& info) {
    const uint32_t fromXattr = AttrHidden | AttrSystem | AttrArchive;
    info.attributes = (info.attributes & ~fromXattr) | (dos.attrib & fromXattr);
    if (dos.createTime)
        info.creation = dos.createTime;
}

FileTime fromStatxTime(const statx_timestamp& t) {
    return FileTime{t.tv_sec, static_cast<int32_t>(t.tv_nsec)};
}

void fillFileInfo(const struct statx& sx, FileInfo& info) {
    info.mode = sx.stx_mode;
    info.isDirectory = S_ISDIR(sx.stx_mode);
    info.isRegular = S_ISREG(sx.stx_mode);
    info.isSymlink = S_ISLNK(sx.stx_mode);
    info.size = static_cast<int64_t>(sx.stx_size);
    info.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    info.ino = sx.stx_ino;
    info.lastWrite = fromStatxTime(sx.stx_mtime);
    info.lastAccess = fromStatxTime(sx.stx_atime);
    info.statusChange = fromStatxTime(sx.stx_ctime);
    if (sx.stx_mask & STATX_BTIME)
        info.creation = fromStatxTime(sx.stx_btime);
    info.attributes = defaultAttributes(info.name, info.mode);
}

void overlayDosAttrib(const std::string& path, FileInfo& info, bool followLinks) {
    // Most values fit the buffer on the stack; a longer one is read again at its full size.
    char buf[256];
    const ssize_t n = followLinks ? ::getxattr(path.c_str(), kDosAttribName, buf, sizeof buf)
                                  : ::lgetxattr(path.c_str(), kDosAttribName, buf, sizeof buf);
    std::optional<DosAttrib> dos;
    if (n >= 0) {
        dos = decodeDosAttrib(std::string_view(buf, static_cast<std::size_t>(n)));
    } else if (errno == ERANGE) {
        if (readDosAttrib(path, dos, followLinks) != 0)
            dos.reset();
    }
    if (dos)
        applyDosAttrib(*dos, info);
}

} // namespace rinoza
