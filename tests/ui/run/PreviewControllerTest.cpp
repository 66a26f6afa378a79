// The result preview's stop button and its start number, with a plain widget as the window.

#include "run/ui/PreviewController.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmRenameOn.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QPushButton>
#include <QtTest>

using namespace rinoza;
using rinoza::test::q;

class PreviewControllerTest : public QObject {
    Q_OBJECT

    struct Fixture {
        test::TempDir home;
        test::TempDir work;
        QWidget window;
        ProgressHost progress{&window};
        FileListModel model;
        FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
        NameBuilder builder{clock, {}};
        QString startText = QStringLiteral("1");
        QString status;

        Fixture() {
            qputenv("RINOZA_HOME", QByteArray::fromStdString(home.path()));
            window.show();
            for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
                test::writeFile(work / n, n);
                FileInfo info;
                systemFileSystem().stat(work / n, info);
                FileListRow row = makeFileListRow(info, work.path(), false);
                row.remarks = "old";
                model.appendRow(row);
            }
        }
        void preview() {
            RunHost h;
            h.fileSystem = &systemFileSystem();
            h.window = &window;
            h.progress = &progress;
            h.model = &model;
            h.builder = &builder;
            h.rules = [] {
                RenameRuleSet r = RenameRuleSet::defaults();
                r.elements[0].checked = true;
                r.fixF1 = "n_";
                return r;
            };
            h.startText = [this] { return startText; };
            h.setStatus = [this](const QString& s) { status = s; };
            h.clock = &clock;
            PreviewController(h).N20Click();
        }
    };

private slots:
    void stopAfterTheSecondRowKeepsTheOthersRemarks() {
        test::ScriptedPrompts prompts;
        prompts.answer(mrYes); // the stop question
        Fixture f;
        f.progress.setSliceMs(0);
        connect(&f.model, &QAbstractItemModel::dataChanged, &f.window,
                [&f](const QModelIndex&, const QModelIndex& last) {
                    if (last.row() == 1 && f.progress.dialog())
                        f.progress.dialog()->btnCancel()->click();
                });
        f.preview();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("処理を中止しますか？"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(f.model.row(i).remarks, i < 2 ? "n_" + f.model.row(i).name : std::string("old"));
        QCOMPARE(f.status, QStringLiteral("結果表示を中止しました。変名できないファイルはありません。"));
        QVERIFY(f.window.isEnabled());
        QVERIFY(!f.progress.inProgress());
    }

    void aStartThatIsNoNumberIsReportedWithTheWindowUsable() {
        test::ScriptedPrompts prompts;
        Fixture f;
        f.startText = QStringLiteral("abc");
        f.preview();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("'abc' は整数ではありません"));
        QCOMPARE(f.model.row(0).remarks, std::string("old"));
        QVERIFY(f.window.isEnabled());
        QVERIFY(!f.progress.inProgress());
    }
};

QTEST_MAIN(PreviewControllerTest)
#include "PreviewControllerTest.moc"
