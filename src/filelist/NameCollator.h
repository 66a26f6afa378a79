#pragma once

// The locale's collation for list texts, letter case significant (tertiary strength), so that
// "a.txt" and "A.txt" never compare equal. Texts are UTF-8; invalid bytes compare as U+FFFD.

#include <memory>
#include <string>
#include <string_view>

namespace rinoza {

class NameCollator {
public:
    NameCollator(); // the collation of the process's default locale
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    // Negative, zero or positive.
    int compare(std::string_view a, std::string_view b) const;
    // A byte string whose plain byte order (memcmp) is the collation order of the texts.
    std::string sortKey(std::string_view text) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace rinoza
