// The main window's start-up and close: what a first start shows, what a close writes, and that the
// next start brings all of it back.

#include "app/TFrmMain.h"
#include "common/ui/PathComboBox.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchTab.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/NumberSpinBox.h"
#include "rename/ui/RenameTab.h"
#include "settings/IniFile.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/TimeTab.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace rinoza;

namespace {

const LocalDateTime kNow{2026, 12, 6, 13, 45, 9, 0};

using test::q;

// Words separated by single spaces, as a list.
QStringList words(const char* spaced) {
    return QString::fromUtf8(spaced).split(QLatin1Char(' '));
}

// The keys of one section of the settings file, in file order.
QStringList sectionKeys(const std::string& iniText, const std::string& section) {
    QStringList keys;
    bool inside = false;
    const QStringList lines = QString::fromUtf8(iniText).split(QStringLiteral("\r\n"));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inside = line == QStringLiteral("[%1]").arg(QString::fromStdString(section));
            continue;
        }
        if (inside && line.contains(QLatin1Char('=')))
            keys << line.left(line.indexOf(QLatin1Char('=')));
    }
    return keys;
}

QStringList captions(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QList<bool> ticks(const QListWidget* list) {
    QList<bool> out;
    for (int i = 0; i < list->count(); ++i)
        out << (list->item(i)->checkState() == Qt::Checked);
    return out;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_user;
    FixedClock m_clock{kNow};

    std::string iniPath() const { return m_home->path() + "/rinoza.ini"; }
    std::unique_ptr<TFrmMain> openWindow() {
        return std::make_unique<TFrmMain>(systemFileSystem(), std::vector<std::string>{}, &m_clock);
    }
    void showAndClose(TFrmMain& w) {
        QVERIFY(test::showExposed(w));
        QVERIFY(w.close());
    }

private slots:
    void init() {
        m_home = std::make_unique<test::TempDir>();
        m_user = std::make_unique<test::TempDir>();
        qputenv("RINOZA_HOME", QByteArray::fromStdString(m_home->path()));
        qputenv("HOME", QByteArray::fromStdString(m_user->path()));
    }

    void firstStartShowsTheDefaults() {
        auto w = openWindow();
        QCOMPARE(w->objectName(), QStringLiteral("FrmMain"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Rinoza"));
        // The designed size, grown to what the font needs and fitted into the screen.
        QVERIFY(w->width() >= 504);
        QVERIFY(w->height() >= 607);
        QVERIFY(w->screen()->availableGeometry().contains(w->geometry()));
        QCOMPARE(w->pgcMain->currentWidget(), static_cast<QWidget*>(w->tbsFnd));
        QCOMPARE(w->tbsFnd->cmbFndName->currentText(), QStringLiteral("*.*"));
        QCOMPARE(w->tbsFnd->cmbFndName->count(), 0);

        const QString home = QString::fromStdString(m_user->path());
        QCOMPARE(w->tbsFnd->cmbFnd->currentText(), home);
        QCOMPARE(w->tbsFnd->cmbFnd->count(), 2);
        QCOMPARE(w->tbsFnd->cmbFnd->itemText(0), home);
        QCOMPARE(w->tbsFnd->cmbFnd->itemText(1), QStringLiteral("/"));

        RenameTab* r = w->tbsSet;
        QCOMPARE(captions(r->lvChg), QStringList({q("1) 固定文字１"), q("2) 元ファイル名"), q("3) 固定文字２"),
                                                  q("4) 連番"), q("5) フォルダ名"), q("6) .(ピリオド)"), q("7) 拡張子"),
                                                  q("8) 日付/時間"), q("9) 文字置換え")}));
        QCOMPARE(ticks(r->lvChg), QList<bool>({false, true, false, false, false, true, false, false, false}));
        QCOMPARE(r->edtReiBefore->text(), QStringLiteral("abcde.xyz"));
        QCOMPARE(r->edtReiAfter->text(), QStringLiteral("abcde.xyz"));
        QCOMPARE(r->cbRenKeta->currentText(), QStringLiteral("3"));
        QCOMPARE(r->cbDateTime->currentIndex(), 0);
        QCOMPARE(r->cbCase->currentIndex(), 0);
        QCOMPARE(r->udMotoFE->value(), 999);

        for (const DateFieldTexts& t : {w->tbsTime->crtTexts(), w->tbsTime->updTexts()})
            QCOMPARE(t, (DateFieldTexts{QStringLiteral("2026"), QStringLiteral("12"), QStringLiteral("6"),
                                        QStringLiteral("13"), QStringLiteral("45")}));
        QVERIFY(w->tbsTime->cbCrt->isChecked());
        QVERIFY(w->tbsTime->cbUpd->isChecked());

        AttrTab* a = w->tbsAttr;
        for (QCheckBox* change : {a->cbAttrRS, a->cbAttrAS, a->cbAttrHS, a->cbAttrSS})
            QVERIFY2(!change->isChecked(), qPrintable(change->objectName()));
        for (QCheckBox* value : {a->cbAttrR, a->cbAttrA, a->cbAttrH, a->cbAttrS})
            QVERIFY2(value->isChecked(), qPrintable(value->objectName()));

        for (QAction* l : w->L)
            QVERIFY2(!l->isEnabled(), qPrintable(l->objectName()));
        // No history file: the undo commands are off. An empty list: no clear, no search to stop.
        QVERIFY(!r->btnAndo->isEnabled());
        QVERIFY(!w->N6->isEnabled());
        QVERIFY(!w->N8->isEnabled());
        QVERIFY(!w->tbsFnd->btnlvClr->isEnabled());
        QVERIFY(!w->tbsFnd->btnStop->isEnabled());
        // Both time boxes start ticked, no change box of the attributes does.
        QVERIFY(w->tbsTime->btnDateTimeChg->isEnabled());
        QVERIFY(!w->tbsAttr->btnAttrChg->isEnabled());
        QCOMPARE(w->fileListController()->DragStartPoint, QPoint(-1, -1));
        // Reading never creates the settings file.
        QVERIFY(!test::pathExists(iniPath()));
    }

    void controlsCarryTheirNamesAndCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char* const rows[][2] = {{"stxFndName", "名前(&N)"},
                                       {"stxFnd", "探す場所(&L)"},
                                       {"btnFnd", "参照(&B)..."},
                                       {"cbFnd", "サブフォルダも探す(&S)"},
                                       {"cbOpt", "検索のたびにリストをクリア(&R)"},
                                       {"btnStart", "検索開始(&I)"},
                                       {"btnStop", "検索中止(&P)"},
                                       {"btnlvClr", "リストのクリア(&C)"},
                                       {"btnCnvStart", "変名開始(&I) ..."},
                                       {"btnAns", "結果表示(&K)"},
                                       {"btnNew", "設定クリア(&E) ..."},
                                       {"btnAndo", "前回変名戻し(&A) ..."},
                                       {"gbRei", "<例>"},
                                       {"gbChg", "<変名 詳細設定>"},
                                       {"lblKotei1", "1) 固定文字１"},
                                       {"lblMotoF", "2) 元ファイル名"},
                                       {"lblMotoFH", "～"},
                                       {"lblKotei2", "3) 固定文字２"},
                                       {"lblRenKeta", "4) 連番の桁数"},
                                       {"lblRenStart", "開始数"},
                                       {"lblRenAdd", "増分"},
                                       {"lblKoteiK", "7) 拡張子"},
                                       {"lblDateTime", "8) 日付/時間"},
                                       {"lblDateK", "区切り - 日付"},
                                       {"lblTimeK", "時間"},
                                       {"lblCase", "大文字/小文字"},
                                       {"lblChgB", "9) 文字置換え"},
                                       {"lblChg", "→"},
                                       {"gbTime", "<タイムスタンプ>"},
                                       {"cbCrt", "作成日時を変更する(&C)"},
                                       {"cbUpd", "更新日時を変更する(&U)"},
                                       {"btnCrtD", "作成日付"},
                                       {"btnCrtT", "作成時間"},
                                       {"btnUpdD", "更新日付"},
                                       {"btnUpdT", "更新時間"},
                                       {"btnDateTimeChg", "変更開始(&I) ..."},
                                       {"gbAttr", "<属性>"},
                                       {"cbAttrRS", "読み取り専用 属性を変更する"},
                                       {"cbAttrR", "読み取り専用(&R)"},
                                       {"cbAttrAS", "アーカイブ 属性を変更する"},
                                       {"cbAttrA", "アーカイブ(&A)"},
                                       {"cbAttrHS", "隠しファイル 属性を変更する"},
                                       {"cbAttrH", "隠しファイル(&H)"},
                                       {"cbAttrSS", "システムファイル 属性を変更する"},
                                       {"cbAttrS", "システムファイル(&S)"},
                                       {"btnAttrChg", "変更開始(&I) ..."},
                                       // Controls without a caption of their own.
                                       {"pgcMain", ""},
                                       {"lvFile", ""},
                                       {"stbMain", ""},
                                       {"cmbFndName", ""},
                                       {"cmbFnd", ""},
                                       {"lvChg", ""},
                                       {"bbtnUp", ""},
                                       {"bbtnDown", ""},
                                       {"edtReiBefore", ""},
                                       {"edtReiAfter", ""},
                                       {"edtKotei1", ""},
                                       {"udMotoFS", ""},
                                       {"edtMotoFS", ""},
                                       {"udMotoFE", ""},
                                       {"edtMotoFE", ""},
                                       {"edtKotei2", ""},
                                       {"cbRenKeta", ""},
                                       {"udRenStart", ""},
                                       {"edtRenStart", ""},
                                       {"udRenAdd", ""},
                                       {"edtRenAdd", ""},
                                       {"edtKoteiK", ""},
                                       {"cbDateTime", ""},
                                       {"edtDateK", ""},
                                       {"edtTimeK", ""},
                                       {"cbCase", ""},
                                       {"edtChgB", ""},
                                       {"edtChgA", ""},
                                       {"cbCrtY", ""},
                                       {"cbCrtM", ""},
                                       {"cbCrtD", ""},
                                       {"cbCrtH", ""},
                                       {"cbCrtN", ""},
                                       {"cbUpdY", ""},
                                       {"cbUpdM", ""},
                                       {"cbUpdD", ""},
                                       {"cbUpdH", ""},
                                       {"cbUpdN", ""},
                                       {"tbsFnd", ""},
                                       {"tbsSet", ""},
                                       {"tbsTime", ""},
                                       {"tbsAttr", ""},
                                       {"mm1", ""}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
    }

    void controlsCarryTheirNamesAndCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        auto w = openWindow();
        QWidget* c = w->findChild<QWidget*>(name);
        QVERIFY2(c, qPrintable(name));
        if (caption.isEmpty())
            return;
        const QVariant text = c->property("text").isValid() ? c->property("text") : c->property("title");
        QCOMPARE(text.toString(), caption);
    }

    void tabsAndMenusAsDesigned() {
        auto w = openWindow();
        QCOMPARE(w->pgcMain->count(), 4);
        const QStringList tabs = words("検索 変名 日時 属性");
        for (int i = 0; i < 4; ++i)
            QCOMPARE(w->pgcMain->tabText(i), tabs[i]);
        QVERIFY(w->pgcMain->height() >= 329);

        struct Item {
            const char* name;
            const char* caption;
            QKeySequence key;
        };
        const Item items[] = {
            {"N6", "前回の変名を戻す", QKeySequence(QStringLiteral("Ctrl+Z"))},
            {"X1", "終了", QKeySequence(QStringLiteral("Ctrl+E"))},
            {"N5", "表示の設定...", QKeySequence(QStringLiteral("Ctrl+O"))},
            {"N8", "前回の変名結果を見る", QKeySequence(QStringLiteral("Ctrl+L"))},
            {"SelectAll1", "すべて選択", QKeySequence(QStringLiteral("Ctrl+A"))},
            {"N11", "選択の切り替え", QKeySequence(QStringLiteral("Ctrl+B"))},
            {"N20", "備考に変名結果を表示", QKeySequence(QStringLiteral("Ctrl+K"))},
            {"S1", "保存 1", QKeySequence(QStringLiteral("Ctrl+Shift+F1"))},
            {"S5", "保存 5", QKeySequence(QStringLiteral("Ctrl+Shift+F5"))},
            {"L1", "呼出 1", QKeySequence(QStringLiteral("Ctrl+F1"))},
            {"L5", "呼出 5", QKeySequence(QStringLiteral("Ctrl+F5"))},
            {"Contents1", "目次", QKeySequence(QStringLiteral("F1"))},
            {"N4", "トピックの検索(&N)", QKeySequence()},
            {"About1", "バージョン情報(&A)...", QKeySequence()},
            {"Open1", "開く(&O)", QKeySequence(QStringLiteral("Shift+Return"))},
            {"P1", "フォルダを開く(&P)", QKeySequence(QStringLiteral("Ctrl+Return"))},
            {"N2", "リストから除外   ", QKeySequence(QStringLiteral("Del"))},
            {"N9", "リストを全てクリア", QKeySequence(QStringLiteral("Ctrl+Del"))},
            {"N18", "ファイル名変更", QKeySequence(QStringLiteral("F2"))},
            {"N16", "ファイルを削除", QKeySequence(QStringLiteral("Shift+Del"))},
            {"N17", "ファイルをごみ箱へ移動", QKeySequence()},
        };
        for (const Item& it : items) {
            auto* a = w->findChild<QAction*>(QString::fromUtf8(it.name));
            QVERIFY2(a, it.name);
            QCOMPARE(a->text(), QString::fromUtf8(it.caption));
            QCOMPARE(a->shortcut(), it.key);
        }
        QCOMPARE(w->pmList->defaultAction(), w->Open1);
        QCOMPARE(w->L[2]->property("tag").toInt(), 3);
        QCOMPARE(w->N16->property("tag").toInt(), 1);
    }

    void closeWritesTheRuleSectionAfresh() {
        // A section left by an earlier version: its keys must not survive.
        test::writeFile(iniPath(), "[RenameFunction]\r\nOldKey=1\r\nChg1=2) 元ファイル名\r\n[Keep]\r\nA=1\r\n");
        auto w = openWindow();
        showAndClose(*w);

        const std::string text = test::readFile(iniPath());
        QStringList expected;
        for (int n = 1; n <= 9; ++n)
            expected << QStringLiteral("Chg%1").arg(n) << QStringLiteral("ChgB%1").arg(n);
        expected << words("FixF1 FixF2 FixK MotoStart MotoEnd RenKeta RenStart Renadd DateTime DateK TimeK Case "
                          "ReiBefore StrChgBefore StrChgAfter");
        QCOMPARE(sectionKeys(text, "RenameFunction"), expected);
        QCOMPARE(sectionKeys(text, "Time"), words("Crt CrtY CrtM CrtD CrtH CrtN Upd UpdY UpdM UpdD UpdH UpdN"));
        QCOMPARE(sectionKeys(text, "Attr"), words("RS R AS A HS H SS S"));
        QCOMPARE(sectionKeys(text, "FindName").size(), 20);
        QCOMPARE(sectionKeys(text, "FindLocate").size(), 20);
        QCOMPARE(sectionKeys(text, "Window"), words("Height Width Top Left State"));
        // ColSize off: no widths written. Other sections stay.
        QVERIFY(sectionKeys(text, "ColSize").isEmpty());
        QCOMPARE(sectionKeys(text, "Keep"), words("A"));

        const IniFile ini(systemFileSystem(), iniPath());
        // The stored caption at position 1 was the old name element: it stays there, with the stored tick (none).
        QCOMPARE(ini.ReadString("RenameFunction", "Chg1", ""), std::string("2) 元ファイル名"));
        QCOMPARE(ini.ReadString("RenameFunction", "ChgB1", ""), std::string("0"));
        QCOMPARE(ini.ReadString("Time", "CrtY", ""), std::string("2026"));
        QCOMPARE(ini.ReadString("FindLocate", "2", ""), std::string("/"));
    }

    void secondStartRestoresWhatTheCloseWrote() {
        {
            auto w = openWindow();
            QVERIFY(test::showExposed(*w));
            w->resize(620, 560);
            w->move(30, 40);
            RenameTab* r = w->tbsSet;
            r->MoveElement(7, 1);                          // date/time right after fixed text 1
            r->lvChg->item(4)->setCheckState(Qt::Checked); // the serial number, after the move
            r->lvChg->item(1)->setCheckState(Qt::Checked);
            r->edtKotei1->setText(q("前_"));
            r->udMotoFS->setValue(2);
            r->udRenStart->setValue(7);
            r->udRenAdd->setValue(5);
            r->cbRenKeta->setCurrentIndex(0);
            r->cbDateTime->setCurrentIndex(8);
            r->cbCase->setCurrentIndex(2);
            r->edtReiBefore->setText(q("写真.JPG"));
            w->tbsFnd->cmbFndName->addItems({QStringLiteral("*.txt"), QStringLiteral("*.jpg")});
            w->tbsTime->crtFields[0]->setCurrentIndex(0); // "----"
            w->tbsTime->cbUpd->setChecked(false);
            w->tbsAttr->cbAttrHS->setChecked(true);
            w->tbsAttr->cbAttrH->setChecked(false);
            QVERIFY(w->close());
        }
        const QStringList order = {q("1) 固定文字１"),  q("8) 日付/時間"), q("2) 元ファイル名"),
                                   q("3) 固定文字２"),  q("4) 連番"),      q("5) フォルダ名"),
                                   q("6) .(ピリオド)"), q("7) 拡張子"),    q("9) 文字置換え")};
        {
            auto w = openWindow();
            QCOMPARE(w->size(), QSize(620, 560));
            QCOMPARE(w->pos(), QPoint(30, 40));
            QVERIFY(!w->isMaximized());
            RenameTab* r = w->tbsSet;
            QCOMPARE(captions(r->lvChg), order);
            QCOMPARE(ticks(r->lvChg), QList<bool>({false, true, true, false, true, false, true, false, false}));
            QCOMPARE(r->edtKotei1->text(), q("前_"));
            QCOMPARE(r->udMotoFS->value(), 2);
            QCOMPARE(r->udRenStart->value(), 7);
            QCOMPARE(r->udRenAdd->value(), 5);
            QCOMPARE(r->cbRenKeta->currentText(), QStringLiteral("1"));
            QCOMPARE(r->cbDateTime->currentIndex(), 8);
            QCOMPARE(r->cbCase->currentIndex(), 2);
            QCOMPARE(r->edtReiBefore->text(), q("写真.JPG"));
            // Enabled states follow the restored ticks.
            QVERIFY(r->cbDateTime->isEnabled());
            QVERIFY(r->udRenStart->isEnabled());
            QVERIFY(!r->edtKotei1->isEnabled());
            QCOMPARE(w->tbsFnd->cmbFndName->count(), 2);
            QCOMPARE(w->tbsFnd->cmbFndName->currentText(), QStringLiteral("*.txt"));
            QCOMPARE(w->tbsFnd->cmbFnd->count(), 2);
            QCOMPARE(w->tbsTime->crtTexts()[0], QStringLiteral("----"));
            QCOMPARE(w->tbsTime->crtTexts()[1], QStringLiteral("12"));
            QVERIFY(!w->tbsTime->cbUpd->isChecked());
            QVERIFY(w->tbsAttr->cbAttrHS->isChecked());
            QVERIFY(!w->tbsAttr->cbAttrH->isChecked());

            w->showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QVERIFY(w->close());
        }
        // A maximised close writes only the state; the normal geometry of the last normal close stays.
        const IniFile ini(systemFileSystem(), iniPath());
        QCOMPARE(ini.ReadInteger("Window", "State", -1), 0);
        QCOMPARE(ini.ReadInteger("Window", "Width", -1), 620);
        QCOMPARE(ini.ReadInteger("Window", "Top", -1), 40);
        auto w = openWindow();
        QVERIFY(w->isMaximized());
        QCOMPARE(captions(w->tbsSet->lvChg), order);
    }

    void storedValuesOutsideTheirListsFallBack() {
        test::writeFile(iniPath(), "[Window]\r\nHeight=0x25F\r\nWidth=0x226\r\nTop=-1\r\nLeft=5\r\nColSize=1\r\n"
                                   "[ColSize]\r\n2=77\r\n3=-9\r\n"
                                   "[RenameFunction]\r\nDateTime=12\r\nCase=-3\r\nRenKeta=7\r\nChg2=\r\nChgB2=0\r\n"
                                   "[Time]\r\nCrtY=1979\r\nCrtM=03\r\nUpdD=31\r\nUpdN=abc\r\n"
                                   "[SettingBack2]\r\nIn=1\r\n");
        auto w = openWindow();
        QCOMPARE(w->size(), QSize(550, 607));
        QCOMPARE(w->x(), 5);
        QCOMPARE(w->lvFile->columnWidth(2), 77);
        QCOMPARE(w->lvFile->columnWidth(3), FileListModel::designedColumnWidth(3));
        RenameTab* r = w->tbsSet;
        QCOMPARE(r->cbDateTime->currentIndex(), -1);
        QCOMPARE(r->cbCase->currentIndex(), -1);
        QCOMPARE(r->cbRenKeta->currentText(), QStringLiteral("1"));
        // An empty caption gives the default element with its default tick, whatever the stored tick.
        QCOMPARE(r->lvChg->item(1)->text(), q("2) 元ファイル名"));
        QCOMPARE(r->lvChg->item(1)->checkState(), Qt::Checked);
        QCOMPARE(w->tbsTime->crtTexts()[0], QStringLiteral("----"));
        QCOMPARE(w->tbsTime->crtTexts()[1], QStringLiteral("--")); // "03" is no entry
        QCOMPARE(w->tbsTime->updTexts()[2], QStringLiteral("31"));
        QCOMPARE(w->tbsTime->updTexts()[4], QStringLiteral("--"));
        QVERIFY(!w->L[0]->isEnabled());
        QVERIFY(w->L[1]->isEnabled());

        showAndClose(*w);
        const IniFile ini(systemFileSystem(), iniPath());
        QCOMPARE(ini.ReadInteger("RenameFunction", "DateTime", 0), -1);
        QCOMPARE(ini.ReadInteger("RenameFunction", "Case", 0), -1);
        QCOMPARE(ini.ReadInteger("ColSize", "2", 0), 77);
        QCOMPARE(ini.ReadInteger("ColSize", "3", 0), FileListModel::designedColumnWidth(3));
    }

    void undoCommandsFollowTheHistoryFile() {
        test::writeFile(m_home->path() + "/rinoza.txt", "x\r\n");
        auto w = openWindow();
        QVERIFY(w->tbsSet->btnAndo->isEnabled());
        QVERIFY(w->N6->isEnabled());
        QVERIFY(w->N8->isEnabled());
    }

    void refusedWriteIsReportedAndTheWindowStillCloses() {
        // The settings folder lies below a plain file, so no write can succeed (also for root).
        test::writeFile(m_home->path() + "/plain", "x");
        qputenv("RINOZA_HOME", QByteArray::fromStdString(m_home->path() + "/plain/sub"));
        test::ScriptedPrompts prompts;
        auto w = openWindow();
        QVERIFY(test::showExposed(*w));
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].type, MsgType::Error);
        QVERIFY(prompts.asked[0].text.endsWith(q(" に書き込めません")));
    }

    void helpOpensTheManualAtItsContext() {
        test::ScriptedPrompts prompts;
        auto w = openWindow();
        w->Contents1->trigger();
        QCOMPARE(prompts.opened.size(), 1);
        QVERIFY(prompts.opened[0].startsWith(QStringLiteral("file://")));
        QVERIFY(prompts.opened[0].endsWith(QStringLiteral("manual.html#context-1")));
    }

    void exampleFollowsAnEdit() {
        auto w = openWindow();
        w->tbsSet->lvChg->item(3)->setCheckState(Qt::Checked);
        QCOMPARE(w->tbsSet->edtReiAfter->text(), QStringLiteral("abcde001.xyz"));
        QVERIFY(w->tbsSet->cbRenKeta->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
