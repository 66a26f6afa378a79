// The version window: opened from the help menu by the keyboard, not modal, closed by OK, Enter or
// Esc and by a click back into the main window, animating its logo from the first frame.

#include "about/ui/TAboutBox.h"
#include "app/TFrmMain.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace rinoza;

class AboutBoxTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<TFrmMain> m_window;

    // Alt+H, then A: the help menu's "バージョン情報(&A)...".
    QPointer<TAboutBox> openFromMenu() {
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            return nullptr;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(), Qt::Key_H,
                        Qt::AltModifier);
        if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
            return nullptr;
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QPointer<TAboutBox> box = m_window->findChild<TAboutBox*>();
        if (box && !QTest::qWaitFor([&box] { return box && QApplication::activeWindow() == box.data(); }))
            return nullptr;
        return box;
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_window = std::make_unique<TFrmMain>(systemFileSystem());
        QVERIFY(test::showExposed(*m_window));
    }
    void cleanup() { m_window.reset(); }

    void showsTheProgramNameAndVersionBesideTheMainWindow() {
        QPointer<TAboutBox> box = openFromMenu();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QCOMPARE(box->windowTitle(), QStringLiteral("Rinoza"));
        QCOMPARE(box->ProductName->text(), QStringLiteral("Rinoza"));
        QCOMPARE(box->Version->text(), QStringLiteral("Version 1.50"));
        for (QLabel* frame : box->Logo)
            QVERIFY(!frame->isVisible() && !frame->isEnabled());
    }

    void aClickIntoTheMainWindowFreesItWithoutOk() {
        QPointer<TAboutBox> box = openFromMenu();
        QVERIFY(box);
        // The click goes to the list; the window manager makes the main window active again.
        QTest::mouseClick(m_window->lvFile->viewport(), Qt::LeftButton);
        m_window->activateWindow();
        QTRY_VERIFY(box.isNull());
    }

    void enterAndEscPressOk_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("inContactField");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter in the web page field") << int(Qt::Key_Return) << true;
    }
    void enterAndEscPressOk() {
        QFETCH(int, key);
        QFETCH(bool, inContactField);
        test::ScriptedPrompts prompts;
        QPointer<TAboutBox> box = openFromMenu();
        QVERIFY(box);
        QSignalSpy ok(box->OKButton, &QPushButton::clicked);
        if (inContactField)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), inContactField ? static_cast<QWidget*>(box->edtHP) : box->OKButton);
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
        QCOMPARE(ok.count(), 1);
        QTRY_VERIFY(box.isNull());
        QVERIFY(prompts.opened.isEmpty());
    }

    void theAnimationStartsWithTheFirstFrameAndReturnsToIt() {
        QPointer<TAboutBox> box = openFromMenu();
        QVERIFY(box);
        QSignalSpy frames(box.data(), &TAboutBox::frameShown);
        // Shown at once: the first tick comes after 1 ms.
        QTRY_VERIFY(box->frame() == 1);
        QCOMPARE(box->ProgramIcon->pixmap().toImage(), box->Logo[0]->pixmap().toImage());
        QCOMPARE(box->Timer->interval(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() >= 5, 8000);
        QList<int> seen;
        for (const QList<QVariant>& f : frames)
            seen << f.at(0).toInt();
        QCOMPARE(seen.mid(0, 5), (seen.first() == 1 ? QList<int>{1, 2, 3, 4, 5} : QList<int>{2, 3, 4, 5, 1}));
        QTRY_VERIFY_WITH_TIMEOUT(box->frame() == 1, 4000);
        QCOMPARE(box->ProgramIcon->pixmap().toImage(), box->Logo[0]->pixmap().toImage());
    }

    void aClickOnAContactFieldOpensItWithTheDesktop() {
        test::ScriptedPrompts prompts;
        QPointer<TAboutBox> box = openFromMenu();
        QVERIFY(box);
        QTest::mouseClick(box->edtHP, Qt::LeftButton);
        QTest::mouseClick(box->edtMail, Qt::LeftButton);
        QCOMPARE(prompts.opened, QStringList({TAboutBox::homePage(), TAboutBox::mailAddress()}));
        QVERIFY(TAboutBox::mailAddress().startsWith(QStringLiteral("mailto:")));
        QCOMPARE(box->edtHP->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(box->isVisible());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
