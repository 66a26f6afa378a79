#pragma once

// The drop-down histories of the search tab: most recent first, at most 20 entries.
//   - the name pattern list compares texts ignoring letter case, and a stored entry keeps its form;
//   - the folder list compares the folders' bytes exactly (two folders that differ only in letter
//     case are two folders here). Folder entries carry their bytes as a QByteArray in Qt::UserRole
//     and show the display text of those bytes.

#include <QString>
#include <string>

class QComboBox;

namespace rinoza {

inline constexpr int kSearchHistoryMax = 20;

// Records `text` in a pattern history: an entry equal to it ignoring case moves to the top and the
// field shows that entry's text; otherwise the text is inserted at the top and the field keeps it.
void recordPatternHistory(QComboBox* combo, const QString& text);

// Records the folder `bytes` in a folder history: an entry with exactly these bytes moves to the top
// and the field shows it; otherwise the folder is inserted at the top and the field keeps its text.
void recordFolderHistory(QComboBox* combo, const std::string& bytes);

// The bytes of folder entry i: its Qt::UserRole bytes, else the entry's text as a file name.
std::string folderEntryBytes(const QComboBox* combo, int i);

// The bytes of the folder text in the field: the bytes of the entry whose text it is, else the
// typed text as a file name.
std::string folderFieldBytes(const QComboBox* combo);

} // namespace rinoza
