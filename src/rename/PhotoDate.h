#pragma once

// The date a photo was taken, from the EXIF data in the file itself.

#include "platform/DateTime.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rinoza {

class FileSystem;

// The date taken of the photo at `path` (its start read through fs): EXIF DateTimeOriginal, else DateTimeDigitized,
// else the DateTime of the first image directory, for every format the EXIF library reads (JPEG, TIFF, PNG, raw
// formats, ...). nullopt when the file holds none of them as a valid date, when it is no image, cannot be opened or its
// metadata is corrupt; never throws and writes nothing to the terminal.
std::optional<LocalDateTime> photoDateTaken(FileSystem& fs, const std::string& path);

// "YYYY:MM:DD HH:MM:SS" as EXIF writes it (a "-" or "/" between the date's fields is taken too);
// nullopt for a blank, zeroed or impossible date.
std::optional<LocalDateTime> parseExifDateTime(std::string_view text);

using PhotoDateReader = std::function<std::optional<LocalDateTime>(const std::string& path)>;

// What is remembered of one photo, so that a preview followed by a run reads each file once.
struct PhotoDateMemo {
    bool known = false;                 // the file was read; taken holds what it gave
    std::optional<LocalDateTime> taken; // nullopt: the file has no date taken
    bool usedUpdateTime = false;        // the last name built for the file took the update time instead
};

// The memos of the photos whose names were built, by what was read of each file (its identity and
// last change), so that a file replaced or written since is read anew.
class PhotoDateMemos {
public:
    // The memo of the file; null when nothing was read of it (nothing to know it by).
    PhotoDateMemo* memoFor(const FileStamp& file);
    std::size_t size() const { return m_memos.size(); }
    void clear() { m_memos.clear(); }

private:
    struct Key {
        dev_t dev;
        ino_t ino;
        FileTime changed;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    std::unordered_map<Key, PhotoDateMemo, KeyHash> m_memos;
};

} // namespace rinoza
