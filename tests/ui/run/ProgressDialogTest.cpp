// The progress dialog and its host: Begin/End around an operation, the stop question from the button,
// Esc and a close request, and the stop flag as an operation sees it between time slices.

#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmRenameOn.h"
#include "support/ui/ScriptedPrompts.h"

#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QtTest>

using namespace rinoza;
using rinoza::test::ScriptedPrompts;

class ProgressDialogTest : public QObject {
    Q_OBJECT

private slots:
    void beginDisablesTheWindowAndEndEnablesIt() {
        QWidget window;
        window.show();
        ProgressHost host(&window);
        host.CancelRequested = true;
        host.BeginProgress(QStringLiteral("前回の変名戻し中"));
        QVERIFY(!window.isEnabled());
        QVERIFY(!host.CancelRequested);
        QPointer<TFrmRenameOn> dlg = host.dialog();
        QVERIFY(dlg);
        QVERIFY(dlg->isVisible());
        QVERIFY(dlg->isEnabled());
        QVERIFY(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Rinoza [前回の変名戻し中]"));
        QCOMPARE(dlg->prb()->minimum(), 0);
        QCOMPARE(dlg->prb()->maximum(), 100);
        QCOMPARE(dlg->btnCancel()->text(), QStringLiteral("中止..."));

        host.CancelRequested = true;
        host.EndProgress();
        QVERIFY(window.isEnabled());
        QVERIFY(host.dialog() == nullptr);
        QVERIFY(host.CancelRequested); // operations read it once more after their loop
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dlg.isNull());
    }

    void stopQuestionSetsTheFlagUnlessNo_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stop");
        QTest::newRow("no") << int(mrNo) << false;
        QTest::newRow("yes") << int(mrYes) << true;
        QTest::newRow("question closed") << int(mrCancel) << true;
    }
    void stopQuestionSetsTheFlagUnlessNo() {
        QFETCH(int, answer);
        QFETCH(bool, stop);
        ScriptedPrompts prompts;
        prompts.answer(answer);
        QWidget window;
        ProgressHost host(&window);
        host.BeginProgress(QStringLiteral("変名中"));
        host.dialog()->btnCancel()->click();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("処理を中止しますか？"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::YesNo);
        QCOMPARE(host.CancelRequested, stop);
        QVERIFY(host.dialog()->isVisible()); // the operation closes it, not the button
        host.EndProgress();
    }

    void escapeAsksTheStopQuestion() {
        ScriptedPrompts prompts;
        prompts.answer(mrNo);
        prompts.answer(mrYes);
        ProgressHost host(nullptr);
        host.BeginProgress(QStringLiteral("変名中"));
        QTest::keyClick(host.dialog(), Qt::Key_Escape);
        QVERIFY(!host.CancelRequested);
        QVERIFY(host.dialog()->isVisible());
        QTest::keyClick(host.dialog(), Qt::Key_Escape);
        QVERIFY(host.CancelRequested);
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        host.EndProgress();
    }

    void closeRequestHidesOnlyWhenStopIsConfirmed() {
        ScriptedPrompts prompts;
        prompts.answer(mrNo);
        prompts.answer(mrYes);
        QWidget window;
        ProgressHost host(&window);
        host.BeginProgress(QStringLiteral("変名中"));
        TFrmRenameOn* dlg = host.dialog();
        QVERIFY(!dlg->close());
        QVERIFY(dlg->isVisible());
        QVERIFY(!host.CancelRequested);
        QVERIFY(dlg->close());
        QVERIFY(!dlg->isVisible());
        QVERIFY(host.CancelRequested);
        QVERIFY(!window.isEnabled()); // still disabled until the operation ends
        host.EndProgress();
        QVERIFY(window.isEnabled());
        QCOMPARE(prompts.asked.size(), std::size_t(2)); // End closes without asking
    }

    void aClickDuringTheSliceIsSeenBeforeTheFlagIsRead() {
        ScriptedPrompts prompts;
        ProgressHost host(nullptr);
        host.BeginProgress(QStringLiteral("変名中"));
        host.setSliceMs(0);
        QMetaObject::invokeMethod(host.dialog()->btnCancel(), "click", Qt::QueuedConnection);
        QVERIFY(!host.CancelRequested);
        QVERIFY(host.cancelRequestedNow());
        host.EndProgress();
    }

    void barStepsAndWraps() {
        ProgressHost host(nullptr);
        host.stepIt(); // nothing shown: harmless
        host.BeginProgress(QStringLiteral("変名中"));
        host.setPosition(0);
        host.setMaximum(3);
        for (int expected : {1, 2, 3, 0}) {
            host.stepIt();
            QCOMPARE(host.position(), expected);
        }
        host.EndProgress();
        QCOMPARE(host.position(), 0);
    }

    void operationCallbacksDriveTheBarAndReadTheFlag() {
        ScriptedPrompts prompts;
        ProgressHost host(nullptr);
        host.BeginProgress(QStringLiteral("変名中"));
        host.setSliceMs(0);
        const ProgressCallbacks cb = progressCallbacksFor(host);
        host.setMaximum(50);
        host.setPosition(7);
        cb.setMaximum(4); // a new run starts at 0
        QCOMPARE(host.position(), 0);
        QCOMPARE(host.dialog()->prb()->maximum(), 4);
        cb.setPosition(3);
        QCOMPARE(host.position(), 3);
        QVERIFY(!cb.cancelRequested());
        QMetaObject::invokeMethod(host.dialog()->btnCancel(), "click", Qt::QueuedConnection);
        cb.pumpEvents(); // the stop question is answered Yes while events run
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QVERIFY(host.CancelRequested);
        QVERIFY(cb.cancelRequested());
        host.EndProgress();
    }

    void dialogIsCentredOnTheScreen() {
        QWidget window;
        window.setGeometry(10, 10, 200, 100);
        window.show();
        ProgressHost host(&window);
        host.BeginProgress(QStringLiteral("変名中"));
        TFrmRenameOn* dlg = host.dialog();
        const QRect s = dlg->screen()->geometry();
        QCOMPARE(dlg->x(), s.x() + (s.width() - dlg->width()) / 2);
        QCOMPARE(dlg->y(), s.y() + (s.height() - dlg->height()) / 2);
        QVERIFY(dlg->width() >= 409);
        QVERIFY(dlg->height() >= 61);
        host.EndProgress();
    }

    void aSecondBeginReplacesTheDialog() {
        QWidget window;
        ProgressHost host(&window);
        host.BeginProgress(QStringLiteral("変名中"));
        QPointer<TFrmRenameOn> first = host.dialog();
        host.BeginProgress(QStringLiteral("変更中"));
        QVERIFY(host.dialog() != first.data());
        QVERIFY(!window.isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        host.EndProgress();
        QVERIFY(window.isEnabled());
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "ProgressDialogTest.moc"
