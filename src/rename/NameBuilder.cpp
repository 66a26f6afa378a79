#include "rename/NameBuilder.h"

#include "common/Myfunction.h"
#include "common/TextCodec.h"
#include "platform/Paths.h"
#include "platform/TextNumbers.h"
#include "rename/NameConversions.h"
#include "rename/NameRegex.h"

#include <cstdio>
#include <unicode/uchar.h>
#include <vector>

namespace rinoza {

namespace {

enum Element { FixedText1 = 1, OldName, FixedText2, Serial, FolderName, Period, Extension, DateTime, Replace };

// The serial number never gets more than this many leading zeros, whatever a stored digit count says.
constexpr int kMaxSerialDigits = 10;

struct DateTimeChoice {
    bool fromFile = false;
    bool fromPhoto = false;
    FileDateKind kind = FileDateKind::Crt;
    bool date = false;
    bool time = false;
};

// The entries of the date/time list in order: now (date, time, both), creation (date, time, both),
// update (date, time, both), access (date), date taken (date, both).
std::optional<DateTimeChoice> dateTimeChoice(int index) {
    if (index == kDateTakenDate || index == kDateTakenDateTime) {
        DateTimeChoice c;
        c.fromFile = c.fromPhoto = true;
        c.date = true;
        c.time = index == kDateTakenDateTime;
        return c;
    }
    if (index < 0 || index > 9)
        return std::nullopt;
    DateTimeChoice c;
    const int group = index / 3;
    const int part = index % 3;
    c.fromFile = group > 0;
    c.kind = group == 1 ? FileDateKind::Crt : group == 2 ? FileDateKind::Upd : FileDateKind::Acs;
    c.date = part != 1;
    c.time = part != 0 && group != 3;
    return c;
}

std::string baseOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

std::string extensionOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot + 1));
}

// Positions count CP932 widths from 1; a character is taken only when it lies wholly inside
// [first, last], so a slice never splits a character.
std::string slice(std::string_view base, int first, int last) {
    std::string out;
    if (last < first)
        return out;
    int pos = 1;
    forEachNameChar(base, [&](const NameChar& c) {
        const int end = pos + c.width - 1;
        if (pos >= first && end <= last)
            out.append(base.substr(c.offset, c.length));
        pos += c.width;
        return pos <= last;
    });
    return out;
}

int serialDigits(const std::string& renKeta) {
    const int n = renKeta.size() > 2 ? 0 : parseDigits<int>(renKeta).value_or(0);
    if (n < 1)
        return 1;
    return n > kMaxSerialDigits ? kMaxSerialDigits : n;
}

std::string serialText(int32_t value, int digits) {
    const int64_t v = value;
    std::string magnitude = std::to_string(v < 0 ? -v : v);
    if (static_cast<int>(magnitude.size()) < digits)
        magnitude.insert(0, static_cast<std::size_t>(digits) - magnitude.size(), '0');
    return v < 0 ? "-" + magnitude : magnitude;
}

// The folder's last component: the text after its last "/"; empty for the root.
std::string folderName(std::string_view folderPath) {
    while (folderPath.size() > 1 && folderPath.back() == '/')
        folderPath.remove_suffix(1);
    const auto slash = folderPath.rfind('/');
    return std::string(slash == std::string_view::npos ? folderPath : folderPath.substr(slash + 1));
}

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string fourDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", v);
    return buf;
}

char32_t upperCode(const NameChar& c) {
    return c.stray ? c.code : static_cast<char32_t>(u_toupper(static_cast<UChar32>(c.code)));
}

// Replaces every occurrence of `before` in `text`, left to right, without overlaps, comparing
// upper-cased characters; matches start only at character boundaries.
std::string replaceAll(const std::string& text, const std::string& before, const std::string& after) {
    if (before.empty())
        return text;
    std::vector<NameChar> hay;
    forEachNameChar(text, [&](const NameChar& c) {
        hay.push_back(c);
        return true;
    });
    std::vector<char32_t> needle;
    forEachNameChar(before, [&](const NameChar& c) {
        needle.push_back(upperCode(c));
        return true;
    });
    std::vector<char32_t> hayUpper;
    hayUpper.reserve(hay.size());
    for (const NameChar& c : hay)
        hayUpper.push_back(upperCode(c));

    std::string out;
    std::size_t i = 0;
    while (i < hay.size()) {
        bool match = i + needle.size() <= hay.size();
        for (std::size_t k = 0; match && k < needle.size(); ++k)
            match = hayUpper[i + k] == needle[k];
        if (match) {
            out += after;
            i += needle.size();
        } else {
            out.append(text, hay[i].offset, hay[i].length);
            ++i;
        }
    }
    return out;
}

std::string convertCase(const std::string& name, int caseMode) {
    switch (caseMode) {
    case 1:
        return toUpperName(name);
    case 2:
        return toLowerName(name);
    case 3: {
        if (name.empty())
            return name;
        const std::size_t first = nameCharAt(name, 0).length;
        return toUpperName(std::string_view(name).substr(0, first)) + toLowerName(std::string_view(name).substr(first));
    }
    default:
        return name;
    }
}

// Whether element n is ticked and reached: the build stops at a caption without a leading digit.
bool takesPart(const RenameRuleSet& rules, int n) {
    for (const RenameElement& e : rules.elements) {
        const char lead = e.caption.empty() ? '\0' : e.caption.front();
        if (lead < '0' || lead > '9')
            return false;
        if (lead - '0' == n)
            return e.checked;
    }
    return false;
}

int32_t wrappingAdd(int32_t value, int32_t step) {
    // Wraps around at the ends of the 32-bit range instead of overflowing.
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value) + static_cast<int64_t>(step)));
}

} // namespace

int32_t& SerialCounters::counterFor(std::string_view folder) {
    if (!m_perFolder)
        return m_shared;
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    auto it = m_byFolder.find(folder);
    if (it == m_byFolder.end())
        it = m_byFolder.emplace(std::string(folder), m_start).first;
    return it->second;
}

void SerialCounters::advance(std::string_view folder, int32_t step) {
    if (step != 0) {
        int32_t& counter = counterFor(folder);
        counter = wrappingAdd(counter, step);
    }
}

NameBuilder::NameBuilder(const Clock& clock, FileDateReader readFileDate, PhotoDateReader readPhotoDate)
    : m_clock(clock), m_readFileDate(std::move(readFileDate)), m_readPhotoDate(std::move(readPhotoDate)) {}

NameBuilder::~NameBuilder() = default;

const NameRegex& NameBuilder::regexFor(const RenameRuleSet& rules) const {
    if (!m_regex || !m_regex->isFor(rules.strChgBefore, rules.strChgAfter))
        m_regex = std::make_unique<NameRegex>(rules.strChgBefore, rules.strChgAfter);
    return *m_regex;
}

std::string NameBuilder::ruleError(const RenameRuleSet& rules) const {
    if (!rules.strChgRegex || !takesPart(rules, Replace))
        return {};
    return regexFor(rules).error();
}

int32_t NameBuilder::serialStep(const RenameRuleSet& rules) {
    return takesPart(rules, Serial) ? rules.renAdd : 0;
}

LocalDateTime NameBuilder::dateTaken(const std::string& path, PhotoDateMemo* memo) const {
    std::optional<LocalDateTime> taken;
    if (memo && memo->known) {
        taken = memo->taken;
    } else {
        if (m_readPhotoDate)
            taken = m_readPhotoDate(path);
        if (memo) {
            memo->known = true;
            memo->taken = taken;
        }
    }
    if (taken)
        return *taken;
    if (memo)
        memo->usedUpdateTime = true;
    return m_readFileDate ? m_readFileDate(path, FileDateKind::Upd).value_or(LocalDateTime{}) : LocalDateTime{};
}

std::string NameBuilder::BuildNewName(const RenameRuleSet& rules, std::string_view fileName,
                                      std::string_view folderPath, bool useNow, int32_t& serialCounter,
                                      PhotoDateMemo* memo) const {
    if (memo)
        memo->usedUpdateTime = false;
    // The old name is read once, by the rule that also reads the folder name: a name from a Windows
    // archive (CP932 bytes) is worked on as the text the list shows, so the new name holds one encoding.
    std::string decodedName;
    const std::string_view oldName = nameReading(fileName, decodedName);
    std::string result;
    bool unusable = false;
    for (const RenameElement& element : rules.elements) {
        const char lead = element.caption.empty() ? '\0' : element.caption.front();
        if (lead < '0' || lead > '9')
            break;
        const int number = lead - '0';
        if (!element.checked) {
            // The one element that contributes while not ticked: the old extension stays in its place.
            if (number == Extension)
                result += extensionOf(oldName);
            continue;
        }
        switch (number) {
        case FixedText1:
            result += rules.fixF1;
            break;
        case OldName:
            result += slice(baseOf(oldName), rules.motoStart, rules.motoEnd);
            break;
        case FixedText2:
            result += rules.fixF2;
            break;
        case Serial:
            result += serialText(serialCounter, serialDigits(rules.renKeta));
            serialCounter = wrappingAdd(serialCounter, rules.renAdd);
            break;
        case FolderName: {
            std::string decodedFolder;
            result += nameReading(folderName(folderPath), decodedFolder);
            break;
        }
        case Period:
            result += '.';
            break;
        case Extension:
            result += rules.fixK;
            break;
        case DateTime: {
            const auto choice = dateTimeChoice(rules.dateTime);
            if (!choice)
                break;
            LocalDateTime t;
            if (useNow || !choice->fromFile) {
                t = m_clock.now();
            } else if (choice->fromPhoto) {
                t = dateTaken(joinPath(folderPath, fileName), memo);
            } else if (m_readFileDate) {
                // A file whose date cannot be read gives the zero date-time 1899/12/30 00:00:00.
                t = m_readFileDate(joinPath(folderPath, fileName), choice->kind).value_or(LocalDateTime{});
            }
            if (choice->date)
                result += fourDigits(t.year) + rules.dateK + twoDigits(t.month) + rules.dateK + twoDigits(t.day);
            if (choice->time)
                result += twoDigits(t.hour) + rules.timeK + twoDigits(t.minute) + rules.timeK + twoDigits(t.second);
            break;
        }
        case Replace:
            if (!rules.strChgRegex) {
                result = replaceAll(result, rules.strChgBefore, rules.strChgAfter);
            } else if (std::optional<std::string> replaced = regexFor(rules).replaceAll(result)) {
                result = std::move(*replaced);
            } else {
                // The elements after it still run, so the serial number advances as for any name.
                unusable = true;
            }
            break;
        default:
            break;
        }
    }
    if (unusable)
        return {};
    result = convertCase(result, rules.caseMode);
    result = convertCharacters(result, rules.width, rules.kana, rules.nfc);
    // Windows stores no name with trailing periods or blanks, so the checks of a run see the name as
    // it will be: "README." is "README", the same name as before.
    result.resize(WithoutTrailingPeriodsAndBlanks(result).size());
    return result;
}

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    const std::optional<uint32_t> v = parseDigits<uint32_t>(text, base);
    const uint32_t limit = negative ? 2147483648U : 2147483647U;
    if (!v || *v > limit)
        return std::nullopt;
    return static_cast<int32_t>(negative ? 0U - *v : *v);
}

std::string notAnIntegerMessage(std::string_view text) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string at -O2.
    std::string message;
    message.reserve(text.size() + 40);
    message += '\'';
    message += text;
    message += "' は整数ではありません";
    return message;
}

} // namespace rinoza
