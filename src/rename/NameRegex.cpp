#include "rename/NameRegex.h"

#include "common/TextCodec.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>
#include <vector>

namespace rinoza {

namespace {

// How long one name may take to match, in ICU's steps of the match engine (a few milliseconds): a
// name is short, so only a pattern that backtracks without end comes near it.
constexpr int32_t kMatchTimeLimit = 100;

std::string patternReason(UErrorCode code) {
    switch (code) {
    case U_REGEX_BAD_ESCAPE_SEQUENCE:
        return "\\ の後の文字が使えません";
    case U_REGEX_PROPERTY_SYNTAX:
        return "\\p{ } の書き方が正しくありません";
    case U_REGEX_MISMATCHED_PAREN:
        return "括弧 ( ) の対応がとれていません";
    case U_REGEX_NUMBER_TOO_BIG:
        return "数が大き過ぎます";
    case U_REGEX_BAD_INTERVAL:
        return "回数 { } の書き方が正しくありません";
    case U_REGEX_MAX_LT_MIN:
        return "回数 { } の最大が最小より小さくなっています";
    case U_REGEX_INVALID_BACK_REF:
        return "後方参照の番号に当たるグループがありません";
    case U_REGEX_INVALID_FLAG:
        return "(? ) のフラグが正しくありません";
    case U_REGEX_LOOK_BEHIND_LIMIT:
        return "後読みの中では長さの決まらない繰り返しは使えません";
    case U_REGEX_SET_CONTAINS_STRING:
        return "[ ] の中に文字列は書けません";
    case U_REGEX_MISSING_CLOSE_BRACKET:
        return "[ に対応する ] がありません";
    case U_REGEX_INVALID_RANGE:
        return "[ ] の範囲の書き方が正しくありません";
    case U_REGEX_INVALID_CAPTURE_GROUP_NAME:
        return "グループの名前が正しくありません";
    case U_REGEX_PATTERN_TOO_BIG:
        return "正規表現が長過ぎます";
    default:
        return "書き方が正しくありません";
    }
}

std::string faultMessage(const char* what, int position, const std::string& reason) {
    std::string m = what;
    m += " (";
    m += std::to_string(position < 1 ? 1 : position);
    m += " 文字目): ";
    m += reason;
    return m;
}

constexpr const char* kPatternFault = "正規表現の誤り";
constexpr const char* kReplacementFault = "置換後の文字列の誤り";

// One piece of the replacement: literal text, or the text of a group.
struct Piece {
    icu::UnicodeString text;
    int group = -1;
};

icu::UnicodeString utf16(std::string_view s) {
    const std::u16string u = nameToUtf16(s);
    return icu::UnicodeString(u.data(), static_cast<int32_t>(u.size()));
}

} // namespace

struct NameRegex::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
    std::vector<Piece> pieces;
};

NameRegex::NameRegex(std::string_view pattern, std::string_view replacement)
    : m_pattern(pattern), m_replacement(replacement) {
    if (pattern.empty())
        return;
    auto c = std::make_unique<Compiled>();
    UParseError where{};
    UErrorCode status = U_ZERO_ERROR;
    c->pattern.reset(icu::RegexPattern::compile(utf16(pattern), UREGEX_CASE_INSENSITIVE, where, status));
    if (U_FAILURE(status)) {
        m_error = faultMessage(kPatternFault, where.offset, patternReason(status));
        return;
    }
    c->matcher.reset(c->pattern->matcher(status));
    if (U_SUCCESS(status))
        c->matcher->setTimeLimit(kMatchTimeLimit, status);
    if (U_FAILURE(status)) {
        m_error = faultMessage(kPatternFault, 1, patternReason(status));
        return;
    }

    // The replacement, read once: "$d" names group d, "\c" is c itself.
    std::vector<NameChar> chars;
    forEachNameChar(replacement, [&](const NameChar& ch) {
        chars.push_back(ch);
        return true;
    });
    const auto literal = [&](const NameChar& ch) {
        if (c->pieces.empty() || c->pieces.back().group >= 0)
            c->pieces.push_back(Piece{});
        c->pieces.back().text.append(utf16(replacement.substr(ch.offset, ch.length)));
    };
    const int32_t groups = c->matcher->groupCount();
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const int position = static_cast<int>(i) + 1;
        const bool last = i + 1 == chars.size();
        if (chars[i].code == '\\') {
            if (last) {
                m_error = faultMessage(kReplacementFault, position, "\\ の後に文字がありません");
                return;
            }
            literal(chars[++i]);
        } else if (chars[i].code == '$') {
            const char32_t digit = last ? 0 : chars[i + 1].code;
            if (digit < '0' || digit > '9') {
                m_error =
                    faultMessage(kReplacementFault, position, "$ の後には 0～9 の数字を書きます (文字の $ は \\$)");
                return;
            }
            const int group = static_cast<int>(digit - '0');
            if (group > groups) {
                m_error = faultMessage(kReplacementFault, position,
                                       "$" + std::to_string(group) + " に当たるグループがありません");
                return;
            }
            c->pieces.push_back(Piece{{}, group});
            ++i;
        } else {
            literal(chars[i]);
        }
    }
    m_compiled = std::move(c);
}

NameRegex::~NameRegex() = default;

std::optional<std::string> NameRegex::replaceAll(std::string_view text) const {
    if (m_pattern.empty())
        return std::string(text);
    if (!m_compiled)
        return std::nullopt;
    const icu::UnicodeString input = utf16(text);
    icu::RegexMatcher& m = *m_compiled->matcher;
    m.reset(input);
    icu::UnicodeString out;
    int32_t done = 0;
    UErrorCode status = U_ZERO_ERROR;
    while (m.find(status) && U_SUCCESS(status)) {
        out.append(input, done, m.start(status) - done);
        for (const Piece& p : m_compiled->pieces)
            out.append(p.group < 0 ? p.text : m.group(p.group, status));
        done = m.end(status);
    }
    if (U_FAILURE(status))
        return std::nullopt;
    out.append(input, done, input.length() - done);
    return nameFromUtf16(std::u16string_view(out.getBuffer(), static_cast<std::size_t>(out.length())));
}

} // namespace rinoza
