#pragma once

// Small helpers shared by the widget tests.

#include "support/TestSupport.h"

#include <QByteArray>
#include <QString>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string_view>

namespace rinoza::test {

// A UTF-8 literal or byte string as a QString.
inline QString q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Shows a window and waits until it is on screen; false when it never got there.
[[nodiscard]] inline bool showExposed(QWidget& w) {
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

// A fresh settings folder for a test of the main window; RINOZA_HOME and HOME name it.
inline std::unique_ptr<TempDir> freshHome() {
    auto home = std::make_unique<TempDir>();
    qputenv("RINOZA_HOME", QByteArray::fromStdString(home->path()));
    qputenv("HOME", QByteArray::fromStdString(home->path()));
    return home;
}

} // namespace rinoza::test
