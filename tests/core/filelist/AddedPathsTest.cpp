#include "filelist/AddedPaths.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

TEST(AddedPaths, EachFolderIsOpenedOnceAndEveryPathLookedUpInIt) {
    TempDir t;
    writeFile(t / "one/a.txt", "a");
    writeFile(t / "one/b.txt", "b");
    writeFile(t / "two/c.txt", "c");
    makeDirs(t / "two/sub");
    ASSERT_EQ(::symlink("a.txt", (t / "one/link").c_str()), 0);
    struct stat one {
    }, two{};
    ASSERT_EQ(::stat((t / "one").c_str(), &one), 0);
    ASSERT_EQ(::stat((t / "two").c_str(), &two), 0);
    const FolderId oneId{one.st_dev, one.st_ino}, twoId{two.st_dev, two.st_ino};

    const struct {
        std::string path;
        int error;
        bool regular;
        FolderId folder;
    } rows[] = {
        {t / "one/a.txt", 0, true, oneId},
        {t / "two/c.txt", 0, true, twoId},
        {t / "one/b.txt", 0, true, oneId},
        {t / "one/link", 0, true, oneId}, // a link is read where it points
        {t / "two/sub", 0, false, twoId},
        {t / "one/none", ENOENT, false, oneId},
        {t / "gone/x.txt", ENOENT, false, {}},
        {t / "one/a.txt/x", ENOTDIR, false, {}},
        {"/", 0, false, {}},
    };
    PosixFileSystem real;
    FaultyFileSystem fs(real);
    AddedPathLookup lookup(fs);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        const AddedPath found = lookup.find(r.path);
        EXPECT_EQ(found.error, r.error);
        if (r.error == 0) {
            EXPECT_EQ(found.info.isRegular, r.regular);
            EXPECT_EQ(found.folder, r.folder);
            const std::optional<FileListRow> row = addedPathRow(found, r.path, false);
            EXPECT_EQ(row.has_value(), r.regular);
            if (row) {
                EXPECT_EQ(row->folderId, r.folder);
            }
        }
    }
    // one, two, gone and a.txt (as a folder): each tried once, whatever the order of the paths.
    EXPECT_EQ(fs.calls("openFolder"), 4);
}
