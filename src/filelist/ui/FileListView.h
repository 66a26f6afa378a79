#pragma once

// The view of the file list: its columns fitted to the font in use, the remarks column taking the
// width the others leave, and a hint painted in the empty list.

#include <QTableView>
#include <array>

namespace rinoza {

class FileListView : public QTableView {
    Q_OBJECT
public:
    static constexpr int Columns = 9;
    using Widths = std::array<int, Columns>;
    // A stored width that leaves the column at its fitted width.
    static constexpr int NoWidth = -9;

    explicit FileListView(QWidget* parent = nullptr);

    // Sets the model and fits every column to it.
    void setModel(QAbstractItemModel* model) override;

    // A column's designed width grown to what its caption and content need in the view's font (dates
    // and times in full, the largest sizes, every attribute letter); the folder column keeps its
    // designed width, the remarks column's is its least.
    int fittedColumnWidth(int column) const;
    // The width of a list that shows every column but the folder in full, with room for a new name in
    // the remarks column.
    int preferredWidth() const;

    // Stored widths: NoWidth, or the designed width (what the program wrote while the user kept the
    // columns as they were), leave the fitted width; any other is the user's and wins.
    void restoreColumnWidths(const Widths& stored);
    // What to store: the user's width for a column the user sized, else its designed width, so that
    // a settings file stays the same while nobody resizes a column. The remarks column's is the least
    // width it keeps, not the width it stretched to.
    Widths columnWidthsToStore() const;

    // The text painted in the empty list, also its accessible description while empty.
    static QString emptyHint();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitColumns();
    void sectionResized(int column, int oldWidth, int newWidth);
    // The remarks column takes what the other columns leave of the viewport, at least its own width.
    void fillWithRemarks();
    void updateDescription();

    Widths m_designed{};
    std::array<bool, Columns> m_userSized{};
    int m_remarksWidth = 0; // the least the remarks column keeps
    bool m_settingWidths = false;
};

} // namespace rinoza
