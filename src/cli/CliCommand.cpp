#include "cli/CliCommand.h"

#include "cli/CliConsole.h"
#include "cli/CliRule.h"
#include "cli/CliText.h"
#include "filelist/FileList.h"
#include "operations/Messages.h"
#include "operations/PathIntake.h"
#include "operations/RenameOperations.h"
#include "operations/SearchOperation.h"
#include "operations/UndoOperation.h"
#include "platform/Paths.h"
#include "rename/RuleSetStore.h"
#include "settings/DisplaySettings.h"
#include "settings/IniFile.h"

#include <cstdio>

namespace rinoza::cli {

namespace {

// What the command line asked to rename, and with what.
struct Job {
    const CliOptions& options;
    FileSystem& fs;
    Console& console;
    FileList list;
    bool complete = true;    // every path was found and every folder searched to its end
    std::string destination; // absolute
};

// The rows of the given paths in their order: a file as it is, a folder searched with the pattern,
// the display filters and the limit. A file given again keeps its last row only.
void gatherRows(Job& job, const DisplaySettings& display) {
    const CliOptions& o = job.options;
    bool limitHit = false;
    const std::string cwd = job.fs.currentFolder();
    AddedPathLookup lookup(job.fs);
    for (const std::string& given : o.paths) {
        TakenPath taken = takePath(given, cwd, lookup, false);
        switch (taken.kind) {
        case PathKind::File:
            job.list.addRow(std::move(*taken.row));
            break;
        case PathKind::Folder: {
            if (limitHit)
                break;
            // Rows of names only: the run looks at each file right before renaming it anyway.
            FolderSearch search(SearchRequest{taken.path, o.pattern, o.recursive, display, false, false}, job.fs,
                                job.list, job.console);
            // The terminal's count needs no more than ten updates a second; the rows then come over
            // in fewer, larger pieces (a folder of tens of thousands of files in one).
            search.setTimeSliceMs(100);
            search.pumpEvents = [&] {
                job.console.progress(job.list.size());
                if (Console::interrupted())
                    search.requestStop();
            };
            job.console.begin(msg::kSearchActivity);
            limitHit = search.run().limitReached;
            job.console.end();
            job.complete = job.complete && !limitHit;
            break;
        }
        case PathKind::Missing:
        case PathKind::Other:
            job.console.message(std::string(taken.kind == PathKind::Missing ? msg::kNotFound : msg::kNotAFile) + ": " +
                                readableText(given));
            job.complete = false;
            break;
        }
        if (Console::interrupted())
            return;
    }
    // The files of one path are listed once each already.
    if (o.paths.size() > 1)
        job.list.removeDuplicateRows();
}

// One row of output in line (its room is reused from row to row).
const std::string& rowLine(std::string& line, const CliOptions& o, std::string_view oldPath, const std::string* newPath,
                           std::string_view outcomeText) {
    const bool ok = outcomeText.starts_with("OK");
    // A renamed row's remarks hold the old name; the row says OK.
    const std::string text = ok && outcomeText != msg::kAsksAtRun ? std::string("OK") : readableText(outcomeText);
    line.clear();
    if (o.json) {
        line += '{';
        line += jsonPathField("path", oldPath);
        line += ',';
        line += newPath ? jsonPathField("new", *newPath) : std::string("\"new\":null");
        line += ",\"outcome\":" + jsonString(outcomeCode(outcomeText));
        line += ",\"text\":" + jsonString(text) + "}";
        return line;
    }
    appendReadable(line, oldPath);
    line += '\t';
    if (newPath)
        appendReadable(line, *newPath);
    else
        line += '-';
    line += '\t';
    line += text;
    return line;
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

// The outcome a row gets from this program's run with these options: the engine's own forecast, with
// the system file question answered as the run would answer it.
std::string foretoldOutcome(const Job& job, const RowForecast& f) {
    if (!f.outcome.empty())
        return std::string(f.outcome);
    if (f.asksSystemFile && !job.console.answersYes(Question::SystemFile))
        return std::string(job.console.interactive() ? msg::kAsksAtRun : outcome::kSystemFile);
    return "OK";
}

int dryRun(Job& job, const RequestMaker& request, RenameContext& context) {
    const CliOptions& o = job.options;
    const std::string_view targetFolder = o.method == RenameMethod::RenameOnly ? "" : job.destination;
    bool allOk = job.complete;
    std::string line;
    const PreviewOutcome outcome = previewRename(
        job.list, request, context, job.console, job.console, false, [&](std::size_t i, const RowForecast& f) {
            const std::string text = foretoldOutcome(job, f);
            allOk = allOk && text.starts_with("OK");
            const FileListRow& r = job.list.row(static_cast<int>(i));
            const std::string newPath = joinPath(targetFolder.empty() ? r.folder : targetFolder, f.newName);
            job.console.row(rowLine(line, o, joinPath(r.folder, r.name), &newPath, text));
        });
    return allOk && outcome.rows == job.list.rows().size() ? kExitSuccess : kExitFailure;
}

int renameRun(Job& job, const RequestMaker& request, RenameContext& context) {
    const CliOptions& o = job.options;
    Console& console = job.console;
    if (console.interactive() && !o.yes &&
        !console.askLine(
            msg::runQuestion(job.list.rows().size(), static_cast<int>(o.method), readableText(job.destination)))) {
        console.message(msg::kNothingChanged);
        return kExitFailure;
    }
    switch (prepareDestination(o.method, job.destination, job.fs, console)) {
    case DestinationCheck::Ready:
        break;
    case DestinationCheck::Declined:
        return kExitFailure;
    case DestinationCheck::Failed:
        console.message(std::string(msg::kCannotMakeFolder) + ": " + readableText(job.destination));
        return kExitFailure;
    }

    std::vector<std::string> oldPaths;
    oldPaths.reserve(job.list.rows().size());
    for (const FileListRow& r : job.list.rows())
        oldPaths.push_back(joinPath(r.folder, r.name));
    bool allOk = job.complete;
    std::string line, newPath;
    const RunResult result = runRename(job.list, request, context, console, console, [&](std::size_t i) {
        const FileListRow& r = job.list.row(static_cast<int>(i));
        const bool ok = r.remarks.starts_with("OK");
        allOk = allOk && ok;
        if (ok)
            joinPathInto(newPath, r.folder, r.name);
        console.row(rowLine(line, o, oldPaths[i], ok ? &newPath : nullptr, r.remarks));
    });
    console.message(result.statusText());
    const bool complete =
        result.end == RunEnd::Completed && static_cast<std::size_t>(result.renamed) == oldPaths.size();
    return allOk && complete ? kExitSuccess : kExitFailure;
}

// The one JSON line of --undo.
std::string undoJson(const UndoOutcome& outcome, std::string_view error) {
    std::string line = "{\"restored\":" + std::to_string(outcome.result.restored) +
                       ",\"seen\":" + std::to_string(outcome.result.seen) +
                       ",\"pending\":" + std::to_string(outcome.pending);
    if (!error.empty())
        line += ",\"error\":" + jsonString(error);
    if (!outcome.noteError.empty())
        line += ",\"note_error\":" + jsonString(outcome.noteError);
    return line + "}";
}

int undoRun(const CliOptions& o, FileSystem& fs, Console& console) {
    const UndoOutcome outcome = undoLastRun(historyFilePath(fs), fs, console, console);
    std::string error;
    switch (outcome.end) {
    case UndoOutcome::End::NoHistory:
        error = msg::kHistoryMissing; // told already
        break;
    case UndoOutcome::End::Declined:
        error = msg::kNothingChanged;
        console.message(error);
        break;
    case UndoOutcome::End::Failed:
        error = outcome.errorText;
        console.message(error);
        break;
    case UndoOutcome::End::Done:
        if (!outcome.noteError.empty())
            console.message(outcome.noteError + std::string(msg::kUndoNoteConsequence));
        break;
    }
    if (o.json)
        console.row(undoJson(outcome, error));
    if (outcome.end != UndoOutcome::End::Done)
        return kExitFailure;
    console.message(outcome.result.statusText());
    const bool allRestored =
        !outcome.result.cancelled && outcome.noteError.empty() && outcome.result.restored == outcome.pending;
    return allRestored ? kExitSuccess : kExitFailure;
}

} // namespace

int runCli(const CliOptions& o, FileSystem& fs, const TerminalStreams& terminals) {
    Console console(terminals, o.yes);
    if (o.undo)
        return undoRun(o, fs, console);

    const IniFile ini(fs, settingsFilePath(fs));
    StoredRuleSet rule = ruleOf(o, ini);
    applyRuleEdits(o.ruleEdits, rule);

    SystemClock clock;
    const NameBuilder builder(clock, [&console, &fs](const std::string& path, FileDateKind kind) {
        return std::optional<LocalDateTime>(GetFileDate(
            fs, path, kind, [&console](const std::string& missing) { console.message(readableText(missing)); }));
    });
    // A pattern given here is a mistake in the command; one stored in the settings file is told by the
    // run, as the window tells it.
    if (!o.ruleEdits.empty())
        if (const std::string error = builder.ruleError(rule.rules); !error.empty())
            throw UsageError(readableText(error));
    if (o.showRule) {
        const std::string text = ruleText(rule);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitSuccess;
    }

    Job job{o, fs, console, {}, true, {}};
    job.destination = o.destination.empty() ? std::string() : absolutePath(o.destination, fs.currentFolder(), fs);

    gatherRows(job, loadDisplaySettings(ini));
    if (Console::interrupted()) {
        console.message(msg::kNothingChanged);
        return kExitFailure;
    }
    if (!checkFilesToRename(job.list, console))
        return job.complete ? kExitSuccess : kExitFailure;
    RenameContext context{fs, builder, clock, nullptr};
    const auto request = [&] {
        return renameRequest(fs, o.method, job.destination, rule.rules, std::to_string(rule.renStart));
    };
    return o.dryRun ? dryRun(job, request, context) : renameRun(job, request, context);
}

} // namespace rinoza::cli
