#pragma once

// A small window holding the file list alone, with its status text, for the list command tests.

#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <string>
#include <vector>

namespace rinoza::test {

struct ListWindow {
    QWidget top;
    QString status = QStringLiteral("before");
    FileListController list{host(), &top};
    QTableView* lvFile = list.view();
    FileListModel& model = *list.model();

    FileListHost host() {
        FileListHost h;
        h.fileSystem = &systemFileSystem();
        h.setStatus = [this](const QString& s) { status = s; };
        h.displaySettings = [] { return DisplaySettings{}; };
        return h;
    }

    // Shown, active, the focus in the list.
    bool open() {
        auto* layout = new QVBoxLayout(&top);
        layout->addWidget(lvFile);
        top.show();
        top.activateWindow();
        if (!QTest::qWaitForWindowActive(&top))
            return false;
        lvFile->setFocus();
        QApplication::processEvents();
        return QApplication::focusWidget() == lvFile;
    }
    // Lists the files as dropped ones are listed (the context menu comes on).
    void add(const std::vector<std::string>& paths) {
        for (const auto& p : paths)
            list.AddDroppedPath(p);
    }
    void select(const std::vector<int>& rows) {
        lvFile->clearSelection();
        for (int r : rows)
            lvFile->selectionModel()->select(model.index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& r : model.rows())
            out.push_back(r.name);
        return out;
    }
    static void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
    }
};

} // namespace rinoza::test
