#pragma once

// The display settings dialog: the seven values of section Window (which files a search lists and how
// many, icons in the list, the switch to the rename tab, remembered column widths). It lives hidden
// from program start to end; each showing loads the stored values, OK writes them, and anything else
// leaves the settings file as it was.

#include <QDialog>

class QAbstractSpinBox;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace rinoza {

class FileSystem;

class TFrmSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLVMaxMin = 1;
    static constexpr int kLVMaxMax = 30000;
    static constexpr int kLVMaxStep = 1000;

    // Builds the controls and runs FrmSetupCreate (centred on the screen, values loaded from the
    // settings file that fs holds).
    explicit TFrmSetup(FileSystem& fs, QWidget* parent = nullptr);

    // Controls (named as their objectName), in tab order.
    QCheckBox* cbLVVisible = nullptr;
    QCheckBox* cbLVSysVisible = nullptr;
    QCheckBox* cbLVHiddenVisible = nullptr;
    QCheckBox* cbLVReadonlyVisible = nullptr;
    QCheckBox* cbFocus = nullptr;
    QCheckBox* cbColSize = nullptr;
    QAbstractSpinBox* udLVMax = nullptr; // the up-down around edtLVMax, which it holds
    QLineEdit* edtLVMax = nullptr;
    QPushButton* btnDefault = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHLP = nullptr;

public slots:
    // Sets the controls from section Window of the settings file (its defaults where keys are missing).
    void FrmSetupActivate();
    // The default values in the controls; nothing is written.
    void btnDefaultClick();
    // Writes the seven values and closes with OK. A search limit that is not at least 1 (a typed 0,
    // a negative number, a lone "-") is written, and shown, as 1. A refused write leaves the dialog open.
    void btnOkClick();
    void btnHLPClick();
    // Keeps edtLVMax a plain decimal number of at most 30000: an empty field becomes "1"; any other
    // character is removed, one per pass, each time with "数字しか入力できません。".
    void edtLVMaxChange();
    // Cancel, Esc and a close by the title bar: the stored values come back into the controls.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    FileSystem& m_fs;
    void buildControls();
    void FrmSetupCreate();
};

} // namespace rinoza
