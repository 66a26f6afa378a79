#include "rename/RenameRuleSet.h"

#include <array>

namespace rinoza {

namespace {

const std::array<std::string, 9>& captions() {
    static const std::array<std::string, 9> c = {
        "1) 固定文字１",  "2) 元ファイル名", "3) 固定文字２", "4) 連番",       "5) フォルダ名",
        "6) .(ピリオド)", "7) 拡張子",       "8) 日付/時間",  "9) 文字置換え",
    };
    return c;
}

} // namespace

const std::string& defaultElementCaption(int n) {
    static const std::string none;
    if (n < 1 || n > 9)
        return none;
    return captions()[static_cast<std::size_t>(n - 1)];
}

bool defaultElementChecked(int n) {
    return n == 2 || n == 6;
}

RenameRuleSet RenameRuleSet::defaults() {
    RenameRuleSet r;
    for (int n = 1; n <= 9; ++n)
        r.elements[static_cast<std::size_t>(n - 1)] = RenameElement{defaultElementCaption(n), defaultElementChecked(n)};
    return r;
}

} // namespace rinoza
