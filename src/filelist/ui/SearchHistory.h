#pragma once

// The drop-down histories of the search tab: most recent first, at most 20 entries. The name
// pattern list compares texts ignoring letter case, and a stored entry keeps its form; the folder
// list (a PathComboBox) compares the folders' bytes exactly.

#include <QString>

class QComboBox;

namespace rinoza {

inline constexpr int kSearchHistoryMax = 20;

// Records `text` in a pattern history: an entry equal to it ignoring case moves to the top and the
// field shows that entry's text; otherwise the text is inserted at the top and the field keeps it.
void recordPatternHistory(QComboBox* combo, const QString& text);

} // namespace rinoza
