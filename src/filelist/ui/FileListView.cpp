#include "filelist/ui/FileListView.h"

#include "filelist/ui/FileListModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace rinoza {

namespace {

constexpr int kRemarks = FileListModel::ColRemarks;
static_assert(FileListView::Columns == FileListModel::ColumnCount);

// The widest of the ten digits, so that a sample of digits is as wide as any number in the font.
QChar widestDigit(const QFontMetrics& fm) {
    QChar widest = QLatin1Char('0');
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (fm.horizontalAdvance(QChar(d)) > fm.horizontalAdvance(widest))
            widest = QChar(d);
    return widest;
}

// What a cell of each column must show in full; empty where the designed width is enough.
QString sampleText(int column, QChar digit) {
    const auto digits = [digit](int n) { return QString(n, digit); };
    switch (column) {
    case FileListModel::ColName:
        return QStringLiteral("IMG_0000.JPG");
    case FileListModel::ColSize:
        return digits(7) + QStringLiteral("KB");
    case FileListModel::ColExt:
        return QStringLiteral("JPEG");
    case FileListModel::ColCreated:
    case FileListModel::ColUpdated:
    case FileListModel::ColAccessed:
        return digits(4) + QLatin1Char('/') + digits(2) + QLatin1Char('/') + digits(2) + QLatin1Char(' ') + digits(2) +
               QLatin1Char(':') + digits(2) + QLatin1Char(':') + digits(2);
    case FileListModel::ColAttr:
        return QStringLiteral("RHSA");
    default:
        return {};
    }
}

} // namespace

FileListView::FileListView(QWidget* parent) : QTableView(parent) {
    for (int c = 0; c < Columns; ++c)
        m_designed[static_cast<std::size_t>(c)] = FileListModel::designedColumnWidth(c);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &FileListView::sectionResized);
}

QString FileListView::emptyHint() {
    return QStringLiteral("ここにファイルをドロップするか、「検索」タブでファイルを検索してください。");
}

void FileListView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    connect(model, &QAbstractItemModel::rowsInserted, this, &FileListView::updateDescription);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FileListView::updateDescription);
    connect(model, &QAbstractItemModel::modelReset, this, &FileListView::updateDescription);
    fitColumns();
    updateDescription();
}

int FileListView::fittedColumnWidth(int column) const {
    if (column < 0 || column >= Columns)
        return 0;
    int width = m_designed[static_cast<std::size_t>(column)];
    if (column == FileListModel::ColFolder)
        return width;
    width = std::max(width, horizontalHeader()->sectionSizeHint(column));
    const QFontMetrics fm = fontMetrics();
    const QString sample = sampleText(column, widestDigit(fm));
    if (!sample.isEmpty()) {
        // The item's text margins as the style lays them out, and the row icon before a name.
        const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
        const int icon = column == FileListModel::ColName ? iconSize().width() + 4 : 0;
        width = std::max(width, fm.horizontalAdvance(sample) + margin + icon);
    }
    return width;
}

int FileListView::preferredWidth() const {
    int width = 0;
    for (int c = 0; c < Columns; ++c)
        width += c == kRemarks ? 0 : fittedColumnWidth(c);
    // The remarks column shows a new name like those of a camera's photos with a date added.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
    const int remarks =
        fontMetrics().horizontalAdvance(QStringLiteral("IMG_0000_2000-00-00.JPG")) + iconSize().width() + 4 + margin;
    width += std::max(fittedColumnWidth(kRemarks), remarks);
    return width + 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void FileListView::fitColumns() {
    if (!model())
        return;
    m_settingWidths = true;
    for (int c = 0; c < Columns; ++c) {
        if (m_userSized[static_cast<std::size_t>(c)])
            continue;
        if (c == kRemarks)
            m_remarksWidth = fittedColumnWidth(c);
        else
            setColumnWidth(c, fittedColumnWidth(c));
    }
    m_settingWidths = false;
    fillWithRemarks();
}

void FileListView::restoreColumnWidths(const Widths& stored) {
    m_settingWidths = true;
    for (int c = 0; c < Columns; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const int w = stored[i];
        if (w == NoWidth || w < 0 || w == m_designed[i])
            continue;
        m_userSized[i] = true;
        if (c == kRemarks)
            m_remarksWidth = w;
        else
            setColumnWidth(c, w);
    }
    m_settingWidths = false;
    fillWithRemarks();
}

FileListView::Widths FileListView::columnWidthsToStore() const {
    Widths widths{};
    for (int c = 0; c < Columns; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (!m_userSized[i])
            widths[i] = m_designed[i];
        else
            widths[i] = c == kRemarks ? m_remarksWidth : columnWidth(c);
    }
    return widths;
}

void FileListView::sectionResized(int column, int /*oldWidth*/, int newWidth) {
    if (m_settingWidths || column < 0 || column >= Columns)
        return;
    m_userSized[static_cast<std::size_t>(column)] = true;
    if (column == kRemarks)
        m_remarksWidth = newWidth;
    fillWithRemarks();
}

void FileListView::fillWithRemarks() {
    if (!model() || model()->columnCount() <= kRemarks)
        return;
    int others = 0;
    for (int c = 0; c < kRemarks; ++c)
        others += isColumnHidden(c) ? 0 : columnWidth(c);
    const int width = std::max(m_remarksWidth, viewport()->width() - others);
    if (columnWidth(kRemarks) == width)
        return;
    m_settingWidths = true;
    setColumnWidth(kRemarks, width);
    m_settingWidths = false;
}

void FileListView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fillWithRemarks();
}

void FileListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumns();
}

void FileListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!model() || model()->rowCount() > 0)
        return;
    QPainter p(viewport());
    p.setFont(font());
    p.setPen(palette().color(QPalette::PlaceholderText));
    const int margin = fontMetrics().height();
    // Centred in the part of the list in sight, however far it is scrolled sideways.
    p.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin), Qt::AlignCenter | Qt::TextWordWrap,
               emptyHint());
}

void FileListView::updateDescription() {
    const QString wanted = model() && model()->rowCount() == 0 ? emptyHint() : QString();
    if (accessibleDescription() != wanted)
        setAccessibleDescription(wanted);
}

} // namespace rinoza
