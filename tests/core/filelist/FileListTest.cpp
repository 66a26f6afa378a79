// The file list's own rules, without a view: which rows stay when files come again, what the listed
// count says, and what an observer is told.

#include "filelist/FileList.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace rinoza;

namespace {

FileListRow rowOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    FileInfo info;
    info.name = path.substr(slash + 1);
    FileListRow r = makeFileListRow(info, slash == 0 ? "/" : path.substr(0, slash), false);
    return r;
}

std::string names(const FileList& list) {
    std::string out;
    for (const FileListRow& r : list.rows())
        out += (out.empty() ? "" : " ") + r.name;
    return out;
}

// Steps: "s:a,b" a search batch, "a:x" an added path, "[" and "]" a batch of added paths, "d" the
// duplicate removal after a search, "x:i" rows taken out, "c" clear.
void play(FileList& list, const std::string& steps) {
    std::istringstream in(steps);
    std::string step;
    while (in >> step) {
        const std::string arg = step.size() > 2 ? step.substr(2) : std::string();
        std::vector<std::string> parts;
        for (std::size_t p = 0; p <= arg.size();) {
            const std::size_t q = std::min(arg.find(',', p), arg.size());
            if (q > p)
                parts.push_back(arg.substr(p, q - p));
            p = q + 1;
        }
        if (step[0] == 's') {
            std::vector<FileListRow> rows;
            for (const std::string& n : parts)
                rows.push_back(rowOf("/d/" + n));
            list.appendListed(std::move(rows));
        } else if (step[0] == 'a') {
            list.addRow(rowOf("/d/" + arg));
        } else if (step == "[") {
            list.beginAddBatch();
        } else if (step == "]") {
            list.endAddBatch();
        } else if (step == "d") {
            list.removeDuplicateRows();
        } else if (step[0] == 'x') {
            std::vector<int> at;
            for (const std::string& n : parts)
                at.push_back(std::stoi(n));
            list.removeRowsAt(at);
        } else if (step == "c") {
            list.clear();
        }
    }
}

} // namespace

TEST(FileList, RowsThatComeAgainAndTheListedCount) {
    const struct {
        const char* steps;
        const char* rows;
        int32_t listed;
    } cases[] = {
        {"s:a,b s:c", "a b c", 3},
        {"s:a,b s:b,c d", "a b c", 3}, // the newest row of b stays (the second search's)
        {"s:a,b a:a", "b a", 2},       // an added path replaces its earlier row, at the end
        {"a:a a:b a:a", "b a", 2},
        {"s:a,b [ a:c a:a a:c ]", "b a c", 3}, // a batch: rows in the order of their last occurrence
        {"s:a,b [ a:c a:a ] a:b", "c a b", 3},
        {"s:a,b,c x:0,2,7", "b", 3}, // rows taken out still count; a row out of range is passed over
        {"s:a,b x:1 c s:c", "c", 1},
        {"[ ]", "", 0},
        {"[ a:b a:a ]", "b a", 2}, // no path twice: the rows as they came
        {"s:a [ a:c a:b ]", "a c b", 3},
        {"[ a:a a:b a:a a:c a:a ] a:b", "c a b", 3}, // a path three times in one batch
    };
    for (const auto& c : cases) {
        FileList list;
        play(list, c.steps);
        EXPECT_EQ(names(list), c.rows) << c.steps;
        EXPECT_EQ(list.listedCount(), c.listed) << c.steps;
        for (int i = 0; i < list.size(); ++i)
            EXPECT_EQ(list.findRow(list.fullPath(i)), i) << c.steps;
    }
}

TEST(FileList, ALargeBatchKeepsEachPathsLastRowInOrder) {
    // More paths than a batch makes room for at first, each coming up to three times.
    const struct {
        int paths;
        int distinct;
        std::size_t expected;
    } cases[] = {{500, 500, 0}, {500, 170, 0}, {500, 170, 500}, {90, 30, 10}};
    for (const auto& c : cases) {
        FileList list;
        list.appendListed({rowOf("/d/f7"), rowOf("/e/f7")});
        list.beginAddBatch(c.expected);
        std::vector<std::string> want{"e/f7"};
        for (int i = 0; i < c.paths; ++i)
            list.addRow(rowOf("/d/f" + std::to_string(i * 7 % c.distinct)));
        list.endAddBatch();
        for (int i = c.paths - c.distinct; i < c.paths; ++i)
            want.push_back("d/f" + std::to_string(i * 7 % c.distinct));
        std::vector<std::string> got;
        for (int i = 0; i < list.size(); ++i)
            got.push_back(list.fullPath(i).substr(1));
        EXPECT_EQ(got, want) << c.paths << " " << c.distinct;
        EXPECT_EQ(list.listedCount(), c.distinct + 1) << c.paths << " " << c.distinct;
    }
}

namespace {

// Writes every notification as a word, and checks that each "about to" is followed by its "done"
// with the rows as announced.
struct Recorder final : FileListObserver {
    const FileList& list;
    std::string log;
    int expectedSize = 0;
    explicit Recorder(const FileList& l) : list(l) {}
    void add(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
    void rowsAboutToBeInserted(int first, int last) override {
        EXPECT_EQ(first, list.size());
        expectedSize = last + 1;
        add("insert:" + std::to_string(first) + "-" + std::to_string(last));
    }
    void rowsInserted() override { EXPECT_EQ(list.size(), expectedSize); }
    void rowsAboutToBeRemoved(int first, int last) override {
        expectedSize = list.size() - (last - first + 1);
        add("remove:" + std::to_string(first) + "-" + std::to_string(last));
    }
    void rowsRemoved() override { EXPECT_EQ(list.size(), expectedSize); }
    void listAboutToBeReset() override { add("reset"); }
    void listReset() override {}
    void listAboutToBeReordered() override {}
    void listReordered(const std::vector<int>& newPosition) override {
        std::string order;
        for (int p : newPosition)
            order += std::to_string(p);
        add("order:" + order);
    }
    void rowsChanged(int first, int last, Part part) override {
        add(std::string(part == Part::Whole     ? "row"
                        : part == Part::Remarks ? "remarks"
                                                : "icons") +
            ":" + std::to_string(first) + "-" + std::to_string(last));
    }
};

} // namespace

TEST(FileList, AnObserverHearsOfEveryChange) {
    FileList list;
    Recorder rec(list);
    list.setObserver(&rec);
    play(list, "s:b,a,c a:b");
    list.sortByColumn(ColName);
    list.setRemarksRange(1, {{"r1", "x:同一名", ""}, {"r2", "", ""}});
    list.clearMarks();
    list.clearMarks(); // nothing marked any more: nothing to tell
    list.setRow(0, rowOf("/d/z"));
    list.dropAllIcons();
    EXPECT_EQ(rec.log, "insert:0-2 insert:3-3 remove:0-0 order:021 remarks:1-2 remarks:1-1 row:0-0 icons:0-2");
    EXPECT_EQ(names(list), "z b c");

    // Many separate runs of rows go as one reset.
    rec.log.clear();
    std::vector<FileListRow> many;
    for (int i = 0; i < 100; ++i)
        many.push_back(rowOf("/e/" + std::to_string(i)));
    list.appendListed(std::move(many));
    std::vector<int> everyOther;
    for (int i = 0; i < 80; i += 2)
        everyOther.push_back(3 + i);
    list.removeRowsAt(everyOther);
    EXPECT_EQ(rec.log, "insert:3-102 reset");
    EXPECT_EQ(list.size(), 63);
    EXPECT_EQ(list.row(3).name, "1");
}
