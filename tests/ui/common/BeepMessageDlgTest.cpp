// The real message boxes behind BeepMessageDlg: titles, icons, button captions, and what Enter, Esc
// and the title bar's close button return.

#include "common/ui/UserPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace rinoza;

namespace {

struct Seen {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString text;
};

// Acts on the message box as soon as it is shown, after noting what it shows.
int showAndAct(MsgType type, MsgButtons buttons, const QString& text, std::function<void(QMessageBox&)> act,
               Seen& seen) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        seen.text = box->text();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        act(*box);
    });
    return BeepMessageDlg(text, type, buttons);
}

void key(QMessageBox& box, Qt::Key k) { QTest::keyClick(&box, k); }

} // namespace

class BeepMessageDlgTest : public QObject {
    Q_OBJECT

private slots:
    // This test drives the real message boxes, which the test runner otherwise refuses.
    void initTestCase() { qunsetenv("RINOZA_FAIL_ON_MODAL"); }

    void titlesIconsAndCaptions_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::newRow("warning") << int(MsgType::Warning) << QStringLiteral("警告") << int(QMessageBox::Warning);
        QTest::newRow("error") << int(MsgType::Error) << QStringLiteral("エラー") << int(QMessageBox::Critical);
        QTest::newRow("information") << int(MsgType::Information) << QStringLiteral("情報")
                                     << int(QMessageBox::Information);
        QTest::newRow("confirmation") << int(MsgType::Confirmation) << QStringLiteral("確認")
                                      << int(QMessageBox::Question);
        QTest::newRow("custom") << int(MsgType::Custom) << QStringLiteral("Rinoza") << int(QMessageBox::NoIcon);
    }
    void titlesIconsAndCaptions() {
        QFETCH(int, type);
        QFETCH(QString, title);
        QFETCH(int, icon);
        Seen seen;
        showAndAct(MsgType(type), MsgButtons::Ok, QStringLiteral("x"), [](QMessageBox& b) { key(b, Qt::Key_Return); },
                   seen);
        QCOMPARE(seen.title, title);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    }

    void enterEscAndClose_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("action"); // 0 Enter, 1 Esc, 2 close by the title bar
        QTest::addColumn<int>("expected");
        QTest::newRow("ok enter") << int(MsgButtons::Ok) << 0 << int(mrOk);
        QTest::newRow("ok esc") << int(MsgButtons::Ok) << 1 << int(mrOk);
        QTest::newRow("ok close") << int(MsgButtons::Ok) << 2 << int(mrCancel);
        QTest::newRow("ok/cancel enter") << int(MsgButtons::OkCancel) << 0 << int(mrOk);
        QTest::newRow("ok/cancel esc") << int(MsgButtons::OkCancel) << 1 << int(mrCancel);
        QTest::newRow("ok/cancel close") << int(MsgButtons::OkCancel) << 2 << int(mrCancel);
        QTest::newRow("yes/no enter") << int(MsgButtons::YesNo) << 0 << int(mrYes);
        QTest::newRow("yes/no esc") << int(MsgButtons::YesNo) << 1 << int(mrNo);
        // A question closed without an answer is neither Yes nor No: callers that only refuse on No go on.
        QTest::newRow("yes/no close") << int(MsgButtons::YesNo) << 2 << int(mrCancel);
    }
    void enterEscAndClose() {
        QFETCH(int, buttons);
        QFETCH(int, action);
        QFETCH(int, expected);
        Seen seen;
        const int r = showAndAct(
            MsgType::Information, MsgButtons(buttons), QStringLiteral("question"),
            [action](QMessageBox& b) {
                if (action == 0)
                    key(b, Qt::Key_Return);
                else if (action == 1)
                    key(b, Qt::Key_Escape);
                else
                    b.close();
            },
            seen);
        QCOMPARE(r, expected);
    }

    void captionsOfTheButtonSets() {
        Seen okCancel, yesNo;
        showAndAct(MsgType::Warning, MsgButtons::OkCancel, QStringLiteral("a"),
                   [](QMessageBox& b) { key(b, Qt::Key_Escape); }, okCancel);
        showAndAct(MsgType::Warning, MsgButtons::YesNo, QStringLiteral("a"),
                   [](QMessageBox& b) { key(b, Qt::Key_Escape); }, yesNo);
        QVERIFY(okCancel.buttons.contains(QStringLiteral("OK")));
        QVERIFY(okCancel.buttons.contains(QStringLiteral("キャンセル")));
        QVERIFY(yesNo.buttons.contains(QStringLiteral("はい(&Y)")));
        QVERIFY(yesNo.buttons.contains(QStringLiteral("いいえ(&N)")));
    }

    void lineBreaksOfEveryKindStartNewLines() {
        Seen seen;
        showAndAct(MsgType::Information, MsgButtons::Ok, QStringLiteral("a\r\nb\rc\nd"),
                   [](QMessageBox& b) { key(b, Qt::Key_Return); }, seen);
        QCOMPARE(seen.text, QStringLiteral("a\nb\nc\nd"));
    }
};

QTEST_MAIN(BeepMessageDlgTest)
#include "BeepMessageDlgTest.moc"
