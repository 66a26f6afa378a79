#pragma once

class QComboBox;
class QString;

namespace rinoza {

// Selects the first entry whose text equals `text` exactly (letter case counting); when no entry
// equals it, selects the first entry. An empty list stays without a selection.
void SelectComboItem(QComboBox* combo, const QString& text);

} // namespace rinoza
