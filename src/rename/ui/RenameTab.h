#pragma once

// The rename tab: the example group gbRei, the rule group gbChg whose controls are the rule set
// itself, and the four buttons, whose handlers belong to the run, undo, preview and preset controllers.

#include "rename/NameBuilder.h"
#include "rename/RenameRuleSet.h"
#include "rename/RuleSetStore.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace rinoza {

class FileSystem;

class IniFile;
class NumberSpinBox;

class RenameTab : public QWidget {
    Q_OBJECT
public:
    // The clock gives "now" to the example; fs gives the files' dates. Both must outlive the tab.
    RenameTab(FileSystem& fs, const Clock& clock, QWidget* parent = nullptr);
    ~RenameTab() override;

    void setClock(const Clock& clock);

    // The rule set as the controls hold it now. The start number is not part of it: callers read it
    // with renStartText() and convert it with ParseWholeNumber, as UpdateExample does.
    RenameRuleSet currentRuleSet() const;
    // Puts a rule set into the controls (element list rebuilt, fields set); the change handlers run
    // as for a user's edit, so the enabled states and the example follow.
    void applyRuleSet(const RenameRuleSet& rules);

    // The rule with the start number and the example name, as the settings file and presets keep it.
    StoredRuleSet storedRuleSet() const;
    void applyStoredRuleSet(const StoredRuleSet& stored);
    // Section RenameFunction: read at start-up, erased and written afresh at close.
    void restoreState(const IniFile& ini);
    void saveState(IniFile& ini) const;

    // The start field's text; while it is empty, the number in force.
    QString renStartText() const;
    void setRenStart(int value);

    // The one name builder of the window; callers pass the rule set and SerialCounter.
    const NameBuilder& nameBuilder() const { return *m_builder; }
    // Where the files and the settings are.
    FileSystem& fileSystem() const { return m_fs; }

    // The serial number that element 4 writes next. Every caller of BuildNewName sets it from the start
    // field before its first call (UpdateExample, the result preview, the run).
    int32_t SerialCounter = 0;

    // Example group.
    QGroupBox* gbRei = nullptr;
    QLineEdit* edtReiBefore = nullptr;
    QLabel* lblRei = nullptr;
    QLineEdit* edtReiAfter = nullptr;

    // Rule group.
    QGroupBox* gbChg = nullptr;
    QListWidget* lvChg = nullptr;
    QToolButton* bbtnUp = nullptr;
    QToolButton* bbtnDown = nullptr;
    QLabel* lblKotei1 = nullptr;
    QLineEdit* edtKotei1 = nullptr;
    QLabel* lblMotoF = nullptr;
    NumberSpinBox* udMotoFS = nullptr;
    QLabel* lblMotoFH = nullptr;
    NumberSpinBox* udMotoFE = nullptr;
    QLabel* lblKotei2 = nullptr;
    QLineEdit* edtKotei2 = nullptr;
    QLabel* lblRenKeta = nullptr;
    QComboBox* cbRenKeta = nullptr;
    QLabel* lblRenStart = nullptr;
    NumberSpinBox* udRenStart = nullptr;
    QLabel* lblRenAdd = nullptr;
    NumberSpinBox* udRenAdd = nullptr;
    QLabel* lblKoteiK = nullptr;
    QLineEdit* edtKoteiK = nullptr;
    QLabel* lblDateTime = nullptr;
    QComboBox* cbDateTime = nullptr;
    QLabel* lblDateK = nullptr;
    QLineEdit* edtDateK = nullptr;
    QLabel* lblTimeK = nullptr;
    QLineEdit* edtTimeK = nullptr;
    QLabel* lblCase = nullptr;
    QComboBox* cbCase = nullptr;
    QLabel* lblChgB = nullptr;
    QLineEdit* edtChgB = nullptr;
    QLabel* lblChg = nullptr;
    QLineEdit* edtChgA = nullptr;
    QCheckBox* cbChgRegex = nullptr;  // the replacement searches by a regular expression
    QCheckBox* cbRenFolder = nullptr; // one serial counter per folder
    QLabel* lblWidth = nullptr;
    QComboBox* cbWidth = nullptr; // WidthConversion
    QLabel* lblKana = nullptr;
    QComboBox* cbKana = nullptr; // KanaConversion
    QCheckBox* cbNfc = nullptr;  // the new name in Unicode NFC

    // Buttons; the main window connects them to its handlers.
    QPushButton* btnCnvStart = nullptr;
    QPushButton* btnAns = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnAndo = nullptr;

public slots:
    // Recomputes the enabled state of every element's controls from the tick marks, then the example.
    void lvChgChange();
    // Rebuilds the example's new name. When the start field is not a whole number, says so and keeps
    // the previous example; a rule that cannot build names (an invalid regular expression) shows its
    // error in place of the name.
    void UpdateExample();
    void edtReiBeforeChange();
    // Text fields that become part of a name: characters file names cannot hold are removed, with a
    // message while the field shows red; then the example. A regular expression is no part of a name:
    // its field keeps every character, and its replacement keeps the backslash that escapes "$".
    void edtKoteiChange();
    // Slice bounds: a reversed slice is marked red; then the example.
    void edtChgChange();
    // Serial number fields: the example.
    void edtRenChange();
    // Drop-down lists and check boxes: the example.
    void cbChange();
    void bbtnUpClick();
    void bbtnDownClick();
    // Moves the element at `from` to `to` (positions from 0), keeping its caption and tick; the moved
    // entry becomes the selected one.
    void MoveElement(int from, int to);
    // A drop of the selected entry at a point of lvChg's viewport: moves it to the entry under the
    // point. A point beside the entries, or no selected entry, changes nothing.
    void lvChgDragDrop(const QPoint& viewportPos);

signals:
    // After every UpdateExample: the rule, the start number or the example name may have changed.
    void ruleChanged();

protected:
    // lvChg's viewport: only its own entries may be dragged over it and dropped on it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void showExample();
    void setFieldRed(QWidget* field, bool red);

    FileSystem& m_fs;
    const Clock* m_clock;
    std::unique_ptr<NameBuilder> m_builder;
    // The controls that follow each element's tick mark, by element number 1..9.
    std::array<std::vector<QWidget*>, 10> m_elementControls;
};

} // namespace rinoza
