// A listed folder replaced by a symbolic link to another folder between the search and a change of
// stamps: the change acts in no other folder.

#include "stamps/StampEngine.h"

#include "filelist/SearchWalk.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

TEST(StampFolderSwap, TheStampsOfASwappedFolderChangeNothing) {
    TempDir root;
    for (const char* f : {"listed", "other"}) {
        writeFile(root / (std::string(f) + "/a.txt"), f);
        writeFile(root / (std::string(f) + "/b.txt"), f);
    }
    std::vector<FileListRow> rows;
    SearchCallbacks cb;
    cb.rows = [&rows](std::vector<FileListRow>&& found) { rows = std::move(found); };
    SearchWalk(systemFileSystem(), SearchOptions{}, cb).run(root / "listed");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(std::rename((root / "listed").c_str(), (root / "listed.aside").c_str()), 0);
    ASSERT_EQ(::symlink("other", (root / "listed").c_str()), 0);

    const struct {
        StampRequest::Kind kind;
        std::string outcome;
    } cases[] = {
        {StampRequest::Kind::Attributes, std::string(stampOutcome::kAttrError)},
        {StampRequest::Kind::Times, stampOutcome::timeError(ESTALE)},
    };
    for (const auto& c : cases) {
        FileInfo before;
        ASSERT_EQ(systemFileSystem().stat(root / "other/a.txt", before), 0);
        StampRequest req;
        req.kind = c.kind;
        req.attributes.change = AttrReadOnly;
        req.attributes.set = AttrReadOnly;
        req.times.changeUpdate = true;
        req.times.update.year = 2001;
        std::vector<FileListRow> changed = rows;
        EXPECT_EQ(StampEngine(systemFileSystem()).run(changed, req, StampCallbacks{}).changed, 0);
        for (const FileListRow& row : changed)
            EXPECT_EQ(row.remarks, c.outcome);
        FileInfo after;
        ASSERT_EQ(systemFileSystem().stat(root / "other/a.txt", after), 0);
        EXPECT_EQ(after.mode, before.mode);
        EXPECT_EQ(after.lastWrite, before.lastWrite);
    }
}
