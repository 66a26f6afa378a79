#include "platform/posix/DosAttrib.h"

#include "platform/TextNumbers.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

// getxattrat came with Linux 6.13; its number is the same on every architecture of the common table.
#if !defined(SYS_getxattrat) && (defined(__x86_64__) || defined(__aarch64__) || defined(__riscv))
#define SYS_getxattrat 464
#endif

namespace rinoza {

namespace {

constexpr int64_t kNtEpochOffset = 11644473600LL; // seconds from 1601 to 1970

uint32_t get32(std::string_view b, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

uint64_t get64(std::string_view b, std::size_t at) {
    return static_cast<uint64_t>(get32(b, at)) | (static_cast<uint64_t>(get32(b, at + 4)) << 32);
}

uint16_t get16(std::string_view b, std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::size_t alignUp(std::size_t v, std::size_t align) {
    return (v + align - 1) / align * align;
}

// "0x" followed by one to eight hex digits, nothing else.
std::optional<uint32_t> parseHexText(std::string_view t) {
    if (t.size() < 3 || t.size() > 10 || t[0] != '0' || (t[1] != 'x' && t[1] != 'X'))
        return std::nullopt;
    const auto v = parseHexDigits(t.substr(2));
    if (!v)
        return std::nullopt;
    return static_cast<uint32_t>(*v);
}

int readBlob(ssize_t (*get)(const char*, const char*, void*, size_t), const std::string& path, std::string& blob) {
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = get(path.c_str(), kDosAttribName, buf.data(), buf.size());
        if (n >= 0) {
            blob.assign(buf.data(), static_cast<std::size_t>(n));
            return 0;
        }
        if (errno != ERANGE)
            return errno;
        ssize_t need = get(path.c_str(), kDosAttribName, nullptr, 0);
        if (need < 0)
            return errno;
        buf.resize(static_cast<std::size_t>(need) + 16);
    }
}

int finishRead(int rc, const std::string& blob, std::optional<DosAttrib>& out) {
    out.reset();
    if (rc == ENODATA)
        return 0;
    if (rc != 0)
        return rc;
    out = decodeDosAttrib(blob);
    return 0;
}

} // namespace

uint64_t toNtTime(FileTime t) {
    return static_cast<uint64_t>((t.sec + kNtEpochOffset) * 10000000LL + t.nsec / 100);
}

bool fitsNtTime(FileTime t) {
    constexpr int64_t kLastSecond = 0x7fffffffffffffffLL / 10000000LL - kNtEpochOffset - 1;
    return t.sec >= -kNtEpochOffset && t.sec <= kLastSecond && t.nsec >= 0 && t.nsec < 1'000'000'000 &&
           toNtTime(t) != 0;
}

FileTime fromNtTime(uint64_t nt) {
    auto ticks = static_cast<int64_t>(nt);
    return FileTime{ticks / 10000000LL - kNtEpochOffset, static_cast<int32_t>(ticks % 10000000LL) * 100};
}

std::optional<DosAttrib> decodeDosAttrib(std::string_view blob) {
    const auto nul = blob.find('\0');
    const std::string_view text = blob.substr(0, nul);
    DosAttrib a;
    auto hex = parseHexText(text);
    // An empty text is allowed only in front of a binary record that carries the bits.
    if (!hex && !text.empty())
        return std::nullopt;
    if (hex)
        a.attrib = *hex;
    if (nul == std::string_view::npos) {
        if (!hex)
            return std::nullopt;
        return a; // the legacy text-only form
    }

    std::size_t pos = alignUp(nul + 1, 2);
    if (blob.size() < pos + 4)
        return hex ? std::optional<DosAttrib>(a) : std::nullopt;
    const uint16_t version = get16(blob, pos);
    pos = alignUp(pos + 4, 4);
    const std::size_t rest = blob.size() > pos ? blob.size() - pos : 0;

    // Offsets inside the record: where the valid flags, attrib and create time sit.
    std::optional<std::size_t> createAt;
    std::size_t attribAt = 0, need = 0;
    bool hasFlags = true;
    switch (version) {
    case 1:
        hasFlags = false;
        attribAt = 0;
        need = 40;
        createAt = 24;
        break;
    case 2:
        attribAt = 4;
        need = 8;
        break;
    case 3:
        attribAt = 4;
        need = 44;
        createAt = 28;
        break;
    case 4:
        attribAt = 4;
        need = 24;
        createAt = 16;
        break;
    case 5:
        attribAt = 4;
        need = 16;
        createAt = 8;
        break;
    default:
        return hex ? std::optional<DosAttrib>(a) : std::nullopt;
    }
    if (rest < need)
        return hex ? std::optional<DosAttrib>(a) : std::nullopt;

    const uint32_t flags = hasFlags ? get32(blob, pos) : (DosAttrib::FlagAttrib | DosAttrib::FlagCreateTime);
    if (!hex) {
        if (!(flags & DosAttrib::FlagAttrib))
            return std::nullopt;
        a.attrib = get32(blob, pos + attribAt);
    }
    if (version >= 3 && createAt && (flags & DosAttrib::FlagCreateTime)) {
        const uint64_t nt = get64(blob, pos + *createAt);
        if (nt != 0 && nt < 0x7fffffffffffffffULL)
            a.createTime = fromNtTime(nt);
    }
    if (version == 3) {
        a.otherFlags = flags & ~(DosAttrib::FlagAttrib | DosAttrib::FlagCreateTime);
        a.eaSize = get32(blob, pos + 8);
        a.size = get64(blob, pos + 12);
        a.allocSize = get64(blob, pos + 20);
        a.changeTime = get64(blob, pos + 36);
    }
    return a;
}

namespace {

// The longest value encodeDosAttrib makes: "0x" and eight digits, a NUL, padding, the version and
// level, and the 44 bytes of the record.
constexpr std::size_t kMaxDosAttribSize = 16 + 44;

// Writes the version-3 form of a value into out; returns its length.
std::size_t encodeDosAttribInto(const DosAttrib& a, char (&out)[kMaxDosAttribSize]) {
    static constexpr char kHex[] = "0123456789abcdef";
    char digits[8];
    int n = 0;
    uint32_t v = a.attrib;
    do {
        digits[n++] = kHex[v & 0xf];
        v >>= 4;
    } while (v != 0);
    const std::size_t textLen = 2 + static_cast<std::size_t>(n);
    const std::size_t header = alignUp(alignUp(textLen + 1, 2) + 4, 4);
    std::fill(out, out + header + 44, '\0');
    char* b = out;
    b[0] = '0';
    b[1] = 'x';
    for (int i = 0; i < n; ++i)
        b[2 + static_cast<std::size_t>(i)] = digits[n - 1 - i];
    auto at = [b](std::size_t pos, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[pos + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    const std::size_t version = alignUp(textLen + 1, 2);
    at(version, 3, 2);     // version
    at(version + 2, 3, 2); // union level
    uint32_t flags = a.otherFlags | DosAttrib::FlagAttrib;
    if (a.createTime)
        flags |= DosAttrib::FlagCreateTime;
    at(header, flags, 4);
    at(header + 4, a.attrib, 4);
    at(header + 8, a.eaSize, 4);
    at(header + 12, a.size, 8);
    at(header + 20, a.allocSize, 8);
    at(header + 28, a.createTime ? toNtTime(*a.createTime) : 0, 8);
    at(header + 36, a.changeTime, 8);
    return header + 44;
}

} // namespace

std::string encodeDosAttrib(const DosAttrib& a) {
    char b[kMaxDosAttribSize];
    return std::string(b, encodeDosAttribInto(a, b));
}

int readDosAttrib(const std::string& path, std::optional<DosAttrib>& out, bool followLinks) {
    std::string blob;
    int rc = readBlob(followLinks ? &::getxattr : &::lgetxattr, path, blob);
    return finishRead(rc, blob, out);
}

long getXattrAt(int dir, const char* name, bool followLinks, const char* attr, void* value, std::size_t size) {
#ifdef SYS_getxattrat
    // Once the kernel said it lacks the call, it is not asked again.
    static std::atomic<bool> missing{false};
    if (!missing.load(std::memory_order_relaxed)) {
        struct {
            uint64_t value;
            uint32_t size;
            uint32_t flags;
        } args{reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size), 0};
        const long n =
            ::syscall(SYS_getxattrat, dir, name, followLinks ? 0 : AT_SYMLINK_NOFOLLOW, attr, &args, sizeof args);
        if (n >= 0 || errno != ENOSYS)
            return n;
        missing.store(true, std::memory_order_relaxed);
    }
#else
    (void)dir, (void)name, (void)followLinks, (void)attr, (void)value, (void)size;
#endif
    errno = ENOSYS;
    return -1;
}

int readDosAttribAt(int dir, const char* name, std::optional<DosAttrib>& out, bool followLinks) {
    std::vector<char> buf(256);
    std::string blob;
    int rc = 0;
    for (;;) {
        const long n = getXattrAt(dir, name, followLinks, kDosAttribName, buf.data(), buf.size());
        if (n >= 0) {
            blob.assign(buf.data(), static_cast<std::size_t>(n));
            break;
        }
        if (errno == ENOSYS) {
            out.reset();
            return ENOSYS;
        }
        if (errno != ERANGE) {
            rc = errno;
            break;
        }
        const long need = getXattrAt(dir, name, followLinks, kDosAttribName, nullptr, 0);
        if (need < 0) {
            rc = errno;
            break;
        }
        buf.resize(static_cast<std::size_t>(need) + 16);
    }
    return finishRead(rc, blob, out);
}

int readDosAttrib(int fd, std::optional<DosAttrib>& out) {
    // Most values fit a buffer on the stack, which spares a long change two allocations per file.
    char small[256];
    const ssize_t got = fgetxattr(fd, kDosAttribName, small, sizeof small);
    if (got >= 0) {
        out = decodeDosAttrib(std::string_view(small, static_cast<std::size_t>(got)));
        return 0;
    }
    if (errno != ERANGE)
        return finishRead(errno, {}, out);
    std::vector<char> buf(512);
    std::string blob;
    int rc = 0;
    for (;;) {
        ssize_t n = fgetxattr(fd, kDosAttribName, buf.data(), buf.size());
        if (n >= 0) {
            blob.assign(buf.data(), static_cast<std::size_t>(n));
            break;
        }
        if (errno != ERANGE) {
            rc = errno;
            break;
        }
        ssize_t need = fgetxattr(fd, kDosAttribName, nullptr, 0);
        if (need < 0) {
            rc = errno;
            break;
        }
        buf.resize(static_cast<std::size_t>(need) + 16);
    }
    return finishRead(rc, blob, out);
}

int writeDosAttrib(const std::string& path, const DosAttrib& a) {
    const std::string b = encodeDosAttrib(a);
    if (setxattr(path.c_str(), kDosAttribName, b.data(), b.size(), 0) != 0)
        return errno;
    return 0;
}

int writeDosAttrib(int fd, const DosAttrib& a) {
    char b[kMaxDosAttribSize];
    if (fsetxattr(fd, kDosAttribName, b, encodeDosAttribInto(a, b), 0) != 0)
        return errno;
    return 0;
}

} // namespace rinoza
