#include "filelist/NameCollator.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>

namespace rinoza {

struct NameCollator::Impl {
    std::unique_ptr<icu::Collator> collator;
};

NameCollator::NameCollator() : m_impl(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    m_impl->collator.reset(icu::Collator::createInstance(icu::Locale::getDefault(), status));
    if (U_FAILURE(status) || !m_impl->collator) {
        status = U_ZERO_ERROR;
        m_impl->collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (m_impl->collator)
        m_impl->collator->setStrength(icu::Collator::TERTIARY);
}

NameCollator::~NameCollator() = default;

int NameCollator::compare(std::string_view a, std::string_view b) const {
    if (!m_impl->collator)
        return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    auto r = m_impl->collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                           icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_FAILURE(status))
        return a.compare(b);
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

std::string NameCollator::sortKey(std::string_view text) const {
    if (!m_impl->collator)
        return std::string(text);
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::string key(64, '\0');
    int32_t n = m_impl->collator->getSortKey(u, reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (n > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(n));
        n = m_impl->collator->getSortKey(u, reinterpret_cast<uint8_t*>(key.data()), n);
    }
    // The key ends in a NUL that memcmp order does not need.
    key.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    return key;
}

} // namespace rinoza
