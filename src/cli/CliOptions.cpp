#include "cli/CliOptions.h"

#include "platform/TextNumbers.h"

#include <array>
#include <optional>

namespace rinoza::cli {

namespace {

struct Flag {
    const char* longName;
    char shortName; // 0 when none
    bool CliOptions::*field;
};

constexpr Flag kFlags[] = {
    {"--recursive", 'r', &CliOptions::recursive},
    {"--dry-run", 'n', &CliOptions::dryRun},
    {"--json", 0, &CliOptions::json},
    {"--yes", 'y', &CliOptions::yes},
    {"--undo", 0, &CliOptions::undo},
    {"--show-rule", 0, &CliOptions::showRule},
    {"--help", 'h', &CliOptions::help},
    {"--version", 0, &CliOptions::version},
};

RenameMethod methodOf(const std::string& text) {
    if (text == "rename")
        return RenameMethod::RenameOnly;
    if (text == "copy")
        return RenameMethod::RenameAndCopy;
    if (text == "move")
        return RenameMethod::RenameAndMove;
    throw UsageError("--method は rename、copy、move のどれかです: " + text);
}

int presetOf(const std::string& text) {
    const int n = parseDigits<int>(text).value_or(0);
    if (n < 1 || n > 5)
        throw UsageError("--preset は 1 から 5 の番号です: " + text);
    return n;
}

// The options that take a value: one line each, with what the value does.
struct Valued {
    const char* longName;
    void (*set)(CliOptions& o, const std::string& value);
};

constexpr Valued kValued[] = {
    {"--pattern", [](CliOptions& o, const std::string& v) { o.pattern = v.empty() ? "*.*" : v; }},
    {"--preset", [](CliOptions& o, const std::string& v) { o.preset = presetOf(v); }},
    {"--method", [](CliOptions& o, const std::string& v) { o.method = methodOf(v); }},
    {"--dest",
     [](CliOptions& o, const std::string& v) {
         o.destination = v;
         o.destinationGiven = true;
     }},
};

const Valued* valuedOption(const std::string& name) {
    for (const Valued& v : kValued)
        if (name == v.longName)
            return &v;
    return nullptr;
}

// The options that change the rule for the run: the key each sets, to its value or (a switch) to
// `fixed`, and the element it ticks (0: none). The value of a choice is one of its words, which stand
// for 0, 1, 2, ...
struct RuleOption {
    const char* longName;
    const char* key; // null: the switch ticks its element only
    int element;
    const char* fixed = nullptr;
    std::array<const char*, 5> words{};
};

constexpr RuleOption kRuleOptions[] = {
    {"--fixed1", "FixF1", 1},
    {"--fixed2", "FixF2", 3},
    {"--serial", nullptr, 4, ""},
    {"--start", "RenStart", 4},
    {"--step", "Renadd", 4},
    {"--digits", "RenKeta", 4},
    {"--per-folder", "RenFolder", 4, "1"},
    {"--ext", "FixK", 7},
    {"--find", "StrChgBefore", 9},
    {"--replace", "StrChgAfter", 9},
    {"--regex", "StrChgRegex", 0, "1"},
    {"--case", "Case", 0, nullptr, {"keep", "upper", "lower", "first"}},
    {"--width", "Width", 0, nullptr, {"keep", "half", "full", "kana-full", "kana-half"}},
    {"--kana", "Kana", 0, nullptr, {"keep", "hiragana", "katakana"}},
    {"--nfc", "Nfc", 0, "1"},
};

const RuleOption* ruleOption(const std::string& name) {
    for (const RuleOption& r : kRuleOptions)
        if (name == r.longName)
            return &r;
    return nullptr;
}

void addRuleEdit(CliOptions& o, RuleEdit edit) {
    if (const std::string message = ruleEditError(edit); !message.empty())
        throw UsageError(message);
    o.ruleEdits.push_back(std::move(edit));
}

// "KEY=VALUE" of --set.
void addSetting(CliOptions& o, const std::string& value) {
    const std::size_t eq = value.find('=');
    if (eq == 0 || eq == std::string::npos)
        throw UsageError("--set は KEY=VALUE の形で指定して下さい: " + value);
    addRuleEdit(o, RuleEdit{"--set", value.substr(0, eq), value.substr(eq + 1)});
}

void addRuleOption(CliOptions& o, const RuleOption& r, const std::string& given) {
    std::string value = r.fixed ? r.fixed : given;
    if (r.words[0]) {
        std::string list;
        bool found = false;
        for (std::size_t i = 0; i < r.words.size() && r.words[i]; ++i) {
            list += (i ? "、" : "") + std::string(r.words[i]);
            if (!found && given == r.words[i]) {
                value = std::to_string(i);
                found = true;
            }
        }
        if (!found)
            throw UsageError(std::string(r.longName) + " は " + list + " のどれかです: " + given);
    }
    if (r.key)
        addRuleEdit(o, RuleEdit{r.longName, r.key, value});
    if (r.element != 0)
        o.ruleEdits.push_back(RuleEdit{r.longName, "", "", r.element});
}

bool setFlag(CliOptions& o, const std::string& arg) {
    for (const Flag& f : kFlags) {
        if (arg == f.longName || (f.shortName != 0 && arg.size() == 2 && arg[0] == '-' && arg[1] == f.shortName)) {
            o.*f.field = true;
            return true;
        }
    }
    return false;
}

void checkCombination(const CliOptions& o) {
    if (o.showRule) {
        if (o.undo)
            throw UsageError("--show-rule と --undo は一緒に指定できません");
        if (o.json)
            throw UsageError("--show-rule と --json は一緒に指定できません");
        if (!o.paths.empty())
            throw UsageError("--show-rule にはファイルもフォルダも指定できません");
        return;
    }
    if (o.undo) {
        if (!o.ruleEdits.empty())
            throw UsageError("--undo には変名ルールを変えるオプション (" + o.ruleEdits.front().option +
                             " など) を指定できません");
        if (!o.paths.empty())
            throw UsageError("--undo にはファイルもフォルダも指定できません");
        if (o.dryRun)
            throw UsageError("--undo と --dry-run は一緒に指定できません");
        return;
    }
    if (o.method == RenameMethod::RenameOnly && o.destinationGiven)
        throw UsageError("--dest は --method copy と --method move のときだけ指定できます");
    if (o.method != RenameMethod::RenameOnly && o.destination.empty())
        throw UsageError("--method copy と --method move には --dest で先のフォルダを指定して下さい");
    if (o.paths.empty())
        throw UsageError("変名するファイルかフォルダを指定して下さい");
}

} // namespace

CliOptions parseCliOptions(const std::vector<std::string>& args) {
    CliOptions o;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            o.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (setFlag(o, arg))
            continue;
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const RuleOption* rule = ruleOption(name);
        if (rule && rule->fixed) {
            if (eq != std::string::npos)
                throw UsageError(name + " は値をとりません");
            addRuleOption(o, *rule, "");
            continue;
        }
        const Valued* valued = valuedOption(name);
        if (!valued && !rule && name != "--set") {
            if (eq != std::string::npos && setFlag(o, name))
                throw UsageError(name + " は値をとりません");
            throw UsageError("不明なオプションです: " + arg);
        }
        std::optional<std::string> value;
        if (eq != std::string::npos)
            value = arg.substr(eq + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        if (!value)
            throw UsageError(name + " には値が必要です");
        if (valued)
            valued->set(o, *value);
        else if (rule)
            addRuleOption(o, *rule, *value);
        else
            addSetting(o, *value);
    }
    if (o.help || o.version)
        return o;
    checkCombination(o);
    return o;
}

std::string versionText() {
    return std::string("rinoza-cli ") + RINOZA_VERSION;
}

std::string helpText() {
    return R"(使い方: rinoza-cli [オプション] パス...
       rinoza-cli --show-rule [--preset N] [ルールのオプション]
       rinoza-cli --undo [--yes] [--json]

Rinoza と同じ変名ルール、プリセット、変更履歴ファイルで、ファイルを変名します。
設定ファイルと変更履歴ファイルの場所はウィンドウ版と同じです (RINOZA_HOME で変えられます)。
ウィンドウで変名したものを --undo で戻すことも、ここで変名したものをウィンドウで戻すこともできます。

パス:
  ファイルはそのまま1行になります。フォルダは --pattern で検索され、表示設定の
  フィルター (システム・隠し・読み取り専用ファイル) と最大表示数が効きます。
  行はパスを指定した順に並び、フォルダの中はウィンドウの検索と同じ名前順です。
  同じファイルが何度出てきても、最後の1行だけが残ります。

オプション:
  --pattern P       フォルダの中で探す名前 (ワイルドカード、既定値 *.*)
  -r, --recursive   サブフォルダも探す
  --preset N        今のルールの代わりにプリセット N (1〜5) を使う
  --method M        rename＝変名のみ (既定値)、copy＝変名＋コピー、move＝変名＋移動
  --dest DIR        copy と move の先のフォルダ (なければ作成します)
  -n, --dry-run     何も変えずに、各行の元の名前、新しい名前、予想される結果を表示する
  --json            同じ内容を1行1つの JSON オブジェクトで出力する
  -y, --yes         端末でも確認せずに実行する (システムファイルも変名する)
  --undo            前回の変名を変更履歴ファイルから戻す
  --show-rule       使うルールを要素の並び順に KEY=VALUE の行で表示して終わる
  -h, --help        この説明を表示する
  --version         版を表示する

ルールのオプション (この実行だけ、設定ファイルのルールかプリセットを変えます。書いた順に効きます):
  --set KEY=VALUE   設定ファイルの RenameFunction のキーを1つ設定する (何度でも)
                    値はウィンドウが受け付けるものだけです。Chg1〜Chg9 は要素の番号か見出し
  --fixed1 TEXT     固定文字１ (要素 1 を使う)
  --fixed2 TEXT     固定文字２ (要素 3 を使う)
  --serial          連番を付ける (要素 4 を使う)
  --start N         連番の開始番号 (0〜9999、要素 4 を使う)
  --step N          連番の増分 (1〜9999、要素 4 を使う)
  --digits N        連番の桁数 (1〜4、要素 4 を使う)
  --per-folder      フォルダごとに連番 (要素 4 を使う)
  --ext TEXT        新しい拡張子 (要素 7 を使う)
  --find TEXT       置換えで探す文字 (要素 9 を使う)
  --replace TEXT    置換え後の文字 (要素 9 を使う)
  --regex           --find を正規表現として読む (--replace では $0〜$9、\$ は $)
  --case C          keep＝そのまま、upper＝大文字、lower＝小文字、first＝頭１文字のみ大文字
  --width W         keep＝そのまま、half＝英数字・記号を半角に、full＝英数字・記号を全角に、
                    kana-full＝半角カナを全角に、kana-half＝カタカナを半角に
  --kana K          keep＝そのまま、hiragana＝ひらがなに、katakana＝カタカナに
  --nfc             新しい名前を Unicode の NFC にする

実行:
  --dry-run なしでは、ウィンドウの「変名開始」と同じに動きます。変名の前に履歴を書き、
  各行の結果を表示します。標準入力が端末なら、--yes がない限り実行の前に確認します。
  端末でないときは確認しません。システムファイルは、端末では1つずつ確認し、端末でなく
  --yes もないときは変名しません (x:ｼｽﾃﾑﾌｧｲﾙ)。Ctrl+C で次の行の前に止まります。
  時間のかかる実行では、標準エラー出力が端末なら進み具合を表示します。

出力 (標準出力、1行に1つ):
  元のパス<TAB>新しいパス<TAB>結果
  結果は OK、x:同一名、x:存在しない、x:既に存在、x:ｼｽﾃﾑﾌｧｲﾙ、x:Err のどれかです。
  --dry-run の結果は、ウィンドウの結果表示と同じ予測 (実行と同じ検査で、前の行の変名も
  考えに入れたもの) です。端末で確認されるシステムファイルは
  「OK (実行時にシステムファイルの確認あり)」と表示します。
  実行で失敗した行の新しいパスは - です。

  UTF-8 でない名前は、CP932 として読めるならその読みで、読めなければ UTF-8 として正しい
  部分はそのまま、それ以外のバイトを \xNN (16進2桁) で表示します。制御文字 (C0、DEL、
  C1 の U+0080〜U+009F) も、名前のバイトごとに \xNN です。

JSON (--json):
  {"path":元のパス,"new":新しいパス,"outcome":結果の種類,"text":結果}
  outcome は ok、same-name、missing、exists、system-file、error。新しいパスがない行は null。
  パスは JSON の文字列です。UTF-8 でないパスは文字列が上の読みやすい形になり、その正確な
  バイト列が "path_base64" / "new_base64" に Base64 で入ります。制御文字は \u00XX です。
  --undo では {"restored":戻した数,"seen":記録の数,"pending":戻すはずだった数} の1行です。
  戻せなかったとき (変更履歴ファイルがない など) は "error" にその理由が入り、戻した記録を
  変更履歴ファイルに書き込めなかったときは "note_error" が加わります。

終了ステータス:
  0  すべての行が成功した (--dry-run では、すべての行が成功する見込み)
  1  失敗した行がある、見つからないパスがある、検索が最大表示数で止まった、実行が途中で終わった
  2  使い方の誤り (不明なオプション、誤った --method、範囲外か保存されていないプリセット、
     copy と move の --dest がない、ルールにないキーか受け付けない値、誤った正規表現 など)。
     標準エラー出力に1行のメッセージを出します。
)";
}

} // namespace rinoza::cli
