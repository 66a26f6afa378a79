#pragma once

// The main window: the four tabs above the file list, the menus and the status bar. It composes the
// tabs and the controllers that do the work, wires the menu items and buttons to them, and runs the
// start-up and close sequences in which every part restores and saves its own state.

#include "app/MainMenu.h"
#include "filelist/ui/FileListView.h"
#include "platform/DateTime.h"
#include "rename/PhotoDate.h"
#include "settings/DisplaySettings.h"

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTabWidget;
class QTableView;

namespace rinoza {

class AttrTab;
class FileListController;
class FileSystem;
class FileListModel;
class PresetController;
class PreviewController;
class ProgressHost;
class RenameRunController;
class RenameTab;
class SearchController;
class SearchTab;
class TFrmSetup;
class TimeTab;
class UndoController;

class TFrmMain : public QMainWindow, public MainMenu {
    Q_OBJECT
public:
    // `fs` holds the files, the settings and the history; `args` are the command-line paths; `clock`
    // gives "now" (the window's own system clock when null). fs and clock must outlive the window.
    // Creating the window runs FrmMainCreate.
    explicit TFrmMain(FileSystem& fs, std::vector<std::string> args = {}, const Clock* clock = nullptr,
                      QWidget* parent = nullptr);
    ~TFrmMain() override;

    // Reads section Window of the settings file into displaySettings.
    void LoadDisplaySettings();
    // The display settings dialog, modal; after OK the settings are read again, and icons turned off
    // leave the listed rows too.
    void N5Click();
    void UpdateUndoCommands();
    void ClearFileList();
    int32_t ListedFileCount() const;
    void setStatusText(const QString& text);
    QString statusText() const;

    DisplaySettings displaySettings;

    FileListController* fileListController() const { return m_list; }
    ProgressHost* progressHost() const { return m_progress.get(); }
    // The dates taken that the preview read, for the run after it.
    PhotoDateMemos& photoDates() { return m_photoDates; }

    // Controls (named as their objectName).
    QTabWidget* pgcMain = nullptr;
    SearchTab* tbsFnd = nullptr;
    RenameTab* tbsSet = nullptr;
    TimeTab* tbsTime = nullptr;
    AttrTab* tbsAttr = nullptr;
    FileListView* lvFile = nullptr;
    FileListModel* fileList = nullptr;
    QStatusBar* stbMain = nullptr;
    QMenu* pmList = nullptr;
    QAction* Open1 = nullptr;
    QAction* N9 = nullptr;
    QAction* N16 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildControllers();
    void wireMenus();
    void FrmMainCreate();
    void FrmMainClose();
    // The list's height with its header and this many rows.
    int listHeightFor(int rows) const;
    // Without stored geometry: the designed size, grown to what the font in use needs.
    QSize firstWindowSize() const;

    FileSystem& m_fs;
    SystemClock m_systemClock;
    PhotoDateMemos m_photoDates;
    const Clock* m_clock;
    std::vector<std::string> m_args;
    QLabel* m_statusPanel = nullptr;

    FileListController* m_list = nullptr;
    SearchController* m_search = nullptr;
    std::unique_ptr<ProgressHost> m_progress;
    RenameRunController* m_run = nullptr;
    UndoController* m_undo = nullptr;
    PresetController* m_presets = nullptr;
    TFrmSetup* m_setup = nullptr; // hidden between showings
    PreviewController* m_preview = nullptr;
};

} // namespace rinoza
