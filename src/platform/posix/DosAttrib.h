#pragma once

// The DOS attributes and creation time that Samba, the kernel SMB server and Wine keep in the
// extended attribute "user.DOSATTRIB": the text "0x<hex>" of the attribute value, a NUL, then a
// little-endian NDR record (uint16 version, uint16 union level, then the record of that version).

#include "platform/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rinoza {

inline constexpr const char* kDosAttribName = "user.DOSATTRIB";

struct DosAttrib {
    // Valid flags of the binary record.
    static constexpr uint32_t FlagAttrib = 0x01;
    static constexpr uint32_t FlagCreateTime = 0x10;

    uint32_t attrib = 0; // every bit, the unknown ones too
    std::optional<FileTime> createTime;

    // Fields of a version-3 record that this program does not use but keeps when it rewrites one.
    uint32_t otherFlags = 0; // valid flags other than attrib and create time
    uint32_t eaSize = 0;
    uint64_t size = 0;
    uint64_t allocSize = 0;
    uint64_t changeTime = 0;
};

// Reads a stored value. nullopt when the text is malformed (it is then treated as absent).
// The hex text decides the attribute bits; the creation time is taken from a version 3, 4 or 5
// record whose create-time flag is set.
std::optional<DosAttrib> decodeDosAttrib(std::string_view blob);

// The version-3 form of a value.
std::string encodeDosAttrib(const DosAttrib& a);

// Windows file times: 100 ns ticks since 1601-01-01 UTC.
uint64_t toNtTime(FileTime t);
FileTime fromNtTime(uint64_t nt);
// Whether a stored value can hold t as a creation time: from just after 1601-01-01 00:00 UTC to
// the year 30828 (the value 0 and the top half of the range read back as no time at all).
bool fitsNtTime(FileTime t);

// Reads the attribute of a file. Returns 0 with `out` set (nullopt when the file has none or it is
// malformed), or errno (ENOTSUP where the file system has no user extended attributes).
int readDosAttrib(const std::string& path, std::optional<DosAttrib>& out, bool followLinks = true);
int readDosAttrib(int fd, std::optional<DosAttrib>& out);
// Reads the extended attribute `attr` of the entry `name` of the folder open as dir (getxattrat, since
// Linux 6.13), as getxattr does. Returns the value's size, or -1 with errno set: ENOSYS where the
// kernel lacks the call (the caller then goes by path).
long getXattrAt(int dir, const char* name, bool followLinks, const char* attr, void* value, std::size_t size);
// readDosAttrib of the entry `name` of the folder open as dir; ENOSYS as getXattrAt.
int readDosAttribAt(int dir, const char* name, std::optional<DosAttrib>& out, bool followLinks = true);
// Writes the attribute of a file. Returns 0 or errno.
int writeDosAttrib(const std::string& path, const DosAttrib& a);
int writeDosAttrib(int fd, const DosAttrib& a);

} // namespace rinoza
