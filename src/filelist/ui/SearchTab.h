#pragma once

// The search tab: name pattern, folder, the two options and the four buttons.

#include <QWidget>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace rinoza {

class SearchTab : public QWidget {
    Q_OBJECT
public:
    explicit SearchTab(QWidget* parent = nullptr);

    QLabel* stxFndName = nullptr;
    QComboBox* cmbFndName = nullptr;
    QLabel* stxFnd = nullptr;
    // Folder history entries keep the folder's bytes in Qt::UserRole (a QByteArray) when the text shown
    // is not the bytes themselves; folderAt()/folderText() give the bytes.
    QComboBox* cmbFnd = nullptr;
    QPushButton* btnFnd = nullptr;
    QCheckBox* cbFnd = nullptr;
    QPushButton* btnStart = nullptr;
    QCheckBox* cbOpt = nullptr;
    QPushButton* btnStop = nullptr;
    // Clears the list; the main window connects it to its clear command.
    QPushButton* btnlvClr = nullptr;

    // Adds a folder (bytes) to the drop-down list of cmbFnd.
    void addFolderItem(const std::string& folder);
    // The bytes of drop-down entry i of cmbFnd, and of the text now in the field.
    std::string folderAt(int i) const;
    std::string folderText() const;
    void setFolderText(const std::string& folder);

public slots:
    // Handlers of the search; the search itself is built on top of these controls.
    void btnFndClick();
    void btnStartClick();
    void btnStopClick();

private:
    std::string m_folderBytes; // the bytes behind a folder text set by setFolderText
    QString m_folderShown;
};

} // namespace rinoza
