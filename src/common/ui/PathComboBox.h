#pragma once

// An editable drop-down list of folders (the search folder, the copy and move destination). Entries
// carry the folder's bytes; the text shown is those bytes decoded for display, and text the user
// types names the folder spelled so (QFile::encodeName). pathText() is the one rule that turns the
// field back into bytes: the bytes of the selected entry while the field shows it, the bytes last put
// into the field while it still shows them, else the typed text.

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

namespace rinoza {

class PathComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PathComboBox(QWidget* parent = nullptr);

    void addPath(const std::string& path);
    std::string pathAt(int i) const;
    std::vector<std::string> paths() const;

    // The field shows `path`; pathText() gives these bytes until the user edits the field.
    void setPathText(const std::string& path);
    std::string pathText() const;

    // Records `path` at the top of the history: an entry with exactly these bytes moves there and the
    // field shows it; otherwise the path is inserted and the field keeps what it shows. At most
    // `maxEntries` entries stay.
    void recordPath(const std::string& path, int maxEntries);
    // Replaces every entry; the field keeps what it shows.
    void setPaths(const std::vector<std::string>& paths);

    // The bytes of text typed by the user.
    static std::string typedPath(const QString& text);
    static QString shownPath(const std::string& path);

    // Runs right before the list opens (the confirmation dialog widens its list there).
    void setBeforeDropDown(std::function<void()> f) { m_beforeDropDown = std::move(f); }
    void showPopup() override;

private:
    std::string m_fieldBytes;
    QString m_fieldShown;
    std::function<void()> m_beforeDropDown;
};

} // namespace rinoza
