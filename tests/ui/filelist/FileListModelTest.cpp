#include "filelist/ui/FileListModel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QtTest>

using namespace rinoza;

namespace {

FileListRow makeRow(const std::string& folder, const std::string& name, int64_t size = 0,
                    const std::string& remarks = " ") {
    FileInfo info;
    info.name = name;
    info.size = size;
    info.attributes = AttrArchive;
    FileListRow r = makeFileListRow(info, folder, false);
    r.remarks = remarks;
    return r;
}

using Texts = std::vector<std::string>;

Texts column(const FileListModel& m, int col) {
    Texts out;
    for (int i = 0; i < m.rowCount(); ++i)
        out.push_back(m.data(m.index(i, col)).toString().toStdString());
    return out;
}

Texts mid(const Texts& t, std::size_t from, std::size_t n = 100) {
    return Texts(t.begin() + static_cast<long>(from), t.begin() + static_cast<long>(std::min(t.size(), from + n)));
}

} // namespace

class FileListModelTest : public QObject {
    Q_OBJECT
private slots:
    void columnsAndTexts();
    void sortingByNameAndSize();
    void sortingKeepsTiesAndPersistentIndexes();
    void duplicateRemovalKeepsTheNewestExactPath();
    void removeRowsAtAndClear();
    void icons();
    void rowThatTookTheUpdateTimeSaysSo();
};

void FileListModelTest::rowThatTookTheUpdateTimeSaysSo() {
    FileListModel m;
    FileListRow noDate = makeRow("/d", "plain.jpg");
    noDate.note = kNoDateTakenTip;
    FileListRow marked = noDate;
    marked.mark = "x:既に存在";
    m.appendRows({makeRow("/d", "taken.jpg"), noDate, marked});
    const QString tip = QString::fromUtf8(kNoDateTakenTip.data(), static_cast<qsizetype>(kNoDateTakenTip.size()));
    const int remarks = FileListModel::ColRemarks;
    QVERIFY(m.data(m.index(0, remarks), Qt::ToolTipRole).isNull());
    QVERIFY(m.data(m.index(1, FileListModel::ColName), Qt::ToolTipRole).isNull());
    QCOMPARE(m.data(m.index(1, remarks), Qt::ToolTipRole).toString(), tip);
    QCOMPARE(m.data(m.index(1, remarks), Qt::AccessibleDescriptionRole).toString(), tip);
    // Beside a foretold failure, both are said.
    QCOMPARE(m.data(m.index(2, remarks), Qt::ToolTipRole).toString(), QStringLiteral("x:既に存在\n") + tip);
}

void FileListModelTest::columnsAndTexts() {
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const char* captions[] = {"ファイル", "フォルダー", "サイズ", "拡張子", "作成日時",
                              "更新日時", "アクセス日", "属性",   "備考"};
    const int widths[] = {110, 100, 55, 50, 116, 116, 72, 50, 55};
    QCOMPARE(m.columnCount(), 9);
    for (int c = 0; c < 9; ++c) {
        QCOMPARE(m.headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(captions[c]));
        QCOMPARE(FileListModel::designedColumnWidth(c), widths[c]);
    }
    m.appendRows({makeRow("/data", "写真.JPG", 2048, "OK (変名前：\xff.jpg)"), makeRow("/", "a")});
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(m.data(m.index(0, 0)).toString(), QString::fromUtf8("写真.JPG"));
    QCOMPARE(m.data(m.index(0, 1)).toString(), QStringLiteral("/data"));
    QCOMPARE(m.data(m.index(0, 2)).toString(), QStringLiteral("2KB"));
    QCOMPARE(m.data(m.index(0, 3)).toString(), QStringLiteral("JPG"));
    QCOMPARE(m.data(m.index(0, 7)).toString(), QStringLiteral("      A"));
    QVERIFY(m.data(m.index(0, 8)).toString().startsWith(QString::fromUtf8("OK (変名前：")));
    QCOMPARE(m.data(m.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
             Qt::Alignment(Qt::AlignRight));
    QCOMPARE(m.fullPath(0), std::string("/data/写真.JPG"));
    QCOMPARE(m.fullPath(1), std::string("/a"));
    QCOMPARE(m.findRow("/a"), 1);
    QCOMPARE(m.findRow("/A"), -1);
    m.setRemarks(1, "x:2");
    QCOMPARE(m.data(m.index(1, 8)).toString(), QStringLiteral("x:2"));
}

void FileListModelTest::sortingByNameAndSize() {
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m.appendRows({makeRow("/d", "b.txt", 1500), makeRow("/d", "A.txt", 5000), makeRow("/d", "a.txt", 1800),
                  makeRow("/d", "c.txt", 0)});

    m.lvFileColumnClick(FileListModel::ColName);
    QCOMPARE(m.sortKey(), 1);
    // Case is significant: a.txt and A.txt are different and both come before b.txt.
    Texts names = column(m, 0);
    QCOMPARE(mid(names, 2), (Texts{"b.txt", "c.txt"}));
    QVERIFY((mid(names, 0, 2) == Texts{"a.txt", "A.txt"}) || (mid(names, 0, 2) == Texts{"A.txt", "a.txt"}));
    QVERIFY(m.lvFileCompare(m.row(0), m.row(1)) != 0);

    m.lvFileColumnClick(FileListModel::ColName);
    QCOMPARE(m.sortKey(), -1);
    QCOMPARE(mid(column(m, 0), 0, 2), (Texts{"c.txt", "b.txt"}));

    // Another column sorts ascending whatever the previous direction.
    m.lvFileColumnClick(FileListModel::ColSize);
    QCOMPARE(m.sortKey(), 3);
    QCOMPARE(column(m, 2), (Texts{"0KB", "1KB", "1KB", "4KB"}));
    m.lvFileColumnClick(FileListModel::ColSize);
    QCOMPARE(m.sortKey(), -3);
    QCOMPARE(column(m, 2), (Texts{"4KB", "1KB", "1KB", "0KB"}));

    // 1500 and 1800 bytes are both 1KB and compare equal.
    FileListRow small = makeRow("/d", "s", 1500), big = makeRow("/d", "t", 1800);
    QCOMPARE(m.lvFileCompare(small, big), 0);
    QVERIFY(m.lvFileCompare(makeRow("/d", "u", 3LL << 30), small) < 0); // descending: larger first

    // After a search the key is 0: nothing compares, and the next click on the same column ascends.
    m.setSortKey(0);
    QCOMPARE(m.lvFileCompare(small, makeRow("/d", "z", 99999)), 0);
    m.lvFileColumnClick(FileListModel::ColSize);
    QCOMPARE(m.sortKey(), 3);
}

void FileListModelTest::sortingKeepsTiesAndPersistentIndexes() {
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Equal by size (all 1KB) in a known order; stable sorting keeps it in both directions.
    std::vector<FileListRow> rows;
    for (int i = 0; i < 50; ++i)
        rows.push_back(makeRow("/d", "n" + std::to_string(i), 1024 + i * 10));
    rows.push_back(makeRow("/d", "big", 10 * 1024));
    m.appendRows(std::move(rows));
    QPersistentModelIndex big(m.index(50, 0));
    QPersistentModelIndex n7(m.index(7, 3));
    QSignalSpy layout(&m, &QAbstractItemModel::layoutChanged);

    m.lvFileColumnClick(FileListModel::ColSize); // ascending
    QCOMPARE(layout.count(), 1);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(m.row(i).name, "n" + std::to_string(i));
    m.lvFileColumnClick(FileListModel::ColSize); // descending: big first, ties still in their order
    QCOMPARE(m.row(0).name, std::string("big"));
    for (int i = 0; i < 50; ++i)
        QCOMPARE(m.row(i + 1).name, "n" + std::to_string(i));
    QCOMPARE(big.row(), 0);
    QCOMPARE(n7.row(), 8);
    QCOMPARE(n7.column(), 3);
    QCOMPARE(m.findRow("/d/big"), 0);
}

void FileListModelTest::duplicateRemovalKeepsTheNewestExactPath() {
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m.appendRows({makeRow("/d", "a.txt", 0, "old"), makeRow("/d", "A.txt"), makeRow("/e", "a.txt"),
                  makeRow("/d", "b.txt", 0, "old b")});
    m.appendRows(
        {makeRow("/d", "a.txt", 0, "new"), makeRow("/d", "b.txt", 0, "new b"), makeRow("/d", "a.txt", 0, "newest")});
    QCOMPARE(m.RemoveDuplicateRows(), 3);
    QCOMPARE(column(m, 8), (Texts{" ", " ", "new b", "newest"}));
    QCOMPARE(m.fullPath(0), std::string("/d/A.txt"));
    QCOMPARE(m.fullPath(1), std::string("/e/a.txt"));
    QCOMPARE(m.RemoveDuplicateRows(), 0);

    // Many scattered duplicates at once (removed by a reset rather than range by range).
    FileListModel big;
    QAbstractItemModelTester tester2(&big, QAbstractItemModelTester::FailureReportingMode::QtTest);
    std::vector<FileListRow> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back(makeRow("/d", "f" + std::to_string(i % 100), 0, std::to_string(i)));
    big.appendRows(std::move(rows));
    QCOMPARE(big.RemoveDuplicateRows(), 100);
    QCOMPARE(big.rowCount(), 100);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(big.row(i).remarks, std::to_string(100 + i));
}

void FileListModelTest::removeRowsAtAndClear() {
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    std::vector<FileListRow> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back(makeRow("/d", "f" + std::to_string(i)));
    m.appendRows(std::move(rows));
    m.removeRowsAt({9, 0, 3, 4, 3, 42, -1});
    QCOMPARE(column(m, 0), (Texts{"f1", "f2", "f5", "f6", "f7", "f8"}));
    QCOMPARE(m.findRow("/d/f5"), 2);
    QCOMPARE(m.findRow("/d/f4"), -1);
    m.setRow(0, makeRow("/x", "renamed"));
    QCOMPARE(m.findRow("/x/renamed"), 0);
    QCOMPARE(m.findRow("/d/f1"), -1);
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
    m.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m.rowCount(), 0);
}

void FileListModelTest::icons() {
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    FileListRow withIcon = makeRow("/d", "a.txt");
    withIcon.hasIcon = true;
    m.appendRows({withIcon, makeRow("/d", "b.txt")});
    QVERIFY(!m.data(m.index(1, 0), Qt::DecorationRole).isValid());
    QVERIFY(!m.data(m.index(0, 1), Qt::DecorationRole).isValid());
    m.data(m.index(0, 0), Qt::DecorationRole); // may be empty without an icon theme, but must not fail
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    m.dropAllIcons();
    QCOMPARE(changed.count(), 1);
    QVERIFY(!m.row(0).hasIcon);
    QVERIFY(!m.data(m.index(0, 0), Qt::DecorationRole).isValid());
}

QTEST_MAIN(FileListModelTest)
#include "FileListModelTest.moc"
