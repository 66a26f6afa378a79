#include "cli/CliCommand.h"

#include "cli/CliConsole.h"
#include "cli/CliText.h"
#include "filelist/AddedPaths.h"
#include "filelist/SearchWalk.h"
#include "platform/Paths.h"
#include "rename/NameBuilder.h"
#include "rename/RuleSetStore.h"
#include "run/RunEngine.h"
#include "run/RunPaths.h"
#include "run/UndoEngine.h"
#include "settings/DisplaySettings.h"
#include "settings/IniFile.h"

#include <csignal>
#include <unordered_map>

namespace rinoza::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    if (g_interrupted != 0) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
    g_interrupted = 1;
}

// Ctrl+C asks the engine to stop before the next row, so the history is closed and the count shown;
// a second Ctrl+C ends the program at once.
class InterruptGuard {
public:
    InterruptGuard() {
        g_interrupted = 0;
        m_previous = std::signal(SIGINT, onInterrupt);
    }
    ~InterruptGuard() { std::signal(SIGINT, m_previous == SIG_ERR ? SIG_DFL : m_previous); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    static bool interrupted() { return g_interrupted != 0; }

private:
    void (*m_previous)(int) = SIG_DFL;
};

struct Rows {
    std::vector<FileListRow> rows;
    bool complete = true; // every path was found and every folder searched to its end
};

std::string fullPath(const FileListRow& r) {
    return joinPath(r.folder, r.name);
}

// Of several rows for one file, the last stays, as the window's list keeps the most recent one.
void removeDuplicateRows(std::vector<FileListRow>& rows) {
    std::unordered_map<std::string, std::size_t> last;
    for (std::size_t i = 0; i < rows.size(); ++i)
        last[fullPath(rows[i])] = i;
    if (last.size() == rows.size())
        return;
    std::vector<FileListRow> kept;
    kept.reserve(last.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (last[fullPath(rows[i])] == i)
            kept.push_back(std::move(rows[i]));
    rows = std::move(kept);
}

Rows gatherRows(const CliOptions& o, const DisplaySettings& display, FileSystem& fs, Console& console) {
    Rows result;
    const std::string cwd = fs.currentFolder();
    bool limitHit = false;
    for (const std::string& given : o.paths) {
        const std::string path = absolutePath(given, cwd, fs);
        FileInfo info;
        if (fs.stat(path, info, true) != 0) {
            console.message("ファイルもフォルダも見つかりません: " + readableText(given));
            result.complete = false;
            continue;
        }
        if (info.isDirectory) {
            if (limitHit)
                continue;
            SearchOptions so;
            so.pattern = o.pattern;
            so.subfolders = o.recursive;
            so.showSystem = display.LVSysVisible;
            so.showHidden = display.LVHiddenVisible;
            so.showReadOnly = display.LVReadonlyVisible;
            so.withIcons = false;
            so.listedBefore = static_cast<int64_t>(result.rows.size());
            so.limit = display.LVIconMax;
            SearchCallbacks cb;
            cb.rows = [&result](std::vector<FileListRow>&& batch) {
                for (FileListRow& r : batch)
                    result.rows.push_back(std::move(r));
            };
            cb.limitReached = [&] {
                limitHit = true;
                console.message("検索数が" + std::to_string(display.LVIconMax) +
                                "を越えました。検索が途中で中止されます。検索設定を見直して下さい。");
            };
            cb.pumpEvents = [&] { console.progress(static_cast<int>(result.rows.size())); };
            console.beginProgress("検索中", 0);
            SearchWalk walk(fs, so, cb);
            walk.run(path);
            console.endProgress();
            if (limitHit)
                result.complete = false;
            continue;
        }
        std::optional<FileListRow> row = info.isRegular ? addedPathRow(fs, path, false) : std::nullopt;
        if (!row) {
            console.message("通常のファイルでもフォルダでもありません: " + readableText(given));
            result.complete = false;
            continue;
        }
        result.rows.push_back(std::move(*row));
    }
    removeDuplicateRows(result.rows);
    return result;
}

std::string rowLine(const CliOptions& o, std::string_view oldPath, const std::string* newPath,
                    std::string_view outcomeText) {
    const bool ok = outcomeText == "OK" || outcomeText.starts_with("OK (変名前");
    if (o.json) {
        std::string line(1, '{');
        line += jsonPathField("path", oldPath);
        line += ',';
        line += newPath ? jsonPathField("new", *newPath) : std::string("\"new\":null");
        line += ",\"outcome\":" + jsonString(outcomeCode(outcomeText));
        line += ",\"text\":" + jsonString(ok ? std::string("OK") : readableText(outcomeText)) + "}";
        return line;
    }
    std::string line = readableText(oldPath);
    line += '\t';
    line += newPath ? readableText(*newPath) : std::string("-");
    line += '\t';
    line += ok ? std::string("OK") : readableText(outcomeText);
    return line;
}

std::string_view methodVerb(RenameMethod m) {
    switch (m) {
    case RenameMethod::RenameAndCopy:
        return "変名してコピー";
    case RenameMethod::RenameAndMove:
        return "変名して移動";
    case RenameMethod::RenameOnly:
        break;
    }
    return "変名";
}

// The rule the run uses: the current one, or the preset asked for in its place.
StoredRuleSet ruleOf(const CliOptions& o, const IniFile& ini) {
    StoredRuleSet rule = RuleSetStore::readCurrent(ini);
    if (o.preset != 0) {
        if (!RuleSetStore::presetSaved(ini, o.preset))
            throw UsageError("設定(" + std::to_string(o.preset) + ")が保存されていません。");
        RuleSetStore::readPreset(ini, o.preset, rule);
    }
    return rule;
}

ProgressCallbacks progressFor(Console& console) {
    ProgressCallbacks cb;
    cb.setPosition = [&console](int position) { console.progress(position); };
    cb.cancelRequested = [] { return InterruptGuard::interrupted(); };
    return cb;
}

// Makes the destination folder of a copy or move when it is missing; false (after the message) when
// it cannot be had, so that the last run's history is not replaced by one in which every file failed.
bool ensureDestination(const CliOptions& o, const std::string& destination, FileSystem& fs, Console& console) {
    FileInfo info;
    if (fs.stat(destination, info) == 0 && info.isDirectory)
        return true;
    if (console.interactive() && !o.yes &&
        !console.ask("フォルダ[ " + readableText(destination) + " ]が存在しません。作成しますか？"))
        return false;
    if (fs.makeDirectories(destination) != 0) {
        console.message("ディレクトリを作成することができません: " + readableText(destination));
        return false;
    }
    return true;
}

// The outcome a row gets from this program's run with these options: the engine's own forecast, with
// the system file question answered as the run would answer it.
std::string foretoldOutcome(const CliOptions& o, const RowForecast& f, bool interactive) {
    if (!f.outcome.empty())
        return std::string(f.outcome);
    if (f.asksSystemFile && !o.yes)
        return interactive ? "OK (実行時にシステムファイルの確認あり)" : std::string(outcome::kSystemFile);
    return "OK";
}

int dryRun(const CliOptions& o, const Rows& gathered, const RunRequest& request, FileSystem& fs,
           const NameBuilder& builder, const Clock& clock, Console& console) {
    const std::vector<FileListRow>& rows = gathered.rows;
    const std::string_view targetFolder = request.method == RenameMethod::RenameOnly ? "" : request.destination;
    bool allOk = gathered.complete;
    InterruptGuard interrupt;
    ForecastCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progressFor(console);
    callbacks.rowForetold = [&](std::size_t i, RowForecast&& f) {
        const std::string text = foretoldOutcome(o, f, console.interactive());
        allOk = allOk && text.starts_with("OK");
        const std::string newPath = joinPath(targetFolder.empty() ? rows[i].folder : targetFolder, f.newName);
        console.row(rowLine(o, fullPath(rows[i]), &newPath, text));
    };
    console.beginProgress("変名結果の予測中", static_cast<int>(rows.size()));
    RunEngine engine(fs, builder, clock);
    const ForecastResult result = engine.foretell(rows, request, callbacks);
    console.endProgress();
    if (!result.errorMessage.empty())
        console.message(readableText(result.errorMessage));
    return allOk && result.rows == rows.size() ? kExitSuccess : kExitFailure;
}

int renameRun(const CliOptions& o, Rows gathered, RunRequest request, FileSystem& fs, const NameBuilder& builder,
              const Clock& clock, Console& console) {
    std::vector<FileListRow>& rows = gathered.rows;
    if (console.interactive() && !o.yes) {
        std::string question = std::to_string(rows.size()) + "個のファイルを" + std::string(methodVerb(o.method));
        if (o.method != RenameMethod::RenameOnly)
            question += " (先: " + readableText(request.destination) + ")";
        if (!console.ask(question + "します。よろしいですか？")) {
            console.message("中止しました。何も変えていません。");
            return kExitFailure;
        }
    }
    if (o.method != RenameMethod::RenameOnly && !ensureDestination(o, request.destination, fs, console))
        return kExitFailure;

    std::vector<std::string> oldPaths;
    oldPaths.reserve(rows.size());
    for (const FileListRow& r : rows)
        oldPaths.push_back(fullPath(r));

    InterruptGuard interrupt;
    RunCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progressFor(console);
    callbacks.askSystemFile = [&o, &console](const std::string& path) {
        if (o.yes)
            return true;
        return console.interactive() && console.ask(systemFileQuestion(readableText(path)));
    };
    bool allOk = gathered.complete;
    callbacks.rowChanged = [&](std::size_t i) {
        const FileListRow& r = rows[i];
        const bool ok = r.remarks.starts_with("OK");
        allOk = allOk && ok;
        const std::string newPath = ok ? fullPath(r) : std::string();
        console.row(rowLine(o, oldPaths[i], ok ? &newPath : nullptr, r.remarks));
    };
    console.beginProgress("変名中", static_cast<int>(rows.size()));
    RunEngine engine(fs, builder, clock);
    const RunResult result = engine.run(rows, request, callbacks);
    console.endProgress();

    if (result.end == RunEnd::Error && !result.errorMessage.empty())
        console.message(std::string(kRunStoppedMessage) + readableText(result.errorMessage));
    console.message(result.statusText());
    const bool complete = result.end == RunEnd::Completed && static_cast<std::size_t>(result.renamed) == rows.size();
    return allOk && complete ? kExitSuccess : kExitFailure;
}

int undoRun(const CliOptions& o, FileSystem& fs, Console& console) {
    const std::string path = historyFilePath(fs);
    FileInfo info;
    if (fs.stat(path, info) != 0 || info.isDirectory) {
        console.message("前回の変名履歴ファイルが見つかりません。");
        return kExitFailure;
    }
    if (console.interactive() && !o.yes && !console.ask("前回の変名を戻します。よろしいですか？")) {
        console.message("中止しました。何も変えていません。");
        return kExitFailure;
    }
    std::vector<std::string> lines;
    int pending = 0;
    if (HistoryFile::read(fs, path, lines) == 0)
        for (const UndoRecord& r : UndoEngine::parseRecords(lines))
            pending += r.undone ? 0 : 1;

    InterruptGuard interrupt;
    console.beginProgress("前回の変名戻し中", pending);
    UndoEngine engine(fs);
    const UndoResult result = engine.run(path, progressFor(console));
    console.endProgress();
    if (result.error != 0) {
        console.message(readableText(result.errorMessage));
        return kExitFailure;
    }
    if (result.noteError != 0)
        console.message("戻した記録を変更履歴ファイルに書き込めません。(" + readableText(path) + ")");
    if (o.json)
        console.row("{\"restored\":" + std::to_string(result.restored) + ",\"seen\":" + std::to_string(result.seen) +
                    ",\"pending\":" + std::to_string(pending) + "}");
    console.message(result.statusText());
    const bool allRestored = !result.cancelled && result.noteError == 0 && result.restored == pending;
    return allRestored ? kExitSuccess : kExitFailure;
}

} // namespace

int runCli(const CliOptions& o, FileSystem& fs, const TerminalStreams& terminals) {
    Console console(terminals);
    if (o.undo)
        return undoRun(o, fs, console);

    const IniFile ini(fs, settingsFilePath(fs));
    const StoredRuleSet rule = ruleOf(o, ini);
    const DisplaySettings display = loadDisplaySettings(ini);

    RunRequest request;
    request.method = o.method;
    request.destination = o.destination.empty() ? std::string() : absolutePath(o.destination, fs.currentFolder(), fs);
    request.rules = rule.rules;
    request.serialStartText = std::to_string(rule.renStart);
    request.historyPath = historyFilePath(fs);

    SystemClock clock;
    const NameBuilder builder(clock, [&console, &fs](const std::string& path, FileDateKind kind) {
        return std::optional<LocalDateTime>(GetFileDate(
            fs, path, kind, [&console](const std::string& missing) { console.message(readableText(missing)); }));
    });

    Rows gathered = gatherRows(o, display, fs, console);
    if (gathered.rows.empty()) {
        console.message("変名処理に対するファイルが選ばれていません。");
        return gathered.complete ? kExitSuccess : kExitFailure;
    }
    if (o.dryRun)
        return dryRun(o, gathered, request, fs, builder, clock, console);
    return renameRun(o, std::move(gathered), std::move(request), fs, builder, clock, console);
}

} // namespace rinoza::cli
