#include "common/ui/ComboUtil.h"

#include <QComboBox>

namespace rinoza {

void SelectComboItem(QComboBox* combo, const QString& text) {
    if (combo->count() == 0)
        return;
    // findText with MatchExactly|MatchCaseSensitive would also do, but its matching flags have
    // changed meaning between Qt versions; compare the texts ourselves.
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == text) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(0);
}

} // namespace rinoza
