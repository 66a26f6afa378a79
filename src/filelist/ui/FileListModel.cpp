#include "filelist/ui/FileListModel.h"

#include "common/TextCodec.h"
#include "filelist/NameCollator.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>
#include <QMimeType>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace rinoza {

namespace {

constexpr int kWidths[FileListModel::ColumnCount] = {110, 100, 55, 50, 116, 116, 72, 50, 55};

QString qText(std::string_view bytes) { return QString::fromUtf8(displayText(bytes)); }

// The text a column sorts by (UTF-8); the size column sorts by number instead.
std::string columnSortText(const FileListRow& r, int column) {
    switch (column) {
    case FileListModel::ColName: return displayText(r.name);
    case FileListModel::ColFolder: return displayText(r.folder);
    case FileListModel::ColSize: return r.sizeText;
    case FileListModel::ColExt: return r.extensionText;
    case FileListModel::ColCreated: return r.createdText;
    case FileListModel::ColUpdated: return r.updatedText;
    case FileListModel::ColAccessed: return r.accessedText;
    case FileListModel::ColAttr: return r.attributeText;
    default: return displayText(r.remarks);
    }
}

} // namespace

struct FileListModel::Impl {
    NameCollator collator;
    // Icons of painted rows, parallel to m_rows; a null icon is not yet fetched.
    std::vector<QIcon> icons;
    // One icon per MIME type: rows of one type share the pixmaps.
    mutable std::unordered_map<std::string, QIcon> iconByMime;
    QMimeDatabase mimeDb;
    // full path -> last row with it; rebuilt on demand after any change of rows.
    mutable std::unordered_map<std::string, int> index;
    mutable bool indexValid = false;
};

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent), m_impl(new Impl) {}

FileListModel::~FileListModel() { delete m_impl; }

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= ColumnCount)
        return {};
    const FileListRow& r = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColName: return qText(r.name);
        case ColFolder: return qText(r.folder);
        case ColSize: return QString::fromUtf8(r.sizeText);
        case ColExt: return QString::fromUtf8(r.extensionText);
        case ColCreated: return QString::fromUtf8(r.createdText);
        case ColUpdated: return QString::fromUtf8(r.updatedText);
        case ColAccessed: return QString::fromUtf8(r.accessedText);
        case ColAttr: return QString::fromUtf8(r.attributeText);
        case ColRemarks: return qText(r.remarks);
        default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == ColSize)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (index.column() == ColRemarks && !r.mark.empty()) {
        // A foretold failure is told by an icon and in words, never by colour alone.
        if (role == Qt::DecorationRole && qobject_cast<QApplication*>(QCoreApplication::instance()))
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    }
    if (index.column() == ColRemarks && (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) &&
        (!r.mark.empty() || r.photoDate.usedUpdateTime)) {
        QString tip = QString::fromUtf8(r.mark);
        if (r.photoDate.usedUpdateTime) {
            if (!tip.isEmpty())
                tip += QLatin1Char('\n');
            tip += QString::fromUtf8(kNoDateTakenTip.data(), static_cast<qsizetype>(kNoDateTakenTip.size()));
        }
        return tip;
    }
    if (role == Qt::DecorationRole && index.column() == ColName && r.hasIcon) {
        QIcon& icon = m_impl->icons[static_cast<std::size_t>(index.row())];
        if (icon.isNull()) {
            // By name only: the list never reads file contents to paint.
            QMimeType mime = m_impl->mimeDb.mimeTypeForFile(qText(r.name), QMimeDatabase::MatchExtension);
            std::string key = mime.name().toStdString();
            auto it = m_impl->iconByMime.find(key);
            if (it == m_impl->iconByMime.end()) {
                QIcon found = QIcon::fromTheme(mime.iconName(),
                                               QIcon::fromTheme(mime.genericIconName(),
                                                                QIcon::fromTheme(QStringLiteral("text-x-generic"))));
                // Without an icon theme the style's plain file icon stands in, so every row still has one.
                if (found.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
                    found = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
                it = m_impl->iconByMime.emplace(std::move(key), found).first;
            }
            icon = it->second;
        }
        if (!icon.isNull())
            return icon;
        return {};
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ColumnCount] = {"ファイル", "フォルダー", "サイズ",   "拡張子", "作成日時",
                                                      "更新日時", "アクセス日", "属性", "備考"};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(captions[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment((section == ColSize ? Qt::AlignRight : Qt::AlignLeft) |
                                                 Qt::AlignVCenter));
    return {};
}

int FileListModel::designedColumnWidth(int column) {
    return column >= 0 && column < ColumnCount ? kWidths[column] : 0;
}

std::string FileListModel::fullPath(int i) const {
    const FileListRow& r = row(i);
    return joinPath(r.folder, r.name);
}

int FileListModel::findRow(const std::string& path) const {
    if (!m_impl->indexValid) {
        m_impl->index.clear();
        m_impl->index.reserve(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            m_impl->index[joinPath(m_rows[i].folder, m_rows[i].name)] = static_cast<int>(i);
        m_impl->indexValid = true;
    }
    auto it = m_impl->index.find(path);
    return it == m_impl->index.end() ? -1 : it->second;
}

void FileListModel::appendRows(std::vector<FileListRow> rows) {
    if (rows.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty()) {
        m_rows = std::move(rows);
    } else {
        m_rows.reserve(m_rows.size() + rows.size());
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    }
    m_impl->icons.resize(m_rows.size());
    if (m_impl->indexValid) {
        for (std::size_t i = static_cast<std::size_t>(first); i < m_rows.size(); ++i)
            m_impl->index[joinPath(m_rows[i].folder, m_rows[i].name)] = static_cast<int>(i);
    }
    endInsertRows();
}

void FileListModel::appendRow(FileListRow row) {
    std::vector<FileListRow> one;
    one.push_back(std::move(row));
    appendRows(std::move(one));
}

void FileListModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_impl->icons.clear();
    m_impl->icons.shrink_to_fit();
    m_impl->iconByMime.clear();
    m_impl->index.clear();
    m_impl->indexValid = false;
    endResetModel();
}

// Removes the rows whose keep flag is false: by contiguous ranges from the last when they are few
// (selection and scroll position survive), else by one reset.
static constexpr std::size_t kMaxRemoveRanges = 32;

void FileListModel::removeRowsAt(std::vector<int> rows) {
    std::vector<char> keep(m_rows.size(), 1);
    bool any = false;
    for (int r : rows) {
        if (r >= 0 && static_cast<std::size_t>(r) < m_rows.size()) {
            keep[static_cast<std::size_t>(r)] = 0;
            any = true;
        }
    }
    if (any)
        removeUnkept(keep);
}

void FileListModel::removeUnkept(const std::vector<char>& keep) {
    // Ranges [first, last] of rows to remove, in ascending order.
    std::vector<std::pair<int, int>> ranges;
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (keep[i])
            continue;
        if (!ranges.empty() && ranges.back().second + 1 == static_cast<int>(i))
            ranges.back().second = static_cast<int>(i);
        else
            ranges.emplace_back(static_cast<int>(i), static_cast<int>(i));
    }
    if (ranges.empty())
        return;
    m_impl->indexValid = false;
    m_impl->index.clear();
    auto compact = [&] {
        std::size_t out = 0;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (!keep[i])
                continue;
            if (out != i) {
                m_rows[out] = std::move(m_rows[i]);
                m_impl->icons[out] = std::move(m_impl->icons[i]);
            }
            ++out;
        }
        m_rows.resize(out);
        m_impl->icons.resize(out);
    };
    if (ranges.size() > kMaxRemoveRanges) {
        beginResetModel();
        compact();
        endResetModel();
        return;
    }
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        beginRemoveRows({}, it->first, it->second);
        m_rows.erase(m_rows.begin() + it->first, m_rows.begin() + it->second + 1);
        m_impl->icons.erase(m_impl->icons.begin() + it->first, m_impl->icons.begin() + it->second + 1);
        endRemoveRows();
    }
}

void FileListModel::setRow(int i, FileListRow row) {
    if (i < 0 || i >= rowCount())
        return;
    FileListRow& r = m_rows[static_cast<std::size_t>(i)];
    if (r.name != row.name || r.folder != row.folder) {
        m_impl->indexValid = false;
        m_impl->index.clear();
        m_impl->icons[static_cast<std::size_t>(i)] = QIcon();
    }
    r = std::move(row);
    emit dataChanged(index(i, 0), index(i, ColumnCount - 1));
}

void FileListModel::setRows(int first, std::span<const FileListRow> rows) {
    if (rows.empty() || first < 0 || static_cast<std::size_t>(first) + rows.size() > m_rows.size())
        return;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::size_t i = static_cast<std::size_t>(first) + k;
        FileListRow& r = m_rows[i];
        if (r.name != rows[k].name || r.folder != rows[k].folder) {
            m_impl->indexValid = false;
            m_impl->index.clear();
            m_impl->icons[i] = QIcon();
        }
        r = rows[k];
    }
    emit dataChanged(index(first, 0), index(first + static_cast<int>(rows.size()) - 1, ColumnCount - 1));
}

void FileListModel::rowsChangedInPlace(int first, int count) {
    count = std::min(count, rowCount() - first);
    if (count <= 0 || first < 0)
        return;
    emit dataChanged(index(first, 0), index(first + count - 1, ColumnCount - 1));
}

void FileListModel::setRemarks(int i, std::string remarks) {
    if (i < 0 || i >= rowCount())
        return;
    m_rows[static_cast<std::size_t>(i)].remarks = std::move(remarks);
    m_rows[static_cast<std::size_t>(i)].mark.clear();
    emit dataChanged(index(i, ColRemarks), index(i, ColRemarks));
}

void FileListModel::setRemarksRange(int first, std::vector<RemarksUpdate> updates) {
    if (first < 0 || updates.empty() || first + static_cast<int>(updates.size()) > rowCount())
        return;
    for (std::size_t k = 0; k < updates.size(); ++k) {
        FileListRow& r = m_rows[static_cast<std::size_t>(first) + k];
        r.remarks = std::move(updates[k].remarks);
        r.mark = std::move(updates[k].mark);
        r.photoDate = updates[k].photoDate;
    }
    emit dataChanged(index(first, ColRemarks), index(first + static_cast<int>(updates.size()) - 1, ColRemarks));
}

void FileListModel::clearMarks() {
    int firstMarked = -1, lastMarked = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].mark.empty())
            continue;
        m_rows[i].mark.clear();
        if (firstMarked < 0)
            firstMarked = static_cast<int>(i);
        lastMarked = static_cast<int>(i);
    }
    if (firstMarked >= 0)
        emit dataChanged(index(firstMarked, ColRemarks), index(lastMarked, ColRemarks));
}

int FileListModel::markedRowCount() const {
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const FileListRow& r) { return !r.mark.empty(); }));
}

int FileListModel::RemoveDuplicateRows() {
    std::vector<char> keep(m_rows.size(), 1);
    std::unordered_set<std::string> seen;
    seen.reserve(m_rows.size());
    int removed = 0;
    for (std::size_t i = m_rows.size(); i-- > 0;) {
        if (!seen.insert(joinPath(m_rows[i].folder, m_rows[i].name)).second) {
            keep[i] = 0;
            ++removed;
        }
    }
    if (removed)
        removeUnkept(keep);
    return removed;
}

int FileListModel::lvFileCompare(const FileListRow& a, const FileListRow& b) const {
    if (m_sortKey == 0)
        return 0;
    const int column = std::abs(m_sortKey) - 1;
    int r;
    if (column == ColSize) {
        int64_t ka = SizeKb(a.size), kb = SizeKb(b.size);
        r = ka < kb ? -1 : (ka > kb ? 1 : 0);
    } else {
        r = m_impl->collator.compare(columnSortText(a, column), columnSortText(b, column));
    }
    return m_sortKey < 0 ? -r : r;
}

void FileListModel::lvFileColumnClick(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    const int key = column + 1;
    m_sortKey = std::abs(m_sortKey) == key ? -m_sortKey : key;
    sortRows();
}

void FileListModel::sortRows() {
    if (m_sortKey == 0 || m_rows.size() < 2)
        return;
    const int column = std::abs(m_sortKey) - 1;
    const bool descending = m_sortKey < 0;
    const std::size_t n = m_rows.size();
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (column == ColSize) {
        std::vector<int64_t> kb(n);
        for (std::size_t i = 0; i < n; ++i)
            kb[i] = SizeKb(m_rows[i].size);
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return kb[x] > kb[y]; });
        else
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return kb[x] < kb[y]; });
    } else {
        // One collation key per row, then plain byte comparisons while sorting.
        std::vector<std::string> keys(n);
        for (std::size_t i = 0; i < n; ++i)
            keys[i] = m_impl->collator.sortKey(columnSortText(m_rows[i], column));
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return keys[y] < keys[x]; });
        else
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return keys[x] < keys[y]; });
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<FileListRow> rows(n);
    std::vector<QIcon> icons(n);
    std::vector<int> newPos(n);
    for (std::size_t i = 0; i < n; ++i) {
        rows[i] = std::move(m_rows[order[i]]);
        icons[i] = std::move(m_impl->icons[order[i]]);
        newPos[order[i]] = static_cast<int>(i);
    }
    m_rows = std::move(rows);
    m_impl->icons = std::move(icons);
    m_impl->indexValid = false;
    m_impl->index.clear();
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from)
        to.append(index(newPos[static_cast<std::size_t>(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::dropAllIcons() {
    for (auto& r : m_rows)
        r.hasIcon = false;
    std::fill(m_impl->icons.begin(), m_impl->icons.end(), QIcon());
    m_impl->iconByMime.clear();
    if (!m_rows.empty())
        emit dataChanged(index(0, ColName), index(rowCount() - 1, ColName), {Qt::DecorationRole});
}

} // namespace rinoza
