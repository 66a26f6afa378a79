#include "common/ui/Colours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace rinoza {

QColor rejectedFieldColor(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor red(Qt::red);
    constexpr double share = 0.4;
    const auto mix = [](int a, int b) { return static_cast<int>(a * (1 - share) + b * share + 0.5); };
    return QColor(mix(base.red(), red.red()), mix(base.green(), red.green()), mix(base.blue(), red.blue()));
}

void setFieldRejected(QWidget* field, bool rejected) {
    if (field->property("rejected").toBool() == rejected)
        return;
    field->setProperty("rejected", rejected);
    if (!rejected) {
        field->setPalette(QPalette()); // inherits again, following a change of theme
        return;
    }
    QPalette pal = field->parentWidget() ? field->parentWidget()->palette() : QApplication::palette();
    const QColor tint = rejectedFieldColor(pal);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        pal.setColor(g, QPalette::Base, tint);
    field->setPalette(pal);
}

} // namespace rinoza
