#include "filelist/SearchWalk.h"
#include "filelist/AddedPaths.h"
#include "platform/posix/PosixFileSystem.h"

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace rinoza {
namespace {

using test::makeDirs;
using test::TempDir;
using test::writeFile;

struct Collected {
    std::vector<FileListRow> rows;
    int batches = 0;
    int limitCalls = 0;
    int pumps = 0;
    std::vector<std::string> folders;
};

SearchCallbacks collectInto(Collected& c) {
    SearchCallbacks cb;
    cb.rows = [&c](std::vector<FileListRow>&& rows) {
        ++c.batches;
        for (auto& r : rows)
            c.rows.push_back(std::move(r));
    };
    cb.limitReached = [&c] { ++c.limitCalls; };
    cb.pumpEvents = [&c] { ++c.pumps; };
    cb.folderChanged = [&c](const std::string& f) { c.folders.push_back(f); };
    return cb;
}

std::vector<std::string> paths(const std::vector<FileListRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows)
        out.push_back(r.folder + "/" + r.name);
    return out;
}

// Without details a row has its name and folder only, and a file is looked at only for a filter.
TEST(SearchWalk, rowsWithoutDetailsAreTheSameFilesNamedOnly) {
    TempDir t;
    const std::vector<std::string> expected = test::writeSearchTree(t);
    writeFile(t / ".hidden.txt", "h");
    for (const bool showHidden : {true, false}) {
        Collected full, bare;
        SearchOptions o;
        o.pattern = "*.txt";
        o.showHidden = showHidden;
        SearchWalk(systemFileSystem(), o, collectInto(full)).run(t.path());
        o.withDetails = false;
        SearchWalk(systemFileSystem(), o, collectInto(bare)).run(t.path());
        EXPECT_EQ(paths(bare.rows), paths(full.rows));
        EXPECT_EQ(bare.rows.size(), expected.size() + (showHidden ? 1 : 0));
        EXPECT_FALSE(full.rows[0].sizeText().empty());
        EXPECT_TRUE(full.rows[0].stamp.known);
        EXPECT_TRUE(bare.rows[0].sizeText().empty());
        EXPECT_FALSE(bare.rows[0].stamp.known);
    }
}

TEST(SearchWalk, rootFilesFirstThenEachFolderAfterItsSubfolders) {
    TempDir t;
    const std::vector<std::string> expected = test::writeSearchTree(t);

    Collected c;
    SearchOptions o;
    o.pattern = "*.txt";
    SearchWalk walk(systemFileSystem(), o, collectInto(c));
    SearchResult r = walk.run(t.path() + "/"); // the trailing "/" of the typed folder is dropped
    EXPECT_EQ(paths(c.rows), expected);
    EXPECT_EQ(r.listed, 4);
    EXPECT_FALSE(r.stopped);
    EXPECT_FALSE(r.limitReached);
    EXPECT_EQ(c.rows[0].folder, t.path());
    ASSERT_FALSE(c.folders.empty());
    EXPECT_EQ(c.folders[0], t.path());

    // Without subfolders only the search folder's own files.
    Collected flat;
    o.subfolders = false;
    SearchWalk(systemFileSystem(), o, collectInto(flat)).run(t.path());
    EXPECT_EQ(paths(flat.rows), std::vector<std::string>{t / "f1.txt"});
}

TEST(SearchWalk, filtersApplyToFilesButHiddenFoldersAreAlwaysSearched) {
    TempDir t;
    writeFile(t / "plain.txt", "");
    writeFile(t / ".hidden.txt", "");
    writeFile(t / "ro.txt", "");
    chmod((t / "ro.txt").c_str(), 0444);
    writeFile(t / ".hdir/inner.txt", "");
    writeFile(t / "sys.txt", "");
    const bool haveSystem = systemFileSystem().setAttributes(t / "sys.txt", AttrSystem, AttrSystem) == 0;

    struct Case {
        bool hidden, readOnly, system;
        std::vector<std::string> names; // sorted
    };
    std::vector<Case> cases = {
        {true, true, true, {".hidden.txt", "inner.txt", "plain.txt", "ro.txt", "sys.txt"}},
        {false, true, true, {"inner.txt", "plain.txt", "ro.txt", "sys.txt"}},
        {true, false, true, {".hidden.txt", "inner.txt", "plain.txt", "sys.txt"}},
    };
    if (haveSystem)
        cases.push_back({true, true, false, {".hidden.txt", "inner.txt", "plain.txt", "ro.txt"}});
    for (const auto& k : cases) {
        Collected c;
        SearchOptions o;
        o.showHidden = k.hidden;
        o.showReadOnly = k.readOnly;
        o.showSystem = k.system;
        SearchWalk(systemFileSystem(), o, collectInto(c)).run(t.path());
        std::vector<std::string> names;
        for (const auto& r : c.rows)
            names.push_back(r.name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, k.names) << k.hidden << k.readOnly << k.system;
    }
}

TEST(SearchWalk, limitAdmitsExactlyTheRemainingCountAndReportsOnce) {
    TempDir t;
    test::writeBigTree(t, 3, 5);
    for (int i = 0; i < 10; ++i)
        writeFile(t / ("r" + std::to_string(i)), "");

    Collected c;
    SearchOptions o;
    o.listedBefore = 9990;
    o.limit = 10000;
    SearchWalk walk(systemFileSystem(), o, collectInto(c));
    walk.setTimeSliceMs(0);
    SearchResult r = walk.run(t.path());
    EXPECT_EQ(c.rows.size(), 10u);
    EXPECT_EQ(r.listed, 10);
    EXPECT_EQ(walk.listedFileCount(), 10000);
    EXPECT_EQ(c.limitCalls, 1);
    EXPECT_TRUE(r.limitReached);
    EXPECT_FALSE(r.stopped);

    // Exactly enough room: no limit message.
    Collected exact;
    o.listedBefore = 10000 - 25;
    SearchResult r2 = SearchWalk(systemFileSystem(), o, collectInto(exact)).run(t.path());
    EXPECT_EQ(exact.rows.size(), 25u);
    EXPECT_EQ(exact.limitCalls, 0);
    EXPECT_FALSE(r2.limitReached);
}

TEST(SearchWalk, stopDuringAPumpEndsTheWalkBeforeTheNextEntry) {
    TempDir t;
    test::writeBigTree(t, 10, 30);
    Collected c;
    SearchWalk* self = nullptr;
    std::size_t rowsAtStop = 0;
    SearchCallbacks cb = collectInto(c);
    cb.pumpEvents = [&] {
        ++c.pumps;
        rowsAtStop = c.rows.size(); // every row so far was handed over before the pump
        self->requestStop();
    };
    SearchWalk walk(systemFileSystem(), SearchOptions{}, cb);
    self = &walk;
    walk.setTimeSliceMs(0);
    SearchResult r = walk.run(t.path());
    EXPECT_EQ(c.pumps, 1);
    EXPECT_TRUE(r.stopped);
    EXPECT_FALSE(r.limitReached);
    EXPECT_LT(c.rows.size(), 300u);
    EXPECT_EQ(c.rows.size(), rowsAtStop);
    EXPECT_EQ(static_cast<std::size_t>(r.listed), c.rows.size());
}

TEST(SearchWalk, stopWorksWhileAFolderYieldsNoRows) {
    // The walk must give the window its turn (and see the stop) while it reads a huge folder or
    // passes over files, not only when it lists one.
    struct Case {
        const char* what;
        std::string pattern;
        bool showHidden;
        int count;
        std::string (*name)(int);
    };
    const Case cases[] = {
        {"names the pattern passes over", "*.txt", true, 20000, [](int i) { return "n" + std::to_string(i) + ".dat"; }},
        {"hidden files the filter passes over", "*.txt", false, 200,
         [](int i) { return ".h" + std::to_string(i) + ".txt"; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TempDir t;
        for (int i = 0; i < k.count; ++i)
            writeFile(t / k.name(i), "");
        writeFile(t / "sub/hit.txt", "");
        Collected c;
        SearchWalk* self = nullptr;
        SearchCallbacks cb = collectInto(c);
        cb.pumpEvents = [&] {
            ++c.pumps;
            self->requestStop();
        };
        SearchOptions o;
        o.pattern = k.pattern;
        o.showHidden = k.showHidden;
        SearchWalk walk(systemFileSystem(), o, cb);
        self = &walk;
        walk.setTimeSliceMs(0);
        const SearchResult r = walk.run(t.path());
        EXPECT_EQ(c.pumps, 1);
        EXPECT_TRUE(r.stopped);
        EXPECT_TRUE(c.rows.empty()) << c.rows.size();
    }
}

TEST(SearchWalk, followsFolderLinksButNeverEntersAFolderTwice) {
    TempDir t, outside;
    writeFile(t / "a/x.txt", "");
    writeFile(outside / "e.txt", "");
    ASSERT_EQ(symlink(t.path().c_str(), (t / "a/loop").c_str()), 0);    // back to the search folder
    ASSERT_EQ(symlink("../a", (t / "a/self").c_str()), 0);              // back to its own folder
    ASSERT_EQ(symlink(outside.path().c_str(), (t / "ext").c_str()), 0); // a folder elsewhere
    ASSERT_EQ(symlink("a/x.txt", (t / "xlink.txt").c_str()), 0);        // a link to a file is a file
    ASSERT_EQ(symlink("nowhere", (t / "dangling.txt").c_str()), 0);

    Collected c;
    SearchWalk(systemFileSystem(), SearchOptions{}, collectInto(c)).run(t.path());
    std::vector<std::string> got = paths(c.rows);
    std::sort(got.begin(), got.end());
    std::vector<std::string> want = {t / "a/x.txt", t / "ext/e.txt", t / "xlink.txt"};
    EXPECT_EQ(got, want);
}

TEST(SearchWalk, unreadableFolderIsSkippedSilently) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    TempDir t;
    writeFile(t / "ok/a.txt", "");
    writeFile(t / "closed/b.txt", "");
    chmod((t / "closed").c_str(), 0);
    Collected c;
    SearchWalk(systemFileSystem(), SearchOptions{}, collectInto(c)).run(t.path());
    chmod((t / "closed").c_str(), 0755);
    EXPECT_EQ(paths(c.rows), std::vector<std::string>{t / "ok/a.txt"});
}

TEST(SearchWalk, eachFolderListsItsFilesAndEntersItsFoldersInNameOrder) {
    // Upper-cased UTF-16 code units: digits before letters before "_", a surrogate pair before
    // half-width katakana; a name that is not UTF-8 by its CP932 reading, else by its bytes. Names
    // alike in their first eight units are told apart further on.
    // clang-format off
    const std::vector<std::string> ordered = {
        "10.txt", "9.txt", "A.txt", "a.txt", "a1.txt", "b.txt",
        "photo_00", "photo_001.jpg", "Photo_0010.JPG", "photo_0010.jpg", "photo_009.jpg",
        "Z.txt", "_x.txt", "ä.txt", "\xFF\xFE.txt", "日.txt", "\x95\x5C.txt" /* 表 */, "😀.txt", "ｱ.txt"};
    // clang-format on
    TempDir t;
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it)
        writeFile(t / *it, "");
    for (const char* folder : {"c", "A", "b"})
        writeFile(t / (std::string(folder) + "/x.txt"), "");
    std::vector<std::string> want;
    for (const std::string& name : ordered)
        want.push_back(t / name);
    for (const char* folder : {"A", "b", "c"})
        want.push_back(t / (std::string(folder) + "/x.txt"));

    Collected c;
    SearchWalk(systemFileSystem(), SearchOptions{}, collectInto(c)).run(t.path());
    EXPECT_EQ(paths(c.rows), want);
}

TEST(SearchWalk, missingFolderAndRootFolderText) {
    Collected c;
    SearchResult r = SearchWalk(systemFileSystem(), SearchOptions{}, collectInto(c)).run("/nonexistent-rinoza-folder");
    EXPECT_EQ(r.listed, 0);
    EXPECT_TRUE(c.rows.empty());
    EXPECT_EQ(searchFolderOf("/"), "/");
    EXPECT_EQ(searchFolderOf("/data/"), "/data");
    EXPECT_EQ(searchFolderOf("/data"), "/data");
}

TEST(SearchWalk, addedPathRowListsOneFileWithoutFilters) {
    TempDir t;
    writeFile(t / ".secret.TXT", "hello");
    chmod((t / ".secret.TXT").c_str(), 0444);
    std::optional<FileListRow> row = addedPathRow(systemFileSystem(), t / ".secret.TXT", false);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->name, ".secret.TXT");
    EXPECT_EQ(row->folder, t.path());
    EXPECT_EQ(row->sizeText(), "1KB");
    EXPECT_EQ(row->extensionText(), "TXT");
    EXPECT_EQ(row->attributeText().substr(0, 2), "RH") << row->attributeText();
    EXPECT_FALSE(addedPathRow(systemFileSystem(), t.path(), false)); // a folder is no row
    EXPECT_FALSE(addedPathRow(systemFileSystem(), t / "missing", false));
}

} // namespace
} // namespace rinoza
