#include "rename/PhotoDate.h"

// The EXIF library opens and maps the file itself; this is the one core file that lets a library
// reach the file system on its own.
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
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
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

std::optional<LocalDateTime> photoDateTaken(const std::string& path) {
    setUpLibraryOnce();
    static const std::array<const char*, 3> keys{"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized",
                                                 "Exif.Image.DateTime"};
    try {
        auto image = Exiv2::ImageFactory::open(path, false);
        if (!image.get())
            return std::nullopt;
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        for (const char* key : keys) {
            const auto it = exif.findKey(Exiv2::ExifKey(key));
            if (it == exif.end())
                continue;
            if (auto t = parseExifDateTime(it->toString()))
                return t;
        }
    } catch (const std::exception&) {
        // Not an image, unreadable, or metadata the library cannot decode: no date taken.
    } catch (...) {
    }
    return std::nullopt;
}

} // namespace rinoza
