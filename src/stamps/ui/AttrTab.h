#pragma once

// The attribute tab: for read-only, archive, hidden and system a "change" box and a value box.

#include "common/Myfunction.h"

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

    // The change as the boxes show it: the bits whose change box is ticked, and which of them to set.
    AttrChange attrChange() const;

public slots:
    // Each value box is enabled exactly when its change box is ticked, btnAttrChg when at least one
    // change box is. Runs on every change of the boxes, so it also holds after start-up and after
    // the boxes were restored.
    void cbAttrClick();
};

} // namespace rinoza
