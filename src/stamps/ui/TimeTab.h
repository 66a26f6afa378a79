#pragma once

// The date and time tab: two blocks (creation, update), each a check box, a date and a time button
// and five fixed drop-down lists (year, month, day, hour, minute) whose first entry keeps the file's value.

#include <QWidget>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace rinoza {

class IniFile;
struct LocalDateTime;

// The five texts of one block: year, month, day, hour, minute.
using DateFieldTexts = std::array<QString, 5>;

class TimeTab : public QWidget {
    Q_OBJECT
public:
    explicit TimeTab(QWidget* parent = nullptr);

    // Fills the ten lists ("----"/"--" then the numbers without leading zeros) and selects in each the
    // entry equal to the given text, the placeholder when none is.
    void fillDateLists(const DateFieldTexts& crt, const DateFieldTexts& upd);
    DateFieldTexts crtTexts() const;
    DateFieldTexts updTexts() const;

    // Section Time: the two check boxes are set at once; the ten texts are held until the lists are
    // filled by fillDateLists(now), whose texts of `now` stand in for any not read.
    void restoreState(const IniFile& ini, const LocalDateTime& now);
    void fillDateLists(const LocalDateTime& now);
    void saveState(IniFile& ini) const;

    QGroupBox* gbTime = nullptr;
    QCheckBox* cbCrt = nullptr;
    QPushButton* btnCrtD = nullptr;
    QPushButton* btnCrtT = nullptr;
    std::array<QComboBox*, 5> crtFields{}; // cbCrtY, cbCrtM, cbCrtD, cbCrtH, cbCrtN
    QCheckBox* cbUpd = nullptr;
    QPushButton* btnUpdD = nullptr;
    QPushButton* btnUpdT = nullptr;
    std::array<QComboBox*, 5> updFields{}; // cbUpdY, cbUpdM, cbUpdD, cbUpdH, cbUpdN
    QPushButton* btnDateTimeChg = nullptr;

public slots:
    // Handlers of the timestamp change; built on top of these controls.
    void cbCrtUpdClick();
    void btnTimeClick();

private:
    std::optional<std::array<DateFieldTexts, 2>> m_held;
    QGroupBox* buildBlock(const QString& prefix, QCheckBox*& check, const QString& checkText, QPushButton*& dateBtn,
                          const QString& dateText, int dateTag, QPushButton*& timeBtn, const QString& timeText,
                          int timeTag, std::array<QComboBox*, 5>& fields);
};

} // namespace rinoza
