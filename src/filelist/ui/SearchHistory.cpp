#include "filelist/ui/SearchHistory.h"

#include <QComboBox>

namespace rinoza {

namespace {

void trim(QComboBox* combo) {
    while (combo->count() > kSearchHistoryMax)
        combo->removeItem(combo->count() - 1);
}

// Moves entry `from` to the top, keeping its text and data.
void moveToTop(QComboBox* combo, int from) {
    if (from == 0)
        return;
    const QString text = combo->itemText(from);
    const QVariant data = combo->itemData(from);
    combo->removeItem(from);
    combo->insertItem(0, text, data);
}

} // namespace

void recordPatternHistory(QComboBox* combo, const QString& text) {
    int found = -1;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found < 0)
        combo->insertItem(0, text);
    else
        moveToTop(combo, found);
    trim(combo);
    // Either way entry 0 now holds the text the field must show.
    combo->setCurrentIndex(0);
    combo->setEditText(combo->itemText(0));
}

} // namespace rinoza
