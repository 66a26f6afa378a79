// Taking every second of 30,000 rows out of the file list (the Del command), compared in
// the same run with Qt's own QItemSelectionModel::selectedRows() for that selection alone, which
// asks every row against every selected range; and inverting that selection, compared with Qt
// toggling every row in place.
//   filelist_remove [rows]

#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace rinoza;

namespace {

double ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct List {
    QWidget top;
    FileListController list{FileListHost{}, &top};

    explicit List(int n) {
        std::vector<FileListRow> rows(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            std::string& name = rows[static_cast<std::size_t>(i)].name;
            name = std::to_string(i);
            name += ".txt";
            rows[static_cast<std::size_t>(i)].folder = "/nowhere";
        }
        list.appendListedRows(std::move(rows));
        list.setRowsListed(true);
        list.view()->resize(600, 400);
        top.show();
        list.view()->setFocus();
        QItemSelection every2nd;
        for (int i = 0; i < n; i += 2)
            every2nd.select(list.model()->index(i, 0), list.model()->index(i, FileListModel::ColumnCount - 1));
        list.view()->selectionModel()->select(every2nd, QItemSelectionModel::Select);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 30000;
    using clock = std::chrono::steady_clock;

    List baseline(n);
    auto t0 = clock::now();
    const auto picked = baseline.list.view()->selectionModel()->selectedRows().size();
    const double qtMs = ms(clock::now() - t0);

    List del(n);
    t0 = clock::now();
    del.list.N2Click();
    const double delMs = ms(clock::now() - t0);

    List inv(n); // the same selection, inverted
    t0 = clock::now();
    inv.list.N11Click();
    const double invMs = ms(clock::now() - t0);

    List toggled(n); // the baseline: Qt toggling every row in place
    t0 = clock::now();
    toggled.list.view()->selectionModel()->select(
        QItemSelection(toggled.list.model()->index(0, 0),
                       toggled.list.model()->index(n - 1, FileListModel::ColumnCount - 1)),
        QItemSelectionModel::Toggle);
    const double toggleMs = ms(clock::now() - t0);

    std::printf("every 2nd of %d rows: Del %8.1f ms (%d rows left); Qt selectedRows() alone %8.1f ms (%lld rows); "
                "ratio %.3f\n",
                n, delMs, del.list.model()->rowCount(), qtMs, static_cast<long long>(picked), delMs / qtMs);
    std::printf("invert every 2nd of %d rows: N11 %8.1f ms (%lld selected); Qt Toggle of all rows %8.1f ms (%lld); "
                "ratio %.3f\n",
                n, invMs, static_cast<long long>(inv.list.view()->selectionModel()->selection().size()), toggleMs,
                static_cast<long long>(toggled.list.view()->selectionModel()->selection().size()), invMs / toggleMs);
    return 0;
}
