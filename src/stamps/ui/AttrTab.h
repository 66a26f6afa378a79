#pragma once

// The attribute tab: for read-only, archive, hidden and system a "change" box and a value box.

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace rinoza {

class IniFile;

class AttrTab : public QWidget {
    Q_OBJECT
public:
    explicit AttrTab(QWidget* parent = nullptr);

    QGroupBox* gbAttr = nullptr;
    QCheckBox* cbAttrRS = nullptr;
    QCheckBox* cbAttrR = nullptr;
    QCheckBox* cbAttrAS = nullptr;
    QCheckBox* cbAttrA = nullptr;
    QCheckBox* cbAttrHS = nullptr;
    QCheckBox* cbAttrH = nullptr;
    QCheckBox* cbAttrSS = nullptr;
    QCheckBox* cbAttrS = nullptr;
    QPushButton* btnAttrChg = nullptr;

    // Section Attr: the eight check marks.
    void restoreState(const IniFile& ini);
    void saveState(IniFile& ini) const;

public slots:
    // Handler of the four change boxes; built on top of these controls.
    void cbAttrClick();
};

} // namespace rinoza
