#include "app/CommandLine.h"

#include "about/Version.h"

namespace rinoza {

StartRequest parseStartArguments(const std::vector<std::string>& args) {
    StartRequest r;
    bool optionsEnded = false;
    for (const std::string& a : args) {
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == "-h" || a == "--help")) {
            if (r.kind == StartRequest::Kind::Window)
                r.kind = StartRequest::Kind::Help;
        } else if (!optionsEnded && a == "--version") {
            if (r.kind == StartRequest::Kind::Window)
                r.kind = StartRequest::Kind::Version;
        } else {
            r.paths.push_back(a);
        }
    }
    return r;
}

std::string windowHelpText() {
    return R"(使い方: rinoza [パス...]
       rinoza --help | --version

ファイルを集めて、まとめて変名するウィンドウを開きます。
ファイルのパスはファイルリストに加わり、フォルダのパスは検索するフォルダになります。
-- のあとの引数は、- で始まっていてもパスです。

オプション:
  -h, --help   この説明を表示する
  --version    版を表示する

設定ファイル rinoza.ini と変更履歴ファイル rinoza.txt は $XDG_CONFIG_HOME/rinoza/
(既定値 ~/.config/rinoza/) にあります。実行ファイルと同じフォルダに rinoza.ini があるとき
(持ち運び用) とビルドしたフォルダから起動したときはそのフォルダに、環境変数 RINOZA_HOME が
あればそのフォルダにあります。
ウィンドウなしで変名するには rinoza-cli を使います (rinoza-cli --help)。
)";
}

std::string windowVersionText() {
    return std::string("rinoza ") + RINOZA_VERSION_TEXT;
}

std::string noDisplayText() {
    return "rinoza: 画面に接続できません。グラフィカルセッション (X11 または Wayland) の中で起動してください "
           "(ウィンドウなしで変名するには rinoza-cli)。";
}

} // namespace rinoza
