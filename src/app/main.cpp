#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rinoza"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Rinoza"));
    w.show();
    return app.exec();
}
