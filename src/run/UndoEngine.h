#pragma once

// Undoes the last rename run from its history file.

#include "platform/FileSystem.h"
#include "run/HistoryFile.h"
#include "run/RunProgress.h"

#include <string>
#include <vector>

namespace rinoza {

struct UndoResult {
    int restored = 0;     // records whose file went back
    int seen = 0;         // "[A]" lines handled
    int maximum = 0;      // the progress maximum that was set
    bool cancelled = false;
    int error = 0;        // errno when the file could not be read (nothing was undone then)
    std::string errorMessage;

    // "<restored>/<seen>個が変名を戻されました。"
    std::string statusText() const;
};

// One reversal the history file asks for.
struct UndoRecord {
    RenameMethod method = RenameMethod::RenameOnly;
    std::string before;
    std::string after;
};

class UndoEngine {
public:
    explicit UndoEngine(FileSystem& fs) : m_fs(fs) {}

    // Reads the history file at path and reverses its records. The file is never changed.
    UndoResult run(const std::string& path, const ProgressCallbacks& progress);

    // Same, over lines already read.
    UndoResult runLines(const std::vector<std::string>& lines, const ProgressCallbacks& progress);

    // The records of a history, in file order. "{" lines are comments; an exact method line sets
    // the method of the records after it; "[B]" sets the before path; "[A]" makes a record with the
    // last before path (empty when none came yet); every other line is ignored.
    static std::vector<UndoRecord> parseRecords(const std::vector<std::string>& lines);

    // The progress maximum for a file of lineCount lines: (lineCount - 6) / 2, never below 0.
    static int progressMaximum(std::size_t lineCount);

    // Reverses one record; a record whose paths are not both absolute is left alone. Never replaces
    // an existing file: a rename or move back fails when the old path is taken. A copy is only
    // deleted while its source still exists, the copy is a regular file, it is not the source itself
    // (a source that is a link is read where it points), and it still has the source's size and last
    // write time (as a file system of coarser times keeps it: the same whole second, or less than two
    // seconds apart), so an undo never destroys the last copy of a file nor anything written later
    // under the copy's name.
    bool reverse(const UndoRecord& record);

private:
    FileSystem& m_fs;
};

} // namespace rinoza
