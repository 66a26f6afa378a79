#pragma once

#include <QLineEdit>
#include <QSpinBox>

namespace rinoza {

// A number field with its up-down control. The spin box carries the up-down control's name
// (udMotoFS) and its line edit the field's name (edtMotoFS), so both can be found by name.
// It never wraps and shows no digit grouping. While the user types, the text may be empty or
// unfinished: value() keeps the last valid number until the text is valid again, and leaving the
// field shows the number in force.
class NumberSpinBox : public QSpinBox {
public:
    NumberSpinBox(const QString& spinName, const QString& editName, int minimum, int maximum, int value, int maxLength,
                  QWidget* parent = nullptr)
        : QSpinBox(parent) {
        setObjectName(spinName);
        lineEdit()->setObjectName(editName);
        setRange(minimum, maximum);
        setValue(value);
        setWrapping(false);
        setGroupSeparatorShown(false);
        setKeyboardTracking(true);
        setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        lineEdit()->setMaxLength(maxLength);
        setAttribute(Qt::WA_InputMethodEnabled, false);
        lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    QLineEdit* edit() const { return lineEdit(); }
};

} // namespace rinoza
