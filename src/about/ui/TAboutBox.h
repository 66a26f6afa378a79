#pragma once

// The version information window: program name, version and icon, an animated logo and the
// project's contact lines. It is not modal; About1Click shows it and frees it as soon as the main
// window is the active window again, so a click back into the main window closes it.

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace rinoza {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* mainWindow);

    // The frame of the logo animation now shown, 1..5 (0 before the first tick).
    int frame() const { return m_frame; }

    QGroupBox* VersionGroupBox = nullptr;
    QLabel* ProductIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QGroupBox* MakerGroupBox = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* MakerName = nullptr;
    QLineEdit* edtHP = nullptr;
    QLineEdit* edtMail = nullptr;
    std::array<QLabel*, 5> Logo{}; // Logo1..Logo5: the frames, never shown themselves
    QPushButton* OKButton = nullptr;
    QTimer* Timer = nullptr;

    // The texts of the two contact fields.
    static QString homePage();
    static QString mailAddress();

signals:
    // A frame of the logo went up (1..5).
    void frameShown(int frame);

public slots:
    void OKButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Esc presses OK.
    void reject() override;

private:
    void FromShow();
    void TimerTimer();
    void openContact(QLineEdit* field);

    QWidget* m_mainWindow;
    int m_frame = 0;
    bool m_wasActive = false;
};

// Shows the version information window over the main window without making it modal, and frees it
// once the main window is active again (also after OK, which hides it). Returns the window.
TAboutBox* About1Click(QWidget* mainWindow);

} // namespace rinoza
