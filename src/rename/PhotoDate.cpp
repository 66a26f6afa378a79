#include "rename/PhotoDate.h"

#include "platform/FileSystem.h"
#include "platform/TextNumbers.h"

// The EXIF library decodes the file's start from memory; only for metadata further on does it open
// the file by its path itself, the one place where a library reaches the file system on its own.
#include <exiv2/bmffimage.hpp>
#include <exiv2/exiv2.hpp>

#include <array>
#include <exception>

namespace rinoza {

namespace {

// The library reports oddities of a damaged file on stderr unless told otherwise; a damaged file is
// simply one without a date here. HEIF and the other ISO media files are read only when asked for.
void setUpLibraryOnce() {
    static const bool done = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::LogMsg::setHandler(nullptr);
        Exiv2::enableBMFF(true);
        return true;
    }();
    (void)done;
}

bool digitsAt(std::string_view s, std::size_t pos, std::size_t count, int& value) {
    const std::optional<int> v = parseDigits<int>(s.substr(pos, count));
    value = v.value_or(0);
    return v.has_value();
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<std::size_t>(month - 1)];
}

} // namespace

std::optional<LocalDateTime> parseExifDateTime(std::string_view text) {
    if (text.size() < 19)
        return std::nullopt;
    const auto dateSep = [&](std::size_t i) { return text[i] == ':' || text[i] == '-' || text[i] == '/'; };
    if (!dateSep(4) || !dateSep(7) || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    LocalDateTime t;
    if (!digitsAt(text, 0, 4, t.year) || !digitsAt(text, 5, 2, t.month) || !digitsAt(text, 8, 2, t.day) ||
        !digitsAt(text, 11, 2, t.hour) || !digitsAt(text, 14, 2, t.minute) || !digitsAt(text, 17, 2, t.second))
        return std::nullopt;
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

namespace {

struct DateFound {
    std::optional<LocalDateTime> date;
    std::size_t rank = 0; // 0 DateTimeOriginal, 1 DateTimeDigitized, 2 DateTime
};

// The first of the three tags that holds a valid date; throws what the library throws.
DateFound dateIn(Exiv2::Image& image) {
    // Made once: a key is looked up by name in the library's tag tables.
    static const std::array<Exiv2::ExifKey, 3> keys{Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"),
                                                    Exiv2::ExifKey("Exif.Photo.DateTimeDigitized"),
                                                    Exiv2::ExifKey("Exif.Image.DateTime")};
    image.readMetadata();
    const Exiv2::ExifData& exif = image.exifData();
    for (std::size_t rank = 0; rank < keys.size(); ++rank) {
        const auto it = exif.findKey(keys[rank]);
        if (it == exif.end())
            continue;
        if (auto t = parseExifDateTime(it->toString()))
            return {t, rank};
    }
    return {};
}

} // namespace

std::optional<LocalDateTime> photoDateTaken(FileSystem& fs, const std::string& path) {
    setUpLibraryOnce();
    // One read of the file's start serves nearly every photo: a JPEG keeps its EXIF block in the
    // first 64 KiB. Reading the file through the library costs half as much again.
    constexpr std::size_t kHeadBytes = 256 * 1024;
    std::string head;
    if (fs.readFileHead(path, kHeadBytes, head) != 0 || head.empty())
        return std::nullopt;
    const bool whole = head.size() < kHeadBytes;
    try {
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(head.data()),
                                               static_cast<long>(head.size()));
        const DateFound found = dateIn(*image);
        // From a part of the file only DateTimeOriginal is sure: the others may yield to it further on.
        if (found.date && (whole || found.rank == 0))
            return found.date;
        if (whole)
            return std::nullopt;
    } catch (const std::exception&) {
        // Not an image, or not one whose metadata lies in the part read.
        if (whole)
            return std::nullopt;
    }
    // Metadata further on (a TIFF or raw file's directories may lie anywhere): the library reads the
    // file itself.
    try {
        auto image = Exiv2::ImageFactory::open(path, false);
        if (image.get())
            return dateIn(*image).date;
    } catch (const std::exception&) {
        // Not an image, unreadable, or metadata the library cannot decode: no date taken.
    }
    return std::nullopt;
}

std::size_t PhotoDateMemos::KeyHash::operator()(const Key& k) const noexcept {
    uint64_t h = static_cast<uint64_t>(k.ino) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(k.dev) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(k.changed.sec) * 31 + static_cast<uint64_t>(k.changed.nsec) + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h);
}

PhotoDateMemo* PhotoDateMemos::memoFor(const FileStamp& file) {
    if (!file.known)
        return nullptr;
    return &m_memos[Key{file.dev, file.ino, file.changed}];
}

} // namespace rinoza
