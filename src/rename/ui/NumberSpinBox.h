#pragma once

#include <QLineEdit>
#include <QSpinBox>

namespace rinoza {

// A number field with its up-down control. The spin box carries the up-down control's name
// (udMotoFS) and its line edit the field's name (edtMotoFS), so both can be found by name.
// It never wraps and shows no digit grouping.
class NumberSpinBox : public QSpinBox {
public:
    NumberSpinBox(const QString& spinName, const QString& editName, int minimum, int maximum, int value,
                  int maxLength, QWidget* parent = nullptr)
        : QSpinBox(parent) {
        setObjectName(spinName);
        lineEdit()->setObjectName(editName);
        setRange(minimum, maximum);
        setValue(value);
        setWrapping(false);
        setGroupSeparatorShown(false);
        lineEdit()->setMaxLength(maxLength);
        setAttribute(Qt::WA_InputMethodEnabled, false);
        lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    QLineEdit* edit() const { return lineEdit(); }
};

} // namespace rinoza
