#pragma once

// The date and time tab: two blocks (creation, update), each a check box, a date and a time button
// and five fixed drop-down lists (year, month, day, hour, minute) whose first entry keeps the file's value.

#include "common/Myfunction.h"

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
class Clock;

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

    // The change as the controls show it: the two check boxes and the ten fields as numbers.
    TimeChange timeChange() const;

    // Where the date and time buttons take "now" from (not owned); null is the system clock.
    void setClock(const Clock* clock) { m_clock = clock; }

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
    // The date and time buttons and fields of a block are enabled exactly when its check box is
    // ticked, btnDateTimeChg when at least one is. Runs on every change of the boxes, so it also
    // holds after start-up and after the boxes were restored.
    void cbCrtUpdClick();
    // Click handler of btnCrtD, btnCrtT, btnUpdD and btnUpdT (tags 1 to 4): puts the clock's date or
    // time into that block's fields (the placeholder where a value has no entry), then leaves no
    // control of the window with the focus.
    void btnTimeClick();

private:
    std::optional<std::array<DateFieldTexts, 2>> m_held;

    void putNow(int tag);

    QGroupBox* buildBlock(const QString& prefix, QCheckBox*& check, const QString& checkText, QPushButton*& dateBtn,
                          const QString& dateText, int dateTag, QPushButton*& timeBtn, const QString& timeText,
                          int timeTag, std::array<QComboBox*, 5>& fields);

    const Clock* m_clock = nullptr;
};

} // namespace rinoza
