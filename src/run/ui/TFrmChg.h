#pragma once

// The rename confirmation dialog: the user picks the method (rename only, rename + copy, rename +
// move) and the destination folder before a run starts. The method and the last ten folders are
// kept in section "ChangeDialog" of the settings file, written only by the start action. The dialog
// is made anew for every showing, so it reads the settings each time.

#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolBar;

namespace rinoza {

class FileSystem;
class PathComboBox;

class TFrmChg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHistoryMax = 10;

    // Builds the controls and runs FormCreate (settings from settingsFilePath(fs)).
    explicit TFrmChg(FileSystem& fs, QWidget* parent = nullptr);

    // The chosen method: 0 rename only, 1 rename + copy, 2 rename + move.
    int selectedIndex() const;
    void setSelectedIndex(int index);
    // The destination folder text as the user sees it.
    QString destinationText() const;
    // The destination folder's bytes: those of the entry the field shows, or of the text the user typed
    // (in the locale's encoding) when it is no entry's text.
    std::string destinationBytes() const;
    // The folder history, most recent first: as shown, and as bytes.
    QStringList folderHistory() const;
    std::vector<std::string> folderHistoryBytes() const;

    QAction* acStart() const { return m_acStart; }
    QAction* acCancel() const { return m_acCancel; }
    QAction* acHelp() const { return m_acHelp; }

    // Empty folder: nothing. An entry equal to the folder (byte for byte: Linux names are case-sensitive)
    // moves to the top and becomes the field's text; otherwise the folder is the new top entry. The
    // oldest entry beyond ten is dropped.
    void PushFolderHistory(const std::string& folder);
    // The same for a typed text, taken in the locale's encoding.
    void PushFolderHistory(const QString& folder);
    void LoadDialogSettings();
    // The method and folder a showing of the dialog offers, read without building it.
    static void storedChoice(FileSystem& fs, int& method, std::string& destination);
    // Throws SettingsWriteError when the settings file cannot be written.
    void SaveDialogSettings();

public slots:
    void rgChgClick();
    // Makes the folder absolute (a relative one is taken from the current folder) and shows it so,
    // stores it and the method, then closes with Accepted. A settings file that cannot be
    // written is reported and the dialog stays open.
    void acStartExecute();
    void acCancelExecute();
    void acHelpExecute();
    void btnPassClick();
    // Before the list opens: wide enough for the widest entry.
    void cmbPassDropDown();

private:
    FileSystem& m_fs;
    void FormCreate();
    // Puts a folder into the field as its shown text, remembering the bytes behind that text.

    QGroupBox* m_rgChg;
    QButtonGroup* m_rgChgGroup;
    QLabel* m_lblPass;
    PathComboBox* m_cmbPass;
    QPushButton* m_btnPass;
    QToolBar* m_tlbChg;
    QAction* m_acStart;
    QAction* m_acCancel;
    QAction* m_acHelp;
};

} // namespace rinoza
