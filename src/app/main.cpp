#include "app/CommandLine.h"
#include "app/TFrmMain.h"
#include "common/ui/Translations.h"
#include "platform/posix/PosixFileSystem.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// While QApplication connects to the display, Qt's messages are held back: when the connection
// fails, Qt ends the program with a fatal message after several lines about plugins; the user gets
// one line that says what is missing, and status 1. When it succeeds, the held messages follow.
struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};
std::vector<HeldMessage> g_held;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", rinoza::noDisplayText().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_held.push_back({type, context.category ? context.category : "", text});
}

std::unique_ptr<QApplication> connectToDisplay(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& m : g_held) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category.c_str());
        qt_message_output(m.type, context, m.text);
    }
    g_held.clear();
    return app;
}

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    const rinoza::StartRequest request = rinoza::parseStartArguments({argv + (argc > 0 ? 1 : 0), argv + argc});
    if (request.kind == rinoza::StartRequest::Kind::Help) {
        std::fputs(rinoza::windowHelpText().c_str(), stdout);
        return 0;
    }
    if (request.kind == rinoza::StartRequest::Kind::Version) {
        std::puts(rinoza::windowVersionText().c_str());
        return 0;
    }

    const std::unique_ptr<QApplication> app = connectToDisplay(argc, argv);
    // No display name: Qt would append it to every title, which names the program already.
    QApplication::setApplicationName(QStringLiteral("Rinoza"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rinoza.png")));
    rinoza::installJapaneseTranslations(*app);

    // The designed 12-pixel Japanese Gothic font, or the first installed stand-in.
    QFont font;
    font.setFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(12);
    QApplication::setFont(font);

    // Arguments are paths, kept as the bytes the shell passed; QApplication has taken its own options.
    // The window works on this machine's file system.
    rinoza::PosixFileSystem fs;
    rinoza::TFrmMain window(fs, rinoza::parseStartArguments({argv + 1, argv + argc}).paths);
    // The display settings dialog is created here too, once it exists, and lives hidden until shown.

    ExitWhenShown exitWhenShown(start);
    const char* exitEnv = std::getenv("RINOZA_EXIT_WHEN_SHOWN");
    if (exitEnv && *exitEnv && std::string(exitEnv) != "0")
        window.installEventFilter(&exitWhenShown);

    window.show();
    return app->exec();
}
