#include "filelist/ui/SearchHistory.h"

#include "common/TextCodec.h"

#include <QByteArray>
#include <QComboBox>
#include <QFile>

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

void recordFolderHistory(QComboBox* combo, const std::string& bytes) {
    const QString typed = combo->currentText();
    int found = -1;
    for (int i = 0; i < combo->count(); ++i) {
        if (folderEntryBytes(combo, i) == bytes) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
        combo->insertItem(0, QString::fromUtf8(displayText(bytes)), raw);
    } else {
        moveToTop(combo, found);
    }
    trim(combo);
    combo->setCurrentIndex(0);
    combo->setEditText(found < 0 ? typed : combo->itemText(0));
}

std::string folderEntryBytes(const QComboBox* combo, int i) {
    const QVariant raw = combo->itemData(i);
    if (raw.typeId() == QMetaType::QByteArray)
        return raw.toByteArray().toStdString();
    return QFile::encodeName(combo->itemText(i)).toStdString();
}

std::string folderFieldBytes(const QComboBox* combo) {
    const QString text = combo->currentText();
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text)
            return folderEntryBytes(combo, i);
    return QFile::encodeName(text).toStdString();
}

} // namespace rinoza
