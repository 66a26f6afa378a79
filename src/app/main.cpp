#include "app/TFrmMain.h"
#include "common/ui/Translations.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// With RINOZA_EXIT_WHEN_SHOWN set, the program reports how long it took from the start of main to
// the main window's first show and quits; the start-up benchmark runs it this way.
class ExitWhenShown : public QObject {
public:
    explicit ExitWhenShown(std::chrono::steady_clock::time_point start) : m_start(start) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !m_done) {
            m_done = true;
            const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start);
            std::printf("shown %.1f ms after main\n", ms.count());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::chrono::steady_clock::time_point m_start;
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    // No display name: Qt would append it to every title, which names the program already.
    QApplication::setApplicationName(QStringLiteral("Rinoza"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rinoza.png")));
    rinoza::installJapaneseTranslations(app);

    // The designed 12-pixel Japanese Gothic font, or the first installed stand-in.
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(12);
    QApplication::setFont(font);

    // Arguments are paths: kept as the bytes the shell passed.
    std::vector<std::string> paths(argv + 1, argv + argc);

    rinoza::TFrmMain window(std::move(paths));
    // The display settings dialog is created here too, once it exists, and lives hidden until shown.

    ExitWhenShown exitWhenShown(start);
    const char* exitEnv = std::getenv("RINOZA_EXIT_WHEN_SHOWN");
    if (exitEnv && *exitEnv && std::string(exitEnv) != "0")
        window.installEventFilter(&exitWhenShown);

    window.show();
    return app.exec();
}
