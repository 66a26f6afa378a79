#include "common/ui/PathComboBox.h"

#include "common/TextCodec.h"

#include <QByteArray>
#include <QFile>
#include <QLineEdit>

#include <algorithm>

namespace rinoza {

namespace {

QByteArray raw(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

PathComboBox::PathComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setMaxVisibleItems(10);
    setInsertPolicy(QComboBox::NoInsert);
}

std::string PathComboBox::typedPath(const QString& text) { return QFile::encodeName(text).toStdString(); }

QString PathComboBox::shownPath(const std::string& path) { return QString::fromUtf8(displayText(path)); }

void PathComboBox::addPath(const std::string& path) { addItem(shownPath(path), raw(path)); }

std::string PathComboBox::pathAt(int i) const {
    const QVariant data = itemData(i);
    if (data.typeId() == QMetaType::QByteArray)
        return data.toByteArray().toStdString();
    return typedPath(itemText(i));
}

std::vector<std::string> PathComboBox::paths() const {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i)
        out.push_back(pathAt(i));
    return out;
}

void PathComboBox::setPathText(const std::string& path) {
    m_fieldBytes = path;
    m_fieldShown = shownPath(path);
    setEditText(m_fieldShown);
}

std::string PathComboBox::pathText() const {
    const QString text = currentText();
    const int selected = currentIndex();
    if (selected >= 0 && itemText(selected) == text)
        return pathAt(selected);
    if (text == m_fieldShown)
        return m_fieldBytes;
    // Typed text names the folder spelled so, even when a remembered folder whose name is not UTF-8
    // looks the same on screen.
    return typedPath(text);
}

void PathComboBox::setPaths(const std::vector<std::string>& list) {
    const std::string field = pathText();
    clear();
    for (const std::string& p : list)
        addPath(p);
    setCurrentIndex(-1);
    setPathText(field);
}

void PathComboBox::recordPath(const std::string& path, int maxEntries) {
    if (path.empty())
        return;
    std::vector<std::string> list = paths();
    std::string field = pathText();
    const auto at = std::find(list.begin(), list.end(), path);
    if (at != list.end()) {
        field = *at;
        list.erase(at);
    }
    list.insert(list.begin(), path);
    if (list.size() > static_cast<std::size_t>(maxEntries))
        list.resize(static_cast<std::size_t>(maxEntries));
    clear();
    for (const std::string& p : list)
        addPath(p);
    // The field shows entry 0 when it names that folder, so choosing nothing keeps the same bytes.
    if (field == list.front()) {
        setCurrentIndex(0);
        m_fieldBytes = field;
        m_fieldShown = itemText(0);
    } else {
        setCurrentIndex(-1);
        setPathText(field);
    }
}

void PathComboBox::showPopup() {
    if (m_beforeDropDown)
        m_beforeDropDown();
    QComboBox::showPopup();
}

} // namespace rinoza
