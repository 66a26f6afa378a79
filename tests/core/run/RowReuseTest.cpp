// The run and its forecast take a file's attribute bits from what the search read while the file is
// unchanged, and read them anew once it changed: each file is read once, and a change made after the
// search is still seen.

#include "run/RunEngine.h"

#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// The real file system, counting the lookups that read extended attributes, by path.
struct CountingFileSystem final : PosixFileSystem {
    std::map<std::string, int> full;
    int stat(const std::string& path, FileInfo& info, bool followLinks = true) override {
        ++full[path];
        return PosixFileSystem::stat(path, info, followLinks);
    }
    int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override {
        ++full[joinPath(folder.path(), name)];
        return PosixFileSystem::statAt(folder, name, info, followLinks);
    }
};

} // namespace

TEST(RowReuse, AttributesComeFromTheRowWhileTheFileIsUnchanged) {
    TempDir dir, home;
    for (const char* n : {"a.txt", "b.txt", "s.txt"})
        writeFile(dir / n, n);
    PosixFileSystem real;
    if (real.setAttributes(dir / "s.txt", AttrSystem, AttrSystem) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    std::vector<FileListRow> rows;
    for (const char* n : {"a.txt", "b.txt", "s.txt"}) {
        FileInfo info;
        ASSERT_EQ(real.stat(dir / n, info), 0);
        rows.push_back(makeFileListRow(info, dir.path(), false));
    }
    // Made a system file after it was listed: its status change time moved.
    ASSERT_EQ(real.setAttributes(dir / "b.txt", AttrSystem, AttrSystem), 0);

    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, {}};
    RunRequest request;
    request.rules = RenameRuleSet::defaults();
    request.rules.elements[0].checked = true;
    request.rules.fixF1 = "n_";
    request.serialStartText = "1";
    request.historyPath = home / "rinoza.txt";
    CountingFileSystem fs;
    RunEngine engine(fs, builder, clock);

    std::vector<bool> asks;
    ForecastCallbacks fc;
    fc.rowForetold = [&asks](std::size_t, RowForecast&& f) { asks.push_back(f.asksSystemFile); };
    engine.foretell(rows, request, fc);
    EXPECT_EQ(asks, (std::vector<bool>{false, true, true}));
    const std::map<std::string, int> onlyTheChanged{{dir / "b.txt", 1}, {request.historyPath, 1}};
    EXPECT_EQ(fs.full, onlyTheChanged);

    fs.full.clear();
    std::vector<std::string> asked;
    RunCallbacks rc;
    rc.askSystemFile = [&asked](const std::string& path) {
        asked.push_back(baseNameOf(path));
        return true;
    };
    EXPECT_EQ(engine.run(rows, request, rc).renamed, 3);
    EXPECT_EQ(asked, (std::vector<std::string>{"b.txt", "s.txt"}));
    EXPECT_EQ(fs.full.count(dir / "a.txt") + fs.full.count(dir / "s.txt"), 0u);
    EXPECT_EQ(fs.full[dir / "b.txt"], 1);

    // Without a question nothing reads the attributes at all.
    fs.full.clear();
    RunRequest back = request;
    back.rules.fixF1 = "m_";
    EXPECT_EQ(engine.run(rows, back, RunCallbacks{}).renamed, 3);
    EXPECT_EQ(fs.full, (std::map<std::string, int>{{request.historyPath, 1}}));
}
