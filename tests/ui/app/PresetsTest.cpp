// The five rule presets and the reset as the user reaches them: Ctrl+Shift+F1..F5 saves, Ctrl+F1..F5
// recalls, the reset button clears, with the settings file in a temporary home.

#include "app/TFrmMain.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/RuleSetStore.h"
#include "rename/ui/NumberSpinBox.h"
#include "rename/ui/RenameTab.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace rinoza;
using test::q;

namespace {

// What a preset holds, and the two fields it leaves alone, as the controls show them.
struct Shown {
    QStringList elements;
    QString fixed1, fixed2, ext, from, to, digits, start, add, dateSep, timeSep, before, after, example;
    int date = 0, letterCase = 0, width = 0, kana = 0;
    bool regex = false, perFolder = false, nfc = false;
    bool operator==(const Shown&) const = default;
};

Shown shown(const RenameTab& t) {
    Shown s;
    for (int i = 0; i < t.lvChg->count(); ++i)
        s.elements << t.lvChg->item(i)->text() + QLatin1Char(t.lvChg->item(i)->checkState() == Qt::Checked ? '+' : '-');
    s.fixed1 = t.edtKotei1->text();
    s.fixed2 = t.edtKotei2->text();
    s.ext = t.edtKoteiK->text();
    s.from = QString::number(t.udMotoFS->value());
    s.to = QString::number(t.udMotoFE->value());
    s.digits = t.cbRenKeta->currentText();
    s.start = QString::number(t.udRenStart->value());
    s.add = QString::number(t.udRenAdd->value());
    s.dateSep = t.edtDateK->text();
    s.timeSep = t.edtTimeK->text();
    s.before = t.edtChgB->text();
    s.after = t.edtChgA->text();
    s.example = t.edtReiBefore->text();
    s.date = t.cbDateTime->currentIndex();
    s.letterCase = t.cbCase->currentIndex();
    s.width = t.cbWidth->currentIndex();
    s.kana = t.cbKana->currentIndex();
    s.regex = t.cbChgRegex->isChecked();
    s.perFolder = t.cbRenFolder->isChecked();
    s.nfc = t.cbNfc->isChecked();
    return s;
}

void tick(RenameTab& t, int position, bool on) {
    t.lvChg->item(position)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

// Every field of the rule to something other than its default; the options that are not texts
// differ between the tag "t" and the others.
void changeEverything(RenameTab& t, const QString& tag) {
    const bool on = tag != QLatin1String("t");
    for (int p : {0, 2, 3, 6, 7, 8})
        tick(t, p, true);
    tick(t, 1, false);
    t.edtKotei1->setText(tag + QStringLiteral("f1"));
    t.edtKotei2->setText(tag + QStringLiteral("f2"));
    t.edtKoteiK->setText(tag + QStringLiteral("k"));
    t.udMotoFS->setValue(2);
    t.udMotoFE->setValue(5);
    t.cbRenKeta->setCurrentIndex(3);
    t.udRenStart->setValue(7);
    t.cbDateTime->setCurrentIndex(4);
    t.edtDateK->setText(QStringLiteral("-"));
    t.edtTimeK->setText(QStringLiteral("."));
    t.cbCase->setCurrentIndex(2);
    t.cbChgRegex->setChecked(on);
    t.edtChgB->setText(tag + QStringLiteral("b"));
    t.edtChgA->setText(tag + QStringLiteral("a"));
    t.cbRenFolder->setChecked(on);
    t.cbWidth->setCurrentIndex(on ? 4 : 1);
    t.cbKana->setCurrentIndex(on ? 2 : 1);
    t.cbNfc->setChecked(on);
}

} // namespace

class PresetsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

    std::unique_ptr<TFrmMain> open() {
        auto w = std::make_unique<TFrmMain>(systemFileSystem(), std::vector<std::string>{}, &m_clock);
        if (!test::showExposed(*w))
            return nullptr;
        w->pgcMain->setCurrentWidget(w->tbsSet);
        w->activateWindow();
        w->tbsSet->edtReiBefore->setFocus();
        QApplication::processEvents();
        return w;
    }

    static void press(Qt::Key key, Qt::KeyboardModifiers mods) {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }
    static void save(int n) {
        press(static_cast<Qt::Key>(Qt::Key_F1 + n - 1), Qt::ControlModifier | Qt::ShiftModifier);
    }
    static void recall(int n) { press(static_cast<Qt::Key>(Qt::Key_F1 + n - 1), Qt::ControlModifier); }

private slots:
    void init() { m_home = test::freshHome(); }

    void saveChangeRecallBringsEveryControlBack() {
        test::ScriptedPrompts prompts;
        auto w = open();
        QVERIFY(w);
        RenameTab& t = *w->tbsSet;
        changeEverything(t, QStringLiteral("s"));
        const Shown saved = shown(t);
        save(1);
        QVERIFY(w->L[0]->isEnabled());
        const IniFile ini(systemFileSystem(), settingsFilePath(systemFileSystem()));
        QCOMPARE(ini.ReadInteger("SettingBack1", "Width", 0), 4);
        QCOMPARE(ini.ReadString("SettingBack1", "StrChgRegex", ""), std::string("1"));

        changeEverything(t, QStringLiteral("t"));
        t.udRenAdd->setValue(9);
        t.edtReiBefore->setText(QStringLiteral("other.txt"));
        recall(1);
        Shown expected = saved;
        expected.add = QStringLiteral("9"); // the increment and the example name are no part of a preset
        expected.example = QStringLiteral("other.txt");
        QCOMPARE(shown(t), expected);
        QVERIFY(prompts.asked.empty());
        QVERIFY(t.edtKotei1->isEnabled());
        QVERIFY(!t.udMotoFS->isEnabled()); // enabling follows the recalled ticks
    }

    void elementOrderAndTicksSurvive() {
        test::ScriptedPrompts prompts;
        auto w = open();
        QVERIFY(w);
        RenameTab& t = *w->tbsSet;
        t.lvChg->setCurrentRow(6); // 7) before 6)
        t.lvChg->item(6)->setSelected(true);
        QTest::mouseClick(t.bbtnUp, Qt::LeftButton);
        tick(t, 5, true);
        tick(t, 6, false);
        const Shown saved = shown(t);
        QVERIFY(saved.elements[5].startsWith(u'7'));
        w->tbsSet->edtReiBefore->setFocus();
        save(2);
        prompts.answer(mrOk);
        QTest::mouseClick(t.btnNew, Qt::LeftButton);
        QVERIFY(t.lvChg->item(5)->text().startsWith(u'6'));
        w->tbsSet->edtReiBefore->setFocus();
        recall(2);
        QCOMPARE(shown(t).elements, saved.elements);
    }

    void firstSaveAsksNothingAndOverwriteCancelKeepsTheSection() {
        test::ScriptedPrompts prompts;
        auto w = open();
        QVERIFY(w);
        QVERIFY(!w->L[2]->isEnabled());
        save(3);
        QVERIFY(prompts.asked.empty());
        QVERIFY(w->L[2]->isEnabled());
        const std::string file = test::readFile(settingsFilePath(systemFileSystem()));
        QVERIFY(file.find("[SettingBack3]\r\nIn=1\r\nChg1=") != std::string::npos);

        w->tbsSet->edtKotei1->setText(QStringLiteral("changed"));
        prompts.answer(mrCancel);
        save(3);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("既に保存されています。上書きしてよろしいですか？"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::OkCancel);
        QCOMPARE(test::readFile(settingsFilePath(systemFileSystem())), file);

        save(3); // OK this time: overwritten, keys of its own kept
        IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).WriteString("SettingBack3", "Mine", "kept");
        save(3);
        const IniFile ini(systemFileSystem(), settingsFilePath(systemFileSystem()));
        QCOMPARE(ini.ReadString("SettingBack3", "FixF1", ""), std::string("changed"));
        QCOMPARE(ini.ReadString("SettingBack3", "Mine", ""), std::string("kept"));
    }

    void aRemovedSectionDisablesItsItemWithOneMessage() {
        test::ScriptedPrompts prompts;
        auto w = open();
        QVERIFY(w);
        save(2);
        QVERIFY(w->L[1]->isEnabled());
        IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).EraseSection(RuleSetStore::presetSection(2));
        const Shown before = shown(*w->tbsSet);
        recall(2);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, test::q("設定(2)が保存されていません。"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QVERIFY(!w->L[1]->isEnabled());
        QCOMPARE(shown(*w->tbsSet), before);
        recall(2); // a disabled item does nothing
        QCOMPARE(prompts.asked.size(), std::size_t(1));
    }

    void aMissingCaptionGivesTheDefaultElementUnticked() {
        test::ScriptedPrompts prompts;
        auto w = open();
        QVERIFY(w);
        save(4);
        std::string file = test::readFile(settingsFilePath(systemFileSystem()));
        const std::size_t at = file.find("Chg4=");
        QVERIFY(at != std::string::npos);
        file.erase(at, file.find("\r\n", at) + 2 - at);
        file.replace(file.find("ChgB4=0"), 7, "ChgB4=1");
        test::writeFile(settingsFilePath(systemFileSystem()), file);
        recall(4);
        QCOMPARE(w->tbsSet->lvChg->item(3)->text(), QStringLiteral("4) 連番"));
        QCOMPARE(w->tbsSet->lvChg->item(3)->checkState(), Qt::Unchecked);
    }

    void resetKeepsTheReplacementTexts() {
        test::ScriptedPrompts prompts;
        auto w = open();
        QVERIFY(w);
        RenameTab& t = *w->tbsSet;
        const Shown defaults = shown(t);
        changeEverything(t, QStringLiteral("r"));
        t.udRenAdd->setValue(3);
        t.edtReiBefore->setText(QStringLiteral("x.y"));

        prompts.answer(mrCancel);
        QTest::mouseClick(t.btnNew, Qt::LeftButton);
        QCOMPARE(t.edtKotei1->text(), QStringLiteral("rf1"));

        QTest::mouseClick(t.btnNew, Qt::LeftButton);
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QCOMPARE(prompts.asked[1].text, QStringLiteral("変名設定を初期値に戻します。よろしいですか？"));
        QCOMPARE(prompts.asked[1].type, MsgType::Information);
        Shown expected = defaults;
        expected.before = QStringLiteral("rb");
        expected.after = QStringLiteral("ra");
        QCOMPARE(shown(t), expected);
        QVERIFY(!t.edtChgB->isEnabled());
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("abcde.xyz"));
    }
};

QTEST_MAIN(PresetsTest)
#include "PresetsTest.moc"
