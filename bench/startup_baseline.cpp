// The baseline of the start-up benchmark: the least a Qt Widgets program with a main window and a
// table view does to show itself, with the Japanese captions the program shows (menu titles, column
// captions, a status text) in the same font, so that both load the same Japanese font. Under
// RINOZA_EXIT_WHEN_SHOWN it reports its first show as rinoza does ("shown <ms> ms after main") and quits.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const auto g_start = std::chrono::steady_clock::now();

class Window : public QMainWindow {
public:
    explicit Window(bool exitWhenShown) : m_exitWhenShown(exitWhenShown) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMainWindow::showEvent(event);
        if (!m_exitWhenShown)
            return;
        m_exitWhenShown = false;
        std::printf("shown %.1f ms after main\n",
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - g_start).count());
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    bool m_exitWhenShown;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* exitEnv = std::getenv("RINOZA_EXIT_WHEN_SHOWN");
    Window window(exitEnv && *exitEnv && std::strcmp(exitEnv, "0") != 0);
    QFont font;
    font.setFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(12);
    QApplication::setFont(font);
    window.setWindowTitle(QStringLiteral("Rinoza"));
    for (const char* title : {"ファイル(&F)", "表示(&O)", "変名設定(&K)", "ヘルプ(&H)"})
        window.menuBar()->addMenu(QString::fromUtf8(title));
    QStandardItemModel model(0, 9);
    model.setHorizontalHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("フォルダー"), QStringLiteral("サイズ"),
                                     QStringLiteral("拡張子"), QStringLiteral("作成日時"), QStringLiteral("更新日時"),
                                     QStringLiteral("アクセス日"), QStringLiteral("属性"), QStringLiteral("備考")});
    auto* view = new QTableView;
    view->setModel(&model);
    window.setCentralWidget(view);
    window.statusBar()->showMessage(QStringLiteral("0 個のファイルがリストアップされています。"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
