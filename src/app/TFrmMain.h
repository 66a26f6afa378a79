#pragma once

// The main window: the four tabs above the file list, the menus, the status bar; it restores its
// state from the settings file when created and writes it back when closed.

#include "platform/DateTime.h"
#include "settings/DisplaySettings.h"

#include <QMainWindow>
#include <QPoint>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTabWidget;
class QTableView;

namespace rinoza {

class AttrTab;
class FileListModel;
class ProgressHost;
class SearchController;
class RenameRunController;
class UndoController;
class RenameTab;
class SearchTab;
class TimeTab;

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    // `args` are the command-line paths; `clock` gives "now" (the window's own system clock when null)
    // and must outlive the window. Creating the window runs FrmMainCreate.
    explicit TFrmMain(std::vector<std::string> args = {}, const Clock* clock = nullptr, QWidget* parent = nullptr);
    ~TFrmMain() override;

    // Reads section Window of the settings file into displaySettings.
    void LoadDisplaySettings();
    // Enables the undo and history commands exactly when the history file exists.
    void UpdateUndoCommands();
    // Empties the list, turns its context menu off, disables the clear button, zeroes ListedFileCount.
    void ClearFileList();
    // The list's context menu pops up only while rows have been listed since the last clear.
    void setListMenuEnabled(bool on);
    void setStatusText(const QString& text);
    QString statusText() const;

    // The HTML manual the help commands open, and the URL of one of its topics.
    QString helpFile() const { return m_helpFile; }
    QString helpUrl(int context) const;

    DisplaySettings displaySettings;
    QPoint DragStartPoint{-1, -1};
    // Files listed since the list was last cleared (the search keeps the count).
    int32_t ListedFileCount() const;

    // Controls (named as their objectName).
    QTabWidget* pgcMain = nullptr;
    SearchTab* tbsFnd = nullptr;
    RenameTab* tbsSet = nullptr;
    TimeTab* tbsTime = nullptr;
    AttrTab* tbsAttr = nullptr;
    QTableView* lvFile = nullptr;
    FileListModel* fileList = nullptr;
    QStatusBar* stbMain = nullptr;
    QMenuBar* mm1 = nullptr;
    QMenu* pmList = nullptr;

    QAction* N6 = nullptr;
    QAction* X1 = nullptr;
    QAction* N5 = nullptr;
    QAction* N8 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N20 = nullptr;
    QAction* S[5] = {};
    QAction* L[5] = {};
    QAction* Contents1 = nullptr;
    QAction* N4 = nullptr;
    QAction* About1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* P1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N9 = nullptr;
    QAction* N18 = nullptr;
    QAction* N16 = nullptr;
    QAction* N17 = nullptr;

public slots:
    void X1Click();
    void Contents1Click();
    void N4Click();
    void About1Click();

    void N6Click();
    void N5Click();
    void N8Click();
    void SelectAll1Click();
    void N11Click();
    void N20Click();
    void SClick();
    void LClick();
    void lvFileDblClick();
    void P1Click();
    void N2Click();
    void N9Click();
    void N18Click();
    void N167Click();
    void btnCnvStartClick();
    void btnNewClick();
    void btnAndoClick();
    void btnDateTimeChgClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void FrmMainCreate();
    void FrmMainClose();
    void restoreFromSettings();
    // Adds the command-line paths as dropped paths are added; does nothing until dropping is built.
    void AddCommandLinePaths();

    SystemClock m_systemClock;
    const Clock* m_clock;
    std::vector<std::string> m_args;
    QLabel* m_statusPanel = nullptr;
    QString m_helpFile;
    // Texts of the ten date lists, held from the settings until the lists are filled.
    std::vector<QString> m_heldCrt, m_heldUpd;

    // Long operations: the progress dialog and its stop flag, the rename run and the undo.
    std::unique_ptr<ProgressHost> m_progress;
    std::unique_ptr<RenameRunController> m_run;
    std::unique_ptr<UndoController> m_undo;
    SearchController* m_search = nullptr;
    void buildControllers();
};

} // namespace rinoza
