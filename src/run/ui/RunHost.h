#pragma once

// What the rename run and the undo need from the main window. The window fills one of these once
// and keeps the controllers beside it.

#include "rename/RenameRuleSet.h"

#include <QString>
#include <functional>

class QAbstractItemView;
class QWidget;

namespace rinoza {

class Clock;
class FileListModel;
class FileSystem;
class NameBuilder;
class PhotoDateMemos;
class ProgressHost;

struct RunHost {
    QWidget* window = nullptr;                     // owner of the dialogs
    ProgressHost* progress = nullptr;              // BeginProgress / EndProgress / CancelRequested of the window
    FileListModel* model = nullptr;                // lvFile's rows, visited in display order
    QAbstractItemView* view = nullptr;             // lvFile, for the rows in sight (optional)
    const NameBuilder* builder = nullptr;          // the window's one name builder
    std::function<RenameRuleSet()> rules;          // the rule set as the rename tab shows it
    std::function<QString()> startText;            // text of edtRenStart
    std::function<void(const QString&)> setStatus; // first panel of stbMain
    std::function<void()> updateUndoCommands;      // UpdateUndoCommands of the window
    FileSystem* fileSystem = nullptr;              // required: the files, the settings and the history
    const Clock* clock = nullptr;                  // optional: the system clock when null
    // The dates taken read by the preview, for the run after it (each is read anew when null).
    PhotoDateMemos* photoDates = nullptr;
};

} // namespace rinoza
