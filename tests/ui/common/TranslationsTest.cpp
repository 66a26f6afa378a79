// Qt's own texts in Japanese: the folder picker's buttons and the text fields' context menus come
// from Qt's catalogue when it is installed; the texts it lacks come from ours in any case.

#include "common/ui/Translations.h"
#include "common/ui/TFolderDialog.h"
#include "support/ui/QtTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace rinoza;
using test::q;

class TranslationsTest : public QObject {
    Q_OBJECT
    bool m_qtCatalogue = false;

private slots:
    void initTestCase() { m_qtCatalogue = installJapaneseTranslations(*qApp); }

    void folderPickerButtonsReadJapanese() {
        if (!m_qtCatalogue)
            QSKIP("Qt's Japanese catalogue is not installed (qt6-translations-l10n)");
        const std::unique_ptr<QFileDialog> d(newFolderDialog(nullptr, q("フォルダーの選択"), QDir::homePath()));
        d->setOption(QFileDialog::DontUseNativeDialog, true);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        auto* box = d->findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QStringList captions;
        for (QAbstractButton* b : box->buttons())
            captions << b->text();
        QVERIFY2(captions.contains(q("選択(&C)")), qPrintable(captions.join(QLatin1Char('|'))));
        QVERIFY2(captions.contains(q("キャンセル")), qPrintable(captions.join(QLatin1Char('|'))));
        QCOMPARE(d->windowTitle(), q("フォルダーの選択"));
    }

    void textFieldMenuReadsJapanese_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("undo") << q("元に戻す(&U)");
        QTest::newRow("cut") << q("切り取り(&T)");
        QTest::newRow("copy") << q("コピー(&C)");
        QTest::newRow("paste") << q("貼り付け(&P)");
        QTest::newRow("select all") << q("すべてを選択");
    }

    void textFieldMenuReadsJapanese() {
        QFETCH(QString, item);
        if (!m_qtCatalogue)
            QSKIP("Qt's Japanese catalogue is not installed (qt6-translations-l10n)");
        QLineEdit edit(QStringLiteral("abc"));
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* a : menu->actions())
            texts << a->text().section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(texts.contains(item), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // Ours answers where Qt's catalogue has no Japanese, installed or not.
    void textsQtLacksAreOurs_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("folder") << "Folder" << q("フォルダー");
        QTest::newRow("file") << "File" << q("ファイル");
        QTest::newRow("typed file") << "%1 File" << q("%1 ファイル");
    }

    void textsQtLacksAreOurs() {
        QFETCH(QString, source);
        QFETCH(QString, japanese);
        const QByteArray s = source.toUtf8();
        QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", s.constData()), japanese);
    }
};

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
