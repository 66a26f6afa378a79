#pragma once

// The character conversions of a whole new name, made after its letter-case conversion: hiragana
// and katakana, full-width and half-width forms, and Unicode NFC.

#include <string>
#include <string_view>

namespace rinoza {

// The entries of the width list.
enum WidthConversion {
    WidthUnchanged = 0,
    WidthAsciiToHalf = 1, // 英数字・記号を半角に
    WidthAsciiToFull = 2, // 英数字・記号を全角に
    WidthKanaToFull = 3,  // 半角カナを全角に
    WidthKanaToHalf = 4,  // カタカナを半角に
};

// The entries of the kana list.
enum KanaConversion {
    KanaUnchanged = 0,
    KanaToHiragana = 1,
    KanaToKatakana = 2,
};

// `name` (bytes; stray bytes are kept as they are) converted: kana first, then width, then NFC when
// `nfc` is set. A value outside its list converts nothing.
// - Half-width katakana become full-width with their voiced marks joined (ｶﾞ gives ガ), also on the
//   way to hiragana; katakana become half-width with the mark as a character of its own (ガ gives ｶﾞ).
// - The prolonged sound mark ー stays ー in hiragana, and kana without a counterpart (ヵ, ヷ, ゟ) stay.
// - Full-width forms of the characters a file name cannot hold (＼／：，；＊？＂＜＞｜) stay full-width.
// - To full-width, the new name's extension (its last period and what follows) stays as it is, so
//   the file keeps its type.
std::string convertCharacters(std::string_view name, int width, int kana, bool nfc);

} // namespace rinoza
