#pragma once

// The replacement of element 9 by a regular expression (ICU's syntax): the pattern matches without
// regard to letter case, every match is replaced from left to right, and the replacement text takes
// $0 to $9 for the whole match and its groups, and a backslash before a character that stands for
// itself ("\$" is a dollar sign).

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace rinoza {

class NameRegex {
public:
    // Compiles the pattern and reads the replacement (both UTF-8). error() tells why they cannot be used.
    NameRegex(std::string_view pattern, std::string_view replacement);
    ~NameRegex();
    NameRegex(const NameRegex&) = delete;
    NameRegex& operator=(const NameRegex&) = delete;

    // Empty when the pattern and the replacement can be used; otherwise the message for the user, with
    // the position (in characters, from 1) of the fault: "正規表現の誤り (3 文字目): ...".
    const std::string& error() const { return m_error; }

    bool isFor(std::string_view pattern, std::string_view replacement) const {
        return pattern == m_pattern && replacement == m_replacement;
    }

    // `text` (a name's bytes; stray bytes are kept) with every match replaced. nullopt when the
    // expression cannot be used, or when matching this text takes too long (a pattern that
    // backtracks without end), so that no name is built from a half-done replacement.
    std::optional<std::string> replaceAll(std::string_view text) const;

private:
    struct Compiled;
    std::string m_pattern;
    std::string m_replacement;
    std::string m_error;
    std::unique_ptr<Compiled> m_compiled;
};

} // namespace rinoza
