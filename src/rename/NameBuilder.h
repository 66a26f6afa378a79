#pragma once

#include "platform/DateTime.h"
#include "rename/PhotoDate.h"
#include "rename/RenameRuleSet.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rinoza {

enum class FileDateKind { Crt, Upd, Acs };

// Reads a file's date for element 8 as local time with the two-second grain.
// Returns nullopt when the file cannot be found (the caller shows the path as a plain message).
using FileDateReader = std::function<std::optional<LocalDateTime>(const std::string& path, FileDateKind kind)>;

class FileSystem;

// GetFileDate as fs tells it: local time, DOS two-second grain; a time outside the DOS range gives the
// zero date-time 1899/12/30 00:00:00, as does a missing file (reported through onMissing).
LocalDateTime GetFileDate(FileSystem& fs, const std::string& path, FileDateKind kind,
                          const std::function<void(const std::string& path)>& onMissing = {});

// The entries of the date/time list that take the date a photo was taken (date part, date and time);
// a file without one takes its update time.
inline constexpr int kDateTakenDate = 10;
inline constexpr int kDateTakenDateTime = 11;

class NameRegex;

// The serial numbers a preview or a run hands out, rows in list order: one counter for the whole
// list, or with per-folder serials (RenameRuleSet::renFolder) one counter per folder, each starting
// at the start number.
class SerialCounters {
public:
    SerialCounters(int32_t start, bool perFolder) : m_start(start), m_perFolder(perFolder), m_shared(start) {}
    // The counter a row in `folder` takes its number from; trailing separators name the same folder.
    int32_t& counterFor(std::string_view folder);
    // Moves the counter of `folder` on by `step` (NameBuilder::serialStep) as building a name there would.
    void advance(std::string_view folder, int32_t step);

private:
    struct FolderHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    int32_t m_start;
    bool m_perFolder;
    int32_t m_shared;
    std::unordered_map<std::string, int32_t, FolderHash, std::equal_to<>> m_byFolder;
};

// The one name builder shared by the example, the preview and the run.
class NameBuilder {
public:
    // Without a photo date reader every file counts as one without a date taken.
    NameBuilder(const Clock& clock, FileDateReader readFileDate, PhotoDateReader readPhotoDate = {});
    ~NameBuilder();

    // Why `rules` cannot build names, for the user: the error of the regular expression of a ticked
    // element 9, with its position. Empty when the rule can be used. Every caller checks before it
    // builds: the example shows the message in place of a name, a preview or a run does not start.
    std::string ruleError(const RenameRuleSet& rules) const;

    // How far one BuildNewName moves the serial counter under `rules`: the increment while element 4
    // takes part, else 0.
    static int32_t serialStep(const RenameRuleSet& rules);

    // Builds the new name of `fileName` in `folderPath` under `rules`. The old name and the folder
    // name are read as nameReading gives them (a CP932 name by its CP932 reading, so the new name is
    // UTF-8); the case conversion, then the character conversions (NameConversions) cover the whole
    // name; the name loses its trailing periods and blanks last, and may be empty (also when the
    // regular expression of element 9 cannot be used, or takes too long on this name). Advances
    // serialCounter by renAdd when element 4 takes part. useNow makes element 8 use the clock whatever dateTime says.
    // With a memo, the date taken is read from the file only when the memo does not know it yet, and
    // the memo notes whether this name took the update time for want of one.
    std::string BuildNewName(const RenameRuleSet& rules, std::string_view fileName, std::string_view folderPath,
                             bool useNow, int32_t& serialCounter, PhotoDateMemo* memo = nullptr) const;

private:
    LocalDateTime dateTaken(const std::string& path, PhotoDateMemo* memo) const;
    // The compiled expression of the rule, kept while its pattern and replacement stay the same.
    const NameRegex& regexFor(const RenameRuleSet& rules) const;

    const Clock& m_clock;
    FileDateReader m_readFileDate;
    PhotoDateReader m_readPhotoDate;
    mutable std::unique_ptr<NameRegex> m_regex;
};

// The whole-number conversion of the start field: optional sign, decimal digits, or "$" followed by
// hexadecimal digits ("$10" is 16). nullopt when the text is not a whole number in 32 bits.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

// "'%s' は整数ではありません" with the text in place of %s.
std::string notAnIntegerMessage(std::string_view text);

} // namespace rinoza
