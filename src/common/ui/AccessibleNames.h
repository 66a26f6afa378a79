#pragma once

// Names that a screen reader says for the controls of a window. A label's buddy takes the label's
// caption; the controls that have no label of their own (the lists, the spin boxes, the date fields,
// the arrow buttons) take the names of one table here. An editable drop-down list and a spin box
// give their name to the text field inside them as well.

class QWidget;

namespace rinoza {

// Names every control below root that has no accessible name yet; names already set stay.
void applyAccessibleNames(QWidget* root);

} // namespace rinoza
