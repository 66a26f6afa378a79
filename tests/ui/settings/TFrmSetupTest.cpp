// The display settings dialog as the user works it: the search limit field and its up-down, the
// buttons, the keys, and what reaches the settings file.

#include "settings/ui/TFrmSetup.h"
#include "platform/posix/PosixFileSystem.h"
#include "settings/DisplaySettings.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

const std::string kStored = "[Window]\r\nLVIconVisible=0\r\nLVSysVisible=1\r\nLVHiddenVisible=0\r\n"
                            "LVReadonlyVisible=1\r\nFocus=0\r\nColSize=1\r\nLVIconMax=500\r\n";

// Presses keys on the focused control: plain characters are typed; <SelAll>, <Home>, <BS>, <Up>
// and <Down> are those keys.
void press(const QString& script) {
    for (qsizetype i = 0; i < script.size(); ++i) {
        QWidget* w = QApplication::focusWidget();
        if (script[i] == QLatin1Char('<')) {
            const qsizetype end = script.indexOf(QLatin1Char('>'), i);
            const QString k = script.mid(i + 1, end - i - 1);
            i = end;
            if (k == QLatin1String("SelAll"))
                QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            else if (k == QLatin1String("Home"))
                QTest::keyClick(w, Qt::Key_Home);
            else if (k == QLatin1String("BS"))
                QTest::keyClick(w, Qt::Key_Backspace);
            else if (k == QLatin1String("Up"))
                QTest::keyClick(w, Qt::Key_Up);
            else if (k == QLatin1String("Down"))
                QTest::keyClick(w, Qt::Key_Down);
            continue;
        }
        QTest::keyClicks(w, QString(script[i]));
    }
}

} // namespace

class TFrmSetupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_home;
    std::unique_ptr<TFrmSetup> m_dlg;

    std::string ini() const { return m_home->path() + "/rinoza.ini"; }
    bool open() {
        m_dlg = std::make_unique<TFrmSetup>(systemFileSystem());
        m_dlg->show();
        m_dlg->activateWindow();
        if (!QTest::qWaitForWindowActive(m_dlg.get()))
            return false;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier); // to the search limit
        return QApplication::focusWidget() == m_dlg->udLVMax;
    }
    static void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

private slots:
    void init() {
        m_home = std::make_unique<TempDir>();
        qputenv("RINOZA_HOME", QByteArray::fromStdString(m_home->path()));
    }
    void cleanup() { m_dlg.reset(); }

    void searchLimitField_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("messages");
        QTest::newRow("10005, no sixth character") << "<SelAll>100059"
                                                   << "10005" << 0;
        QTest::newRow("40000 -> 30000") << "<SelAll>40000"
                                        << "30000" << 0;
        QTest::newRow("05") << "<SelAll>05"
                            << "5" << 1;
        QTest::newRow("leading blank") << "<SelAll>5<Home> "
                                       << "5" << 1;
        QTest::newRow("12a") << "<SelAll>12a"
                             << "12" << 1;
        QTest::newRow("a12") << "<SelAll>12<Home>a"
                             << "12" << 1;
        QTest::newRow("emptied") << "<SelAll><BS>"
                                 << "1" << 0;
        QTest::newRow("lone minus passes") << "<SelAll>-"
                                           << "-" << 0;
        QTest::newRow("up") << "<Up>"
                            << "11000" << 0;
        QTest::newRow("down twice") << "<Down><Down>"
                                    << "8000" << 0;
        QTest::newRow("up stops at 30000") << "<SelAll>29500<Up><Up>"
                                           << "30000" << 0;
        QTest::newRow("down stops at 1") << "<SelAll>500<Down>"
                                         << "1" << 0;
        QTest::newRow("up from a lone minus") << "<SelAll>-<Up>"
                                              << "11000" << 0;
    }
    void searchLimitField() {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(int, messages);
        ScriptedPrompts prompts;
        QVERIFY(open());
        QCOMPARE(m_dlg->edtLVMax->text(), QStringLiteral("10000"));
        press(keys);
        QCOMPARE(m_dlg->edtLVMax->text(), shown);
        QCOMPARE(int(prompts.asked.size()), messages);
        for (const auto& a : prompts.asked) {
            QCOMPARE(a.text, q("数字しか入力できません。"));
            QCOMPARE(a.type, MsgType::Information);
            QCOMPARE(a.buttons, MsgButtons::Ok);
        }
        QVERIFY(!pathExists(ini())); // nothing is written before OK
    }

    // Values below 1 are written, and shown, as 1.
    void okWritesTheLimit_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("written");
        QTest::newRow("250") << "<SelAll>250" << 250;
        QTest::newRow("0") << "<SelAll>0" << 1;
        QTest::newRow("-5") << "<SelAll>-5" << 1;
        QTest::newRow("-") << "<SelAll>-" << 1;
    }
    void okWritesTheLimit() {
        QFETCH(QString, keys);
        QFETCH(int, written);
        ScriptedPrompts prompts;
        QVERIFY(open());
        press(keys);
        click(m_dlg->btnOk);
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(IniFile(systemFileSystem(), ini()).ReadInteger("Window", "LVIconMax", -9), written);
        QCOMPARE(m_dlg->edtLVMax->text(), QString::number(written));
    }

    void defaultsThenOkWritesTheDefaultsInOrder() {
        writeFile(ini(), kStored);
        ScriptedPrompts prompts;
        QVERIFY(open());
        QVERIFY(!m_dlg->cbLVVisible->isChecked()); // the stored values are shown
        QCOMPARE(m_dlg->edtLVMax->text(), QStringLiteral("500"));
        click(m_dlg->btnDefault);
        click(m_dlg->btnOk);
        QCOMPARE(readFile(ini()), std::string("[Window]\r\nLVIconVisible=1\r\nLVSysVisible=1\r\nLVHiddenVisible=1\r\n"
                                              "LVReadonlyVisible=1\r\nFocus=1\r\nColSize=0\r\nLVIconMax=10000\r\n"));
        QVERIFY(prompts.asked.empty());
    }

    void defaultsThenCancelChangesNothing_data() {
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("キャンセル") << false;
        QTest::newRow("Esc") << true;
    }
    void defaultsThenCancelChangesNothing() {
        QFETCH(bool, byEsc);
        writeFile(ini(), kStored);
        ScriptedPrompts prompts;
        QVERIFY(open());
        click(m_dlg->btnDefault);
        press(QStringLiteral("<SelAll>77"));
        QVERIFY(m_dlg->cbLVVisible->isChecked());
        if (byEsc) {
            m_dlg->cbFocus->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        } else {
            click(m_dlg->btnCancel);
        }
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(readFile(ini()), kStored);
        // The unsaved edits are gone from the controls.
        QVERIFY(!m_dlg->cbLVVisible->isChecked());
        QVERIFY(m_dlg->cbColSize->isChecked());
        QCOMPARE(m_dlg->edtLVMax->text(), QStringLiteral("500"));
    }

    void accessKeysAndTabOrderFollowTheControls() {
        ScriptedPrompts prompts;
        QVERIFY(open());
        const std::pair<Qt::Key, QCheckBox*> keys[] = {
            {Qt::Key_V, m_dlg->cbLVVisible},       {Qt::Key_S, m_dlg->cbLVSysVisible},
            {Qt::Key_H, m_dlg->cbLVHiddenVisible}, {Qt::Key_R, m_dlg->cbLVReadonlyVisible},
            {Qt::Key_K, m_dlg->cbFocus},           {Qt::Key_C, m_dlg->cbColSize}};
        for (const auto& [key, box] : keys) {
            const bool was = box->isChecked();
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QTRY_COMPARE(box->isChecked(), !was); // an access key clicks as a press shown briefly
            QCOMPARE(QApplication::focusWidget(), box);
        }
        m_dlg->cbLVVisible->setFocus();
        const QWidget* order[] = {m_dlg->cbLVSysVisible,      m_dlg->cbLVHiddenVisible,
                                  m_dlg->cbLVReadonlyVisible, m_dlg->cbFocus,
                                  m_dlg->cbColSize,           m_dlg->udLVMax,
                                  m_dlg->btnDefault,          m_dlg->btnOk,
                                  m_dlg->btnCancel,           m_dlg->btnHLP};
        for (const QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void helpOpensTheManualAtItsContext() {
        ScriptedPrompts prompts;
        QVERIFY(open());
        click(m_dlg->btnHLP);
        QCOMPARE(prompts.opened.size(), 1);
        QVERIFY2(prompts.opened[0].endsWith(QStringLiteral("manual.html#context-13")), qPrintable(prompts.opened[0]));
        QVERIFY(m_dlg->isVisible());
    }

    void aRefusedWriteKeepsTheDialogOpen() {
        writeFile(ini(), kStored);
        chmod(ini().c_str(), 0444);
        ScriptedPrompts prompts;
        QVERIFY(open());
        click(m_dlg->btnDefault);
        click(m_dlg->btnOk);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, q(ini()) + q(" に書き込めません"));
        QVERIFY(m_dlg->isVisible());
        QVERIFY(m_dlg->cbLVVisible->isChecked()); // the choices are still there
        QCOMPARE(readFile(ini()), kStored);
    }
};

QTEST_MAIN(TFrmSetupTest)
#include "TFrmSetupTest.moc"
