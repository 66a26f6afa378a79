#include "filelist/ui/FileListModel.h"

#include "common/TextCodec.h"

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

} // namespace

struct FileListModel::Impl {
    // Icons of painted rows, parallel to the rows; a null icon is not yet fetched.
    std::vector<QIcon> icons;
    // One icon per MIME type: rows of one type share the pixmaps.
    mutable std::unordered_map<std::string, QIcon> iconByMime;
    QMimeDatabase mimeDb;
};

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent), m_impl(new Impl) {
    m_list.setObserver(this);
}

FileListModel::~FileListModel() {
    m_list.setObserver(nullptr);
    delete m_impl;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_list.size();
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= ColumnCount)
        return {};
    const FileListRow& r = m_list.row(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColName: return qText(r.name);
        case ColFolder: return qText(r.folder);
        case ColSize: return QString::fromUtf8(r.sizeText());
        case ColExt: return QString::fromUtf8(r.extensionText());
        case ColCreated: return QString::fromUtf8(r.createdText());
        case ColUpdated: return QString::fromUtf8(r.updatedText());
        case ColAccessed: return QString::fromUtf8(r.accessedText());
        case ColAttr: return QString::fromUtf8(r.attributeText());
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
        (!r.mark.empty() || !r.note.empty())) {
        QString tip = QString::fromUtf8(r.mark);
        if (!r.note.empty()) {
            if (!tip.isEmpty())
                tip += QLatin1Char('\n');
            tip += QString::fromUtf8(r.note);
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

void FileListModel::appendRow(FileListRow row) {
    std::vector<FileListRow> one;
    one.push_back(std::move(row));
    appendRows(std::move(one));
}

void FileListModel::clear() {
    m_list.clear();
    m_impl->iconByMime.clear();
}

void FileListModel::dropAllIcons() {
    m_impl->iconByMime.clear();
    m_list.dropAllIcons();
}

void FileListModel::rowsAboutToBeInserted(int first, int last) {
    beginInsertRows({}, first, last);
}

void FileListModel::rowsInserted() {
    m_impl->icons.resize(static_cast<std::size_t>(m_list.size()));
    endInsertRows();
}

void FileListModel::rowsAboutToBeRemoved(int first, int last) {
    beginRemoveRows({}, first, last);
    m_impl->icons.erase(m_impl->icons.begin() + first, m_impl->icons.begin() + last + 1);
}

void FileListModel::rowsRemoved() {
    endRemoveRows();
}

void FileListModel::listAboutToBeReset() {
    beginResetModel();
}

void FileListModel::listReset() {
    // Fetched again for the rows painted next, from the cache by MIME type.
    m_impl->icons.assign(static_cast<std::size_t>(m_list.size()), QIcon());
    m_impl->icons.shrink_to_fit();
    endResetModel();
}

void FileListModel::listAboutToBeReordered() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::listReordered(const std::vector<int>& newPos) {
    std::vector<QIcon> icons(m_impl->icons.size());
    for (std::size_t i = 0; i < newPos.size() && i < icons.size(); ++i)
        icons[static_cast<std::size_t>(newPos[i])] = std::move(m_impl->icons[i]);
    m_impl->icons = std::move(icons);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from)
        to.append(index(newPos[static_cast<std::size_t>(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::rowsChanged(int first, int last, Part part) {
    switch (part) {
    case Part::Whole:
        // A row may name another file now: its icon is looked up again when painted.
        std::fill(m_impl->icons.begin() + first, m_impl->icons.begin() + last + 1, QIcon());
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
        break;
    case Part::Remarks:
        emit dataChanged(index(first, ColRemarks), index(last, ColRemarks));
        break;
    case Part::Icons:
        std::fill(m_impl->icons.begin() + first, m_impl->icons.begin() + last + 1, QIcon());
        emit dataChanged(index(first, ColName), index(last, ColName), {Qt::DecorationRole});
        break;
    }
}

} // namespace rinoza
