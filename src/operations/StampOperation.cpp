#include "operations/StampOperation.h"

#include "operations/Messages.h"

#include <span>

namespace rinoza {

std::optional<std::string> changeListedFiles(FileList& list, const StampRequest& request, FileSystem& fs,
                                             OperationPrompts& prompts, ProgressDisplay& progress) {
    if (list.empty()) {
        prompts.tell(Notice::Warning, msg::kNoFilesToChange);
        return std::nullopt;
    }
    const bool times = request.kind == StampRequest::Kind::Times;
    if (times) {
        switch (checkDates(request.times)) {
        case DateCheck::BadCreation:
            prompts.tell(Notice::Warning, msg::kBadCreationDate);
            return std::nullopt;
        case DateCheck::BadUpdate:
            prompts.tell(Notice::Warning, msg::kBadUpdateDate);
            return std::nullopt;
        case DateCheck::Valid:
            break;
        }
    }
    if (!prompts.ask(Question::ChangeFiles, times ? msg::kTimesQuestion : msg::kAttrQuestion))
        return std::nullopt;

    ProgressScope scope(progress, msg::kChangeActivity);
    StampCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progress.callbacks();
    // Each run of rows done reaches the list (and the window) as one change.
    callbacks.rowsChanged = [&list](std::size_t first, std::size_t count) {
        list.rowsChanged(static_cast<int>(first), static_cast<int>(first + count) - 1);
    };
    const StampResult result = StampEngine(fs).run(list.rowsToChange(), request, callbacks);
    return result.statusText();
}

} // namespace rinoza
