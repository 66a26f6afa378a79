#pragma once

// An editable combo box that lets its owner act right before the list opens (to size the list).

#include <QComboBox>
#include <functional>

namespace rinoza {

class DropDownComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    void setBeforeDropDown(std::function<void()> f) { m_beforeDropDown = std::move(f); }
    void showPopup() override {
        if (m_beforeDropDown)
            m_beforeDropDown();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_beforeDropDown;
};

} // namespace rinoza
