#pragma once

// The progress dialog of every long operation over the file list: a bar and a stop button. It is
// shown without being modal, stays on top, and tells the running operation to stop through the
// stop flag it was given (the flag belongs to the ProgressHost).

#include <QDialog>

class QProgressBar;
class QPushButton;

namespace rinoza {

class TFrmRenameOn : public QDialog {
    Q_OBJECT
public:
    // cancelRequested is set when the user confirms stopping; it must outlive the dialog.
    explicit TFrmRenameOn(bool& cancelRequested, QWidget* parent = nullptr);

    QProgressBar* prb() const { return m_prb; }
    QPushButton* btnCancel() const { return m_btnCancel; }

    // Lets the owner close the dialog without the stop question (end of the operation).
    void closeWithoutQuestion();

public slots:
    // Asks "処理を中止しますか？"; every answer but No sets the stop flag. The dialog stays open.
    void btnCancelClick();
    // Esc and the dialog's own rejection press the stop button instead of closing the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;
    // A close request (title bar, Alt+F4) asks the stop question; the dialog hides only when the
    // stop flag is set afterwards.
    void closeEvent(QCloseEvent* e) override;

private:
    void FrmRenameOnActivate();

    bool& m_cancelRequested;
    bool m_closingByOwner = false;
    QProgressBar* m_prb;
    QPushButton* m_btnCancel;
};

} // namespace rinoza
