// The two tabs and their controller as the main window holds them: a plain QWidget as the window
// with both tabs in it, a list model with rows for temporary files, a fixed clock and scripted answers.

#include "stamps/ui/StampsController.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmRenameOn.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/TimeTab.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace rinoza;
using rinoza::test::q;
using rinoza::test::ScriptedPrompts;
using rinoza::test::TempDir;
using rinoza::test::writeFile;

namespace {

const QString kTimesQuestion =
    QStringLiteral("リストに抽出されているファイルのタイムスタンプを変更します。\rよろしいですか？");
const QString kAttrQuestion = QStringLiteral("リストに抽出されているファイルの属性を変更します。\rよろしいですか？");

FileTime local(int y, int mo, int d, int h, int mi, int s) {
    return *fromLocal(LocalDateTime{y, mo, d, h, mi, s, 0});
}

struct Fixture {
    TempDir work;
    QWidget window;
    TimeTab* time = new TimeTab(&window);
    AttrTab* attr = new AttrTab(&window);
    ProgressHost progress{&window};
    FileListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    FixedClock clock{LocalDateTime{2027, 3, 3, 9, 5, 0, 0}};
    QString status;
    int modelChanges = 0;
    bool enabledDuringRun = true;
    std::unique_ptr<StampsController> controller;

    Fixture() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(time);
        layout->addWidget(attr);
        time->fillDateLists({QStringLiteral("----"), QStringLiteral("--"), QStringLiteral("--"), QStringLiteral("--"),
                             QStringLiteral("--")},
                            {QStringLiteral("----"), QStringLiteral("--"), QStringLiteral("--"), QStringLiteral("--"),
                             QStringLiteral("--")});
        StampsHost h;
        h.fileSystem = &systemFileSystem();
        h.timeTab = time;
        h.attrTab = attr;
        h.progress = &progress;
        h.model = &model;
        h.setStatus = [this](const QString& s) { status = s; };
        h.clock = &clock;
        controller = std::make_unique<StampsController>(h);
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model, [this] {
            ++modelChanges;
            enabledDuringRun = window.isEnabled();
        });
    }

    void addFile(const std::string& name, FileTime written, mode_t mode = 0644) {
        writeFile(work / name, "data");
        QCOMPARE(systemFileSystem().setTimes(work / name, std::nullopt, written), 0);
        QCOMPARE(chmod((work / name).c_str(), mode), 0);
        FileInfo info;
        QCOMPARE(systemFileSystem().stat(work / name, info), 0);
        model.appendRow(makeFileListRow(info, work.path(), false));
    }
    FileInfo info(const std::string& name) const {
        FileInfo fi;
        systemFileSystem().stat(work / name, fi);
        return fi;
    }
    std::string remarks(int row) const { return model.row(row).remarks; }
};

void click(QAbstractButton* b) {
    QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
    QTest::mouseClick(b, Qt::LeftButton);
}

bool xattrsWork(const std::string& dir) {
    writeFile(dir + "/.probe", "");
    const bool ok = setxattr((dir + "/.probe").c_str(), "user.probe", "1", 1, 0) == 0;
    std::remove((dir + "/.probe").c_str());
    return ok;
}

} // namespace

class StampsControllerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "JST-9");
        tzset();
    }

    void timeTabEnabledStatesHoldAtAllTimes_data() {
        QTest::addColumn<bool>("crt");
        QTest::addColumn<bool>("upd");
        QTest::newRow("neither") << false << false;
        QTest::newRow("creation") << true << false;
        QTest::newRow("update") << false << true;
        QTest::newRow("both") << true << true;
    }
    void timeTabEnabledStatesHoldAtAllTimes() {
        QFETCH(bool, crt);
        QFETCH(bool, upd);
        {
            // Right after start-up, with boxes restored before the window was shown.
            TimeTab tab;
            tab.cbCrt->setChecked(crt);
            tab.cbUpd->setChecked(upd);
            QCOMPARE(tab.btnDateTimeChg->isEnabled(), crt || upd);
            QCOMPARE(tab.crtFields[0]->isEnabled(), crt);
            QCOMPARE(tab.updFields[4]->isEnabled(), upd);
        }
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        QVERIFY(!f.time->btnDateTimeChg->isEnabled());
        if (crt)
            click(f.time->cbCrt);
        if (upd)
            click(f.time->cbUpd);
        QCOMPARE(f.time->btnDateTimeChg->isEnabled(), crt || upd);
        for (QWidget* w : {static_cast<QWidget*>(f.time->btnCrtD), static_cast<QWidget*>(f.time->btnCrtT)})
            QCOMPARE(w->isEnabled(), crt);
        for (QComboBox* c : f.time->crtFields)
            QCOMPARE(c->isEnabled(), crt);
        for (QWidget* w : {static_cast<QWidget*>(f.time->btnUpdD), static_cast<QWidget*>(f.time->btnUpdT)})
            QCOMPARE(w->isEnabled(), upd);
        for (QComboBox* c : f.time->updFields)
            QCOMPARE(c->isEnabled(), upd);
    }

    void attrTabEnabledStatesHoldAtAllTimes() {
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        AttrTab* a = f.attr;
        const std::pair<QCheckBox*, QCheckBox*> pairs[] = {
            {a->cbAttrRS, a->cbAttrR}, {a->cbAttrAS, a->cbAttrA}, {a->cbAttrHS, a->cbAttrH}, {a->cbAttrSS, a->cbAttrS}};
        QVERIFY(!a->btnAttrChg->isEnabled());
        for (auto [change, value] : pairs)
            QVERIFY(!value->isEnabled());
        for (auto [change, value] : pairs) {
            click(change);
            QVERIFY(value->isEnabled());
            QVERIFY(a->btnAttrChg->isEnabled());
            click(change);
            QVERIFY(!value->isEnabled());
            QVERIFY(!a->btnAttrChg->isEnabled());
        }
        AttrTab restored;
        restored.cbAttrSS->setChecked(true);
        QVERIFY(restored.cbAttrS->isEnabled());
        QVERIFY(!restored.cbAttrR->isEnabled());
        QVERIFY(restored.btnAttrChg->isEnabled());
    }

    void dateAndTimeButtonsTakeTheClock() {
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        click(f.time->cbCrt);
        click(f.time->btnCrtD);
        QCOMPARE(f.time->crtTexts(), (DateFieldTexts{QStringLiteral("2027"), QStringLiteral("3"), QStringLiteral("3"),
                                                     QStringLiteral("--"), QStringLiteral("--")}));
        QVERIFY(QApplication::focusWidget() == nullptr);
        click(f.time->btnCrtT);
        QCOMPARE(f.time->crtTexts()[3], QStringLiteral("9"));
        QCOMPARE(f.time->crtTexts()[4], QStringLiteral("5"));
        QVERIFY(QApplication::focusWidget() == nullptr);
        QCOMPARE(f.time->updTexts()[0], QStringLiteral("----"));

        // A year without an entry selects the placeholder.
        f.clock.set(LocalDateTime{2101, 12, 31, 23, 59, 0, 0});
        click(f.time->cbUpd);
        click(f.time->btnUpdD);
        click(f.time->btnUpdT);
        QCOMPARE(f.time->updTexts(), (DateFieldTexts{QStringLiteral("----"), QStringLiteral("12"), QStringLiteral("31"),
                                                     QStringLiteral("23"), QStringLiteral("59")}));
    }

    void emptyListOnlyWarns() {
        ScriptedPrompts prompts;
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        click(f.time->cbCrt);
        click(f.time->btnDateTimeChg);
        click(f.attr->cbAttrHS);
        click(f.attr->btnAttrChg);
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        for (const auto& a : prompts.asked) {
            QCOMPARE(a.text, QStringLiteral("変更処理に対するファイルが選ばれていません。"));
            QCOMPARE(a.type, MsgType::Warning);
            QCOMPARE(a.buttons, MsgButtons::Ok);
        }
        QVERIFY(f.status.isEmpty());
    }

    void altIStartsTheChangeOfTheVisibleTab() {
        ScriptedPrompts prompts;
        prompts.answer(mrCancel);
        Fixture f;
        f.attr->hide(); // as the other page of the tab control
        QVERIFY(test::showExposed(f.window));
        QApplication::setActiveWindow(&f.window);
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.addFile("a.txt", local(2021, 6, 7, 8, 9, 41));
        click(f.time->cbUpd);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(prompts.asked.size(), std::size_t(1)); // the button clicks itself after a moment
        QCOMPARE(prompts.asked[0].text, kTimesQuestion);
    }

    void creationDateIsCheckedWhenOnlyTheUpdateIsTicked() {
        ScriptedPrompts prompts;
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        f.addFile("a.txt", local(2021, 6, 7, 8, 9, 41));
        f.time->fillDateLists({QStringLiteral("----"), QStringLiteral("2"), QStringLiteral("30"), QStringLiteral("--"),
                               QStringLiteral("--")},
                              {QStringLiteral("2024"), QStringLiteral("2"), QStringLiteral("29"), QStringLiteral("--"),
                               QStringLiteral("--")});
        click(f.time->cbUpd);
        click(f.time->btnDateTimeChg);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("作成日付の指定が間違っています。"));
        QCOMPARE(f.info("a.txt").lastWrite, local(2021, 6, 7, 8, 9, 41));

        f.time->fillDateLists({}, {QStringLiteral("2023"), QStringLiteral("2"), QStringLiteral("29"),
                                   QStringLiteral("--"), QStringLiteral("--")});
        click(f.time->btnDateTimeChg);
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QCOMPARE(prompts.asked[1].text, QStringLiteral("更新日付の指定が間違っています。"));
        QCOMPARE(f.remarks(0), std::string(" "));
    }

    void cancelledQuestionChangesNothing() {
        ScriptedPrompts prompts;
        prompts.answer(mrCancel);
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        f.addFile("a.txt", local(2021, 6, 7, 8, 9, 41));
        click(f.time->cbUpd);
        click(f.time->btnDateTimeChg);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, kTimesQuestion);
        QCOMPARE(prompts.asked[0].type, MsgType::Information);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::OkCancel);
        QCOMPARE(f.info("a.txt").lastWrite, local(2021, 6, 7, 8, 9, 41));
        QVERIFY(f.status.isEmpty());
        QCOMPARE(f.modelChanges, 0);
    }

    void timestampChangeOfEveryListedFile() {
        ScriptedPrompts prompts;
        Fixture f;
        if (!xattrsWork(f.work.path()))
            QSKIP("user extended attributes unsupported here");
        QVERIFY(test::showExposed(f.window));
        f.addFile("a.txt", local(2021, 6, 7, 8, 9, 41));
        f.addFile("b.txt", local(2022, 1, 2, 3, 4, 5));
        click(f.time->cbCrt);
        click(f.time->cbUpd);
        click(f.time->btnCrtD);
        click(f.time->btnCrtT);
        click(f.time->btnUpdD);
        const int changesBefore = f.modelChanges;
        click(f.time->btnDateTimeChg);

        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(f.status, QStringLiteral("2個のファイルが正常に変更されました。"));
        QVERIFY(!f.enabledDuringRun);
        QVERIFY(f.window.isEnabled());
        QVERIFY(f.progress.dialog() == nullptr);
        QCOMPARE(f.modelChanges - changesBefore, 1);                             // both rows in one change
        QCOMPARE(f.info("a.txt").creation->sec, local(2027, 3, 3, 9, 5, 0).sec); // the fraction of a second stays
        QCOMPARE(f.info("b.txt").lastWrite, local(2027, 3, 3, 3, 4, 0)); // the update time's hour and minute stay
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(f.remarks(row), std::string("OK"));
            QCOMPARE(f.model.data(f.model.index(row, FileListModel::ColCreated)).toString(),
                     QStringLiteral("2027/03/03 09:05:00"));
        }
        QCOMPARE(f.model.row(1).updatedText(), std::string("2027/03/03 03:04:00"));
    }

    void readOnlyFileTakesTheAttributeChangeThenTheTimes() {
        ScriptedPrompts prompts;
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        f.addFile("ro.txt", local(2021, 6, 7, 8, 9, 41), 0444);
        click(f.time->cbUpd);
        click(f.time->btnUpdD);
        click(f.time->btnDateTimeChg);
        QCOMPARE(f.remarks(0), std::string("x:Err(Date&Time<13>)"));
        QCOMPARE(f.status, QStringLiteral("0個のファイルが正常に変更されました。"));

        click(f.attr->cbAttrRS); // the value box stays unticked: read-only is cleared
        click(f.attr->btnAttrChg);
        QCOMPARE(prompts.asked[1].text, kAttrQuestion);
        QCOMPARE(f.remarks(0), std::string("OK"));
        QCOMPARE(f.model.row(0).attributeText().substr(0, 2), std::string("  "));

        click(f.time->btnDateTimeChg);
        QCOMPARE(f.remarks(0), std::string("OK"));
        QCOMPARE(f.status, QStringLiteral("1個のファイルが正常に変更されました。"));
        QCOMPARE(f.info("ro.txt").lastWrite, local(2027, 3, 3, 8, 9, 0));
    }

    void stopButtonEndsThePartWay() {
        ScriptedPrompts prompts;
        prompts.answer(mrOk);
        prompts.answer(mrYes); // the stop question
        Fixture f;
        QVERIFY(test::showExposed(f.window));
        for (const char* n : {"a", "b", "c"})
            f.addFile(n, local(2021, 6, 7, 8, 9, 41));
        f.progress.setSliceMs(0);
        QTimer::singleShot(0, &f.window, [&f] {
            if (f.progress.dialog())
                f.progress.dialog()->btnCancel()->click();
        });
        click(f.time->cbUpd);
        click(f.time->btnDateTimeChg);
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QCOMPARE(prompts.asked[1].text, QStringLiteral("処理を中止しますか？"));
        QVERIFY(f.status.startsWith(QStringLiteral("変更処理が途中で終了しました。")));
        QVERIFY(f.status.endsWith(QStringLiteral("個のファイルが正常に変更されました。")));
        QCOMPARE(f.remarks(2), std::string(" "));
        QVERIFY(f.window.isEnabled());
    }

    void refreshRowFromFile() {
        Fixture f;
        f.addFile("a.txt", local(2021, 6, 7, 8, 9, 41));
        f.addFile("b.txt", local(2021, 6, 7, 8, 9, 41));
        writeFile(f.work / "a.txt", std::string(3000, 'x'));
        QCOMPARE(systemFileSystem().setTimes(f.work / "a.txt", std::nullopt, local(2024, 2, 29, 0, 0, 0)), 0);
        std::remove((f.work / "b.txt").c_str());
        const FileListRow before = f.model.row(1);
        f.controller->RefreshRowFromFile(0);
        f.controller->RefreshRowFromFile(1);
        QCOMPARE(f.model.row(0).sizeText(), std::string("2KB"));
        QCOMPARE(f.model.row(0).updatedText(), std::string("2024/02/29"));
        QCOMPARE(f.model.row(1).updatedText(), before.updatedText());
        QCOMPARE(f.model.row(1).sizeText(), before.sizeText());
    }
};

QTEST_MAIN(StampsControllerTest)
#include "StampsControllerTest.moc"
