#include "common/Myfunction.h"

#include "common/TextCodec.h"
#include "platform/Paths.h"
#include "platform/TextNumbers.h"

#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace rinoza {

namespace {

const char* const kFileNotFound = "ファイルが見つかりません。";

// Reads an optional sign and decimal digits after leading blanks (a digit that would overflow stops
// the reading like any other character). Returns the index where reading stopped (text.size() when
// everything was read) and the value read; past the end for a sign or blanks with no digit after them.
std::size_t readInteger(std::string_view t, int64_t& value) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    value = 0;
    const std::size_t read = rinoza::readInteger(t.substr(i), value);
    if (read > 0)
        return i + read;
    const bool sign = i < t.size() && (t[i] == '+' || t[i] == '-');
    if (sign && i + 1 == t.size())
        return t.size() + 1;
    return i == t.size() ? t.size() + 1 : i + (sign ? 1 : 0);
}

// A field of a timestamp from its text: the placeholder leaves it empty; otherwise the text must be
// a whole integer.
bool parseField(std::string_view text, std::string_view placeholder, std::optional<int>& field) {
    field.reset();
    if (text == placeholder)
        return true;
    int64_t v = 0;
    if (text.empty() || readInteger(text, v) != text.size() || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return false;
    field = static_cast<int>(v);
    return true;
}

std::optional<FileTime> composeTime(FileTime base, const DateTimeFields& f) {
    LocalDateTime t = toLocal(base);
    t.year = f.year.value_or(t.year);
    t.month = f.month.value_or(t.month);
    t.day = f.day.value_or(t.day);
    t.hour = f.hour.value_or(t.hour);
    t.minute = f.minute.value_or(t.minute);
    t.second = 0;
    auto r = fromLocal(t);
    if (r)
        r->nsec += base.nsec % 1000000; // the fraction below a millisecond stays too
    return r;
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

} // namespace

std::string TrimTrailingBackslash(std::string_view text) {
    // "/" is a single byte that no UTF-8 sequence and no CP932 trail byte contains.
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == '/')
        --end;
    if (end == 0 && !text.empty())
        return "/";
    return std::string(text.substr(0, end));
}

std::size_t LastCharPos(char32_t ch, std::string_view text) {
    std::size_t pos = 0;
    forEachNameChar(text, [&](const NameChar& c) {
        if (!c.stray && c.code == ch)
            pos = c.offset + 1;
        return true;
    });
    return pos;
}

std::string FolderOfPath(const std::string& path, FileSystem& fs) {
    FileInfo info;
    if (fs.stat(path, info) != 0 || info.isDirectory)
        return TrimTrailingBackslash(path);
    const std::size_t slash = LastCharPos(U'/', path);
    if (slash == 0)
        return "";
    if (slash == 1)
        return "/";
    return TrimTrailingBackslash(std::string_view(path).substr(0, slash - 1));
}

std::string GetLongPath(const std::string& path, FileSystem& fs) {
    std::string abs = path;
    if (abs.empty() || abs[0] != '/') {
        const std::string cwd = fs.currentFolder();
        if (cwd.empty())
            throw std::runtime_error(kFileNotFound);
        abs = joinPath(cwd, path);
    }
    std::optional<std::string> walked = walkedPath(abs, fs);
    if (!walked)
        throw std::runtime_error(kFileNotFound);
    return std::move(*walked);
}

std::optional<DateTimeFields> ParseDateTimeFields(std::string_view y, std::string_view m, std::string_view d,
                                                  std::string_view h, std::string_view n) {
    DateTimeFields f;
    if (!parseField(y, "----", f.year) || !parseField(m, "--", f.month) || !parseField(d, "--", f.day) ||
        !parseField(h, "--", f.hour) || !parseField(n, "--", f.minute))
        return std::nullopt;
    return f;
}

std::string DateTextOf(const DateTimeFields& f) {
    auto text = [](const std::optional<int>& v, const char* placeholder) {
        return v ? std::to_string(*v) : std::string(placeholder);
    };
    return text(f.year, "----") + "/" + text(f.month, "--") + "/" + text(f.day, "--");
}

PreparedTimeChange PrepareTimeChange(const TimeChange& change) {
    auto minute = [](bool used, const DateTimeFields& f) -> std::optional<FileTime> {
        if (!used || !f.year || !f.month || !f.day || !f.hour || !f.minute)
            return std::nullopt;
        return fromLocal(LocalDateTime{*f.year, *f.month, *f.day, *f.hour, *f.minute, 0, 0});
    };
    return PreparedTimeChange{change, minute(change.changeCreation, change.creation),
                              minute(change.changeUpdate, change.update)};
}

int ChangeFileDateTimes(const std::string& path, const TimeChange& change, FileSystem& fs,
                        std::optional<FileInfo>* after) {
    return ChangeFileDateTimes(path, PrepareTimeChange(change), fs, after);
}

namespace {

// ChangeFileDateTimes of one file, wherever it is reached: `change` makes a decided change and hands
// back the state after it, `look` only reads the state.
int changeDateTimes(const PreparedTimeChange& prepared, std::optional<FileInfo>* after,
                    const std::function<int(const FileSystem::TimesDecision&, std::optional<FileInfo>*)>& change,
                    const std::function<int(FileInfo&)>& look) {
    const TimeChange& asked = prepared.change;
    if (!asked.changeCreation && !asked.changeUpdate) {
        if (after) {
            FileInfo info;
            if (look(info) == 0)
                *after = std::move(info);
            else
                after->reset();
        }
        return 0;
    }
    // A fully given block is the same minute for every file; the fraction of a second stays.
    auto compose = [](FileTime base, const DateTimeFields& f, const std::optional<FileTime>& minute) {
        return minute ? std::optional<FileTime>(FileTime{minute->sec, base.nsec}) : composeTime(base, f);
    };
    std::optional<FileTime> askedCreation, askedUpdate;
    auto decide = [&](const FileInfo& info, std::optional<FileTime>& creation, std::optional<FileTime>& update) {
        if (info.attributes & AttrReadOnly)
            return EACCES; // as a file that cannot be opened for writing
        if (!info.lastWrite)
            return EINVAL;
        if (asked.changeCreation) {
            // Where the file system keeps no creation time, its fields start from the last write time.
            creation = compose(info.creation.value_or(*info.lastWrite), asked.creation, prepared.creationMinute);
            if (!creation)
                return EINVAL;
        }
        if (asked.changeUpdate) {
            update = compose(*info.lastWrite, asked.update, prepared.updateMinute);
            if (!update)
                return EINVAL;
        }
        askedCreation = creation;
        askedUpdate = update;
        return 0;
    };
    std::optional<FileInfo> own;
    std::optional<FileInfo>& kept = after ? *after : own;
    if (int err = change(decide, &kept))
        return err;
    // A file system clamps a time it cannot store to its range and reports success (ext4 keeps years
    // 1901 to 2446, less on small inodes): only the time read back tells what the file now says.
    auto lost = [](const std::optional<FileTime>& wanted, const std::optional<FileTime>& now) {
        return wanted && !(now && sameStoredTime(*now, *wanted));
    };
    if (kept && (lost(askedCreation, kept->creation) || lost(askedUpdate, kept->lastWrite)))
        return ERANGE;
    return 0;
}

} // namespace

int ChangeFileDateTimes(const std::string& path, const PreparedTimeChange& prepared, FileSystem& fs,
                        std::optional<FileInfo>* after) {
    return changeDateTimes(
        prepared, after,
        [&](const FileSystem::TimesDecision& decide, std::optional<FileInfo>* state) {
            return fs.changeTimes(path, decide, state);
        },
        [&](FileInfo& info) { return fs.stat(path, info); });
}

int ChangeFileAttributes(const std::string& path, const AttrChange& change, FileSystem& fs,
                         std::optional<FileInfo>* after) {
    const uint32_t mask = change.change & (AttrReadOnly | AttrArchive | AttrHidden | AttrSystem);
    if (mask == 0) {
        FileInfo info;
        const int err = fs.stat(path, info);
        if (after) {
            if (err == 0)
                *after = std::move(info);
            else
                after->reset();
        }
        return err;
    }
    return fs.changeAttributes(path, mask, change.set & mask, after);
}

namespace {

// The information of a file that a change left alone, for `after`.
int lookAt(FileSystem& fs, const Folder& folder, const std::string& name, std::optional<FileInfo>* after) {
    FileInfo info;
    const int err = fs.statAt(folder, name, info, true);
    if (after) {
        if (err == 0)
            *after = std::move(info);
        else
            after->reset();
    }
    return err;
}

} // namespace

int ChangeFileDateTimesAt(FileSystem& fs, const Folder& folder, const std::string& name,
                          const PreparedTimeChange& prepared, std::optional<FileInfo>* after) {
    return changeDateTimes(
        prepared, after,
        [&](const FileSystem::TimesDecision& decide, std::optional<FileInfo>* state) {
            return fs.changeTimesAt(folder, name, decide, state);
        },
        [&](FileInfo& info) { return fs.statAt(folder, name, info, true); });
}

int ChangeFileAttributesAt(FileSystem& fs, const Folder& folder, const std::string& name, const AttrChange& change,
                           std::optional<FileInfo>* after) {
    const uint32_t mask = change.change & (AttrReadOnly | AttrArchive | AttrHidden | AttrSystem);
    if (mask == 0)
        return lookAt(fs, folder, name, after);
    return fs.changeAttributesAt(folder, name, mask, change.set & mask, after);
}

bool SetFileDateTimes(const std::string& path, std::string_view cY, std::string_view cM, std::string_view cD,
                      std::string_view cH, std::string_view cN, std::string_view uY, std::string_view uM,
                      std::string_view uD, std::string_view uH, std::string_view uN, bool changeCreation,
                      bool changeUpdate, FileSystem& fs) {
    TimeChange change;
    change.changeCreation = changeCreation;
    change.changeUpdate = changeUpdate;
    if (changeCreation) {
        auto f = ParseDateTimeFields(cY, cM, cD, cH, cN);
        if (!f)
            return false;
        change.creation = *f;
    }
    if (changeUpdate) {
        auto f = ParseDateTimeFields(uY, uM, uD, uH, uN);
        if (!f)
            return false;
        change.update = *f;
    }
    return ChangeFileDateTimes(path, change, fs) == 0;
}

bool SetFileAttrBits(const std::string& path, bool changeReadOnly, bool changeArchive, bool changeHidden,
                     bool changeSystem, bool readOnly, bool archive, bool hidden, bool system, FileSystem& fs) {
    AttrChange change;
    auto take = [&change](bool changeIt, bool value, uint32_t bit) {
        if (changeIt) {
            change.change |= bit;
            if (value)
                change.set |= bit;
        }
    };
    take(changeReadOnly, readOnly, AttrReadOnly);
    take(changeArchive, archive, AttrArchive);
    take(changeHidden, hidden, AttrHidden);
    take(changeSystem, system, AttrSystem);
    return ChangeFileAttributes(path, change, fs) == 0;
}

int64_t CountFileLines(const std::string& path, FileSystem& fs) {
    int64_t lines = 0;
    char last = '\n';
    const int err = fs.readFilePieces(path, [&](std::string_view piece) {
        for (char c : piece)
            if (c == '\n')
                ++lines;
        last = piece.back();
    });
    if (err)
        throw std::system_error(err, std::generic_category(), path);
    if (last != '\n')
        ++lines;
    return lines;
}

bool IsDateText(std::string_view text) {
    std::string t(text);
    for (char& c : t)
        if (c == '-')
            c = '1';
    int fields[3] = {0, 0, 0};
    std::size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        const std::size_t end = k < 2 ? t.find('/', start) : t.size();
        if (end == std::string::npos)
            return false;
        const std::string_view f = std::string_view(t).substr(start, end - start);
        const std::optional<int> v = f.size() > 4 ? std::nullopt : parseDigits<int>(f);
        if (!v)
            return false;
        fields[k] = *v;
        start = end + 1;
    }
    const int y = fields[0], m = fields[1], d = fields[2];
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    return d <= days[m - 1] + (m == 2 && isLeap(y) ? 1 : 0);
}

std::string FixNumberText(std::string_view text) {
    if (text.empty())
        return "0";
    int64_t v = 0;
    const std::size_t stop = readInteger(text, v);
    if (stop == text.size())
        return std::to_string(v);
    if (stop == 0) {
        const NameChar c = nameCharAt(text, 0);
        return std::string(text.substr(c.length));
    }
    if (stop > text.size())
        return std::string(text); // nothing left to remove ("-")
    const NameChar c = nameCharAt(text, stop);
    std::string r(text);
    r.erase(stop, c.length);
    return r;
}

std::string_view WithoutTrailingPeriodsAndBlanks(std::string_view name) {
    const std::size_t keep = name.find_last_not_of(". ");
    return name.substr(0, keep == std::string_view::npos ? 0 : keep + 1);
}

std::string RemoveBadNameChars(std::string_view text, std::string_view badChars) {
    std::string r(text);
    for (char bad : badChars) {
        std::size_t found = std::string::npos, length = 0;
        forEachNameChar(r, [&](const NameChar& c) {
            if (!c.stray && c.code == static_cast<char32_t>(bad)) {
                found = c.offset;
                length = c.length;
                return false;
            }
            return true;
        });
        if (found != std::string::npos)
            r.erase(found, length);
    }
    return r;
}

int64_t KbTextToInt(std::string_view text) {
    // Drop the last two characters, whatever they are, as the unit.
    std::vector<std::size_t> starts;
    forEachNameChar(text, [&](const NameChar& c) {
        starts.push_back(c.offset);
        return true;
    });
    const std::string_view rest = starts.size() < 2 ? std::string_view() : text.substr(0, starts[starts.size() - 2]);
    int64_t v = 0;
    if (rest.empty() || readInteger(rest, v) != rest.size())
        throw std::invalid_argument("'" + std::string(rest) + "' is not a valid integer value");
    return v;
}

bool RenameFileTo(const std::string& oldPath, const std::string& newPath, FileSystem& fs) {
    return fs.renameNoReplace(oldPath, newPath) == 0;
}

} // namespace rinoza
