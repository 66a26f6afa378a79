#pragma once

// Colours taken from the palette, so that light and dark themes both read.

#include <QColor>

class QPalette;
class QWidget;

namespace rinoza {

// The background of a field whose text is refused: the palette's base tinted towards red, so the
// field's own text colour stays readable on it.
QColor rejectedFieldColor(const QPalette& palette);

// Marks a field (a text field, or a spin box with its text) as refused or gives it back the colours
// it inherits. The mark is also the field's "rejected" property.
void setFieldRejected(QWidget* field, bool rejected);

} // namespace rinoza
