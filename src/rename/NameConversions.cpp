#include "rename/NameConversions.h"

#include "common/TextCodec.h"

#include <memory>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace rinoza {

namespace {

enum Transform {
    AsciiToHalf,
    AsciiToFull,
    HalfKanaToFull,
    HalfKatakanaToFull,
    KatakanaToHalf,
    KatakanaToHiragana,
    HiraganaToKatakana,
    TransformCount
};

// ICU transforms, each limited by its filter to the characters its entry names.
constexpr const char16_t* kTransformIds[TransformCount] = {
    u"[[\\uFF01-\\uFF5E\\u3000]-[\\uFF3C\\uFF0F\\uFF1A\\uFF0C\\uFF1B\\uFF0A\\uFF1F\\uFF02\\uFF1C\\uFF1E\\uFF5C]] "
    u"Fullwidth-Halfwidth",
    u"[\\u0020-\\u007E] Halfwidth-Fullwidth",
    u"[\\uFF61-\\uFF9F] Halfwidth-Fullwidth",
    u"[\\uFF66-\\uFF9F] Halfwidth-Fullwidth",
    u"[\\u30A1-\\u30FC\\u3099-\\u309C\\u3001\\u3002\\u300C\\u300D] Fullwidth-Halfwidth",
    u"[\\u30A1-\\u30F4\\u30FD\\u30FE] Katakana-Hiragana",
    u"[\\u3041-\\u3096\\u309D\\u309E] Hiragana-Katakana",
};

// Each transform is made once: making one costs far more than using it. Nothing happens when ICU
// lacks it.
void apply(Transform which, icu::UnicodeString& text, int32_t end) {
    static std::unique_ptr<icu::Transliterator> made[TransformCount];
    static bool tried[TransformCount] = {};
    if (!tried[which]) {
        tried[which] = true;
        UErrorCode status = U_ZERO_ERROR;
        made[which].reset(
            icu::Transliterator::createInstance(icu::UnicodeString(kTransformIds[which]), UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            made[which].reset();
    }
    if (made[which])
        made[which]->transliterate(text, 0, end);
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string convertCharacters(std::string_view name, int width, int kana, bool nfc) {
    const bool kanaOn = kana == KanaToHiragana || kana == KanaToKatakana;
    const bool widthOn = width >= WidthAsciiToHalf && width <= WidthKanaToHalf;
    // Only the way to full-width changes ASCII.
    if ((!kanaOn && !widthOn && !nfc) || (width != WidthAsciiToFull && isAscii(name)))
        return std::string(name);

    const std::u16string units = nameToUtf16(name);
    icu::UnicodeString text(units.data(), static_cast<int32_t>(units.size()));
    if (kana == KanaToHiragana) {
        apply(HalfKatakanaToFull, text, text.length());
        apply(KatakanaToHiragana, text, text.length());
    } else if (kana == KanaToKatakana) {
        apply(HiraganaToKatakana, text, text.length());
    }
    switch (width) {
    case WidthAsciiToHalf:
        apply(AsciiToHalf, text, text.length());
        break;
    case WidthAsciiToFull: {
        const int32_t dot = text.lastIndexOf(u'.');
        apply(AsciiToFull, text, dot < 0 ? text.length() : dot);
        break;
    }
    case WidthKanaToFull:
        apply(HalfKanaToFull, text, text.length());
        break;
    case WidthKanaToHalf:
        apply(KatakanaToHalf, text, text.length());
        break;
    default:
        break;
    }
    if (nfc) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
        if (U_SUCCESS(status)) {
            icu::UnicodeString composed = n->normalize(text, status);
            if (U_SUCCESS(status))
                text = composed;
        }
    }
    return nameFromUtf16(std::u16string_view(text.getBuffer(), static_cast<std::size_t>(text.length())));
}

} // namespace rinoza
