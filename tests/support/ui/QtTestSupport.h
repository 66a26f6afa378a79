#pragma once

// Small helpers shared by the widget tests.

#include <QString>
#include <QTest>
#include <QWidget>
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

} // namespace rinoza::test
