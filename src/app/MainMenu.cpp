#include "app/MainMenu.h"

#include "common/ui/MenuItems.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace rinoza {

void MainMenu::build(QMainWindow* window) {
    mm1 = new QMenuBar(window);
    mm1->setObjectName(QStringLiteral("mm1"));
    window->setMenuBar(mm1);

    QMenu* file = mm1->addMenu(QStringLiteral("ファイル(&F)"));
    N6 = addMenuItem(file, "N6", QStringLiteral("前回の変名を戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    addMenuSeparator(file, "N7");
    X1 = addMenuItem(file, "X1", QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_E));

    QMenu* view = mm1->addMenu(QStringLiteral("表示(&O)"));
    N5 = addMenuItem(view, "N5", QStringLiteral("表示の設定..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    N8 = addMenuItem(view, "N8", QStringLiteral("前回の変名結果を見る"), QKeySequence(Qt::CTRL | Qt::Key_L));
    addMenuSeparator(view, "N10");
    SelectAll1 = addMenuItem(view, "SelectAll1", QStringLiteral("すべて選択"), QKeySequence(Qt::CTRL | Qt::Key_A));
    N11 = addMenuItem(view, "N11", QStringLiteral("選択の切り替え"), QKeySequence(Qt::CTRL | Qt::Key_B));
    addMenuSeparator(view, "N19");
    N20 = addMenuItem(view, "N20", QStringLiteral("備考に変名結果を表示"), QKeySequence(Qt::CTRL | Qt::Key_K));

    QMenu* rules = mm1->addMenu(QStringLiteral("変名設定(&K)"));
    QMenu* save = rules->addMenu(QStringLiteral("保存"));
    save->menuAction()->setObjectName(QStringLiteral("N13"));
    QMenu* recall = rules->addMenu(QStringLiteral("呼出"));
    recall->menuAction()->setObjectName(QStringLiteral("N14"));
    static const char* const sNames[5] = {"S1", "S2", "S3", "S4", "S5"};
    static const char* const lNames[5] = {"L1", "L2", "L3", "L4", "L5"};
    for (std::size_t i = 0; i < 5; ++i) {
        const auto fkey = static_cast<Qt::Key>(Qt::Key_F1 + static_cast<int>(i));
        const int tag = static_cast<int>(i) + 1;
        S[i] = addMenuItem(save, sNames[i], QStringLiteral("保存 %1").arg(tag),
                           QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, fkey)));
        S[i]->setProperty("tag", tag);
        L[i] = addMenuItem(recall, lNames[i], QStringLiteral("呼出 %1").arg(tag), QKeySequence(Qt::CTRL | fkey));
        L[i]->setProperty("tag", tag);
    }

    QMenu* help = mm1->addMenu(QStringLiteral("ヘルプ(&H)"));
    Contents1 = addMenuItem(help, "Contents1", QStringLiteral("目次"), QKeySequence(Qt::Key_F1));
    N4 = addMenuItem(help, "N4", QStringLiteral("トピックの検索(&N)"));
    addMenuSeparator(help, "N1");
    About1 = addMenuItem(help, "About1", QStringLiteral("バージョン情報(&A)..."));
}

} // namespace rinoza
