#include "common/ui/UserPrompts.h"

#include "common/ui/DesktopOpener.h"
#include "common/ui/TFolderDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace rinoza {

namespace {

QString titleOf(MsgType type) {
    switch (type) {
    case MsgType::Warning:
        return QStringLiteral("警告");
    case MsgType::Error:
        return QStringLiteral("エラー");
    case MsgType::Information:
        return QStringLiteral("情報");
    case MsgType::Confirmation:
        return QStringLiteral("確認");
    case MsgType::Custom:
        break;
    }
    return QStringLiteral("Rinoza");
}

QMessageBox::Icon iconOf(MsgType type) {
    switch (type) {
    case MsgType::Warning:
        return QMessageBox::Warning;
    case MsgType::Error:
        return QMessageBox::Critical;
    case MsgType::Information:
        return QMessageBox::Information;
    case MsgType::Confirmation:
        return QMessageBox::Question;
    case MsgType::Custom:
        break;
    }
    return QMessageBox::NoIcon;
}

void centreOnScreen(QWidget& w) {
    w.adjustSize();
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        w.move(g.x() + (g.width() - w.width()) / 2, g.y() + (g.height() - w.height()) / 2);
    }
}

// A message box that tells a close by the title bar from a click on its escape button: Esc
// presses the escape button, while a close always answers Cancel.
class MessageBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool closedByTitleBar = false;

protected:
    void closeEvent(QCloseEvent* e) override {
        closedByTitleBar = true;
        QMessageBox::closeEvent(e);
    }
};

// Under the test runner a real modal dialog would wait forever for a click nobody makes: with
// RINOZA_FAIL_ON_MODAL set, showing one ends the program at once, naming what it was about to ask.
void refuseModalUnderTest(const QString& what) {
    const char* v = std::getenv("RINOZA_FAIL_ON_MODAL");
    if (v && *v && std::strcmp(v, "0") != 0)
        qFatal("a modal dialog was about to block the test: %s", qUtf8Printable(what));
}

// The real dialogs.
class QtUserPrompts final : public UserPrompts {
public:
    int message(const QString& rawText, MsgType type, MsgButtons buttons) override {
        refuseModalUnderTest(rawText);
        // Texts break lines with CR LF, LF or a lone CR; the message box only knows LF.
        QString text = rawText;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        MessageBox box(iconOf(type), titleOf(type), text, QMessageBox::NoButton, QApplication::activeWindow());
        QPushButton* ok = nullptr;
        QPushButton* cancel = nullptr;
        QPushButton* yes = nullptr;
        QPushButton* no = nullptr;
        switch (buttons) {
        case MsgButtons::Ok:
            ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
            box.setDefaultButton(ok);
            box.setEscapeButton(ok);
            break;
        case MsgButtons::OkCancel:
            ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
            cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
            box.setDefaultButton(ok);
            box.setEscapeButton(cancel);
            break;
        case MsgButtons::YesNo:
            yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
            no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
            box.setDefaultButton(yes);
            box.setEscapeButton(no);
            break;
        }
        centreOnScreen(box);
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (clicked == nullptr || box.closedByTitleBar)
            return mrCancel;
        if (clicked == ok)
            return mrOk;
        if (clicked == cancel)
            return mrCancel;
        if (clicked == yes)
            return mrYes;
        if (clicked == no)
            return mrNo;
        return mrCancel;
    }

    void plainMessage(const QString& text) override {
        refuseModalUnderTest(text);
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Rinoza"), text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }

    bool pickFolder(QWidget* owner, const QString& title, QString& directory) override {
        refuseModalUnderTest(title);
        const QString start = (!directory.isEmpty() && QDir(directory).exists()) ? directory : QDir::homePath();
        const std::unique_ptr<QFileDialog> dialog(newFolderDialog(owner, title, start));
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return false;
        const QString chosen = dialog->selectedFiles().constFirst();
        if (chosen.isEmpty())
            return false;
        directory = QDir::toNativeSeparators(chosen);
        return true;
    }

    int execDialog(QDialog& dialog) override {
        refuseModalUnderTest(dialog.windowTitle());
        return dialog.exec();
    }

    bool openUrl(const QString& url) override { return openWithDesktop(url); }

    bool textPrompt(const QString& caption, const QString& prompt, QString& text) override {
        refuseModalUnderTest(prompt);
        QInputDialog dlg(QApplication::activeWindow());
        dlg.setWindowTitle(caption);
        dlg.setLabelText(prompt);
        dlg.setInputMode(QInputDialog::TextInput);
        dlg.setTextValue(text);
        dlg.setOkButtonText(QStringLiteral("OK"));
        dlg.setCancelButtonText(QStringLiteral("キャンセル"));
        // Wide enough for a long file name without scrolling at once.
        dlg.resize(std::max(dlg.sizeHint().width(), 400), dlg.sizeHint().height());
        if (dlg.exec() != QDialog::Accepted)
            return false;
        text = dlg.textValue();
        return true;
    }
};

QtUserPrompts& realPrompts() {
    static QtUserPrompts p;
    return p;
}

UserPrompts* g_prompts = nullptr;

void playSound(MsgType) {
    // Linux desktops have no per-type message sounds that Qt can reach; the bell stands for all of them.
    QApplication::beep();
}

} // namespace

bool UserPrompts::textPrompt(const QString&, const QString&, QString&) { return false; }

UserPrompts& prompts() { return g_prompts ? *g_prompts : realPrompts(); }

UserPrompts* setPrompts(UserPrompts* p) {
    UserPrompts* old = g_prompts;
    g_prompts = p;
    return old;
}

int BeepMessageDlg(const QString& text, MsgType type, MsgButtons buttons, int /*helpContext*/) {
    playSound(type);
    return prompts().message(text, type, buttons);
}

} // namespace rinoza
