#include "run/HistoryFile.h"
#include "platform/posix/PosixFileSystem.h"

#include "common/TextCodec.h"
#include "platform/Paths.h"
#include "run/UndoEngine.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

// Width of a text in the Windows code page: 1 for ASCII and half-width katakana, 2 otherwise.
int cp932Width(std::string_view s) {
    int w = 0;
    forEachNameChar(s, [&](const NameChar& c) {
        w += c.width;
        return true;
    });
    return w;
}

std::string dataFile(const std::string& name) {
    if (const char* dir = std::getenv("RINOZA_TEST_SOURCE_DIR"))
        return std::string(dir) + "/core/run/data/" + name;
    std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/data/" + name;
}

std::vector<std::string> listNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(HistoryFile, FixedLinesAreFortyWideAndTheDateLineToo) {
    auto lines = history::headerLines(LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameOnly);
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8})
        EXPECT_EQ(cp932Width(lines[i]), 40) << "line " << i + 1 << ": " << lines[i];
    EXPECT_EQ(lines[9], "[Changed]");
}

TEST(HistoryFile, DateLineUsesJapaneseWeekdaysWhateverTheLocale) {
    struct Case {
        LocalDateTime t;
        const char* line;
    };
    const Case cases[] = {
        {{2026, 12, 6, 19, 42, 59, 0}, "{                 2026/12/06(日) 19:42 }"},
        {{2026, 12, 7, 0, 0, 0, 0}, "{                 2026/12/07(月) 00:00 }"},
        {{2000, 2, 29, 9, 5, 0, 0}, "{                 2000/02/29(火) 09:05 }"},
        {{1999, 12, 31, 23, 59, 0, 0}, "{                 1999/12/31(金) 23:59 }"},
        {{2027, 1, 2, 12, 30, 0, 0}, "{                 2027/01/02(土) 12:30 }"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(history::dateLine(c.t), c.line);
}

TEST(HistoryFile, WriterOutputMatchesTheExpectedFileByteForByte) {
    TempDir dir;
    std::string path = dir / "rinoza.txt";
    rinoza::test::writeFile(path, "old content that must disappear, much longer than the new file would be........"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................");
    HistoryFile h(systemFileSystem());
    ASSERT_EQ(h.create(path, LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameAndCopy), 0);
    ASSERT_EQ(h.addRecord("/home/user/写真/abc.txt", "/srv/backup/001 新しい.txt"), 0);
    ASSERT_EQ(h.addRecord("/home/user/写真/.hidden", "/srv/backup/002"), 0);
    // Records reach the file at once, not only at close.
    EXPECT_NE(rinoza::test::readFile(path).find("[A]/srv/backup/002\r\n"), std::string::npos);
    ASSERT_EQ(h.close(), 0);

    std::string expected;
    ASSERT_TRUE(rinoza::test::readFile(dataFile("expected-history.txt"), expected));
    EXPECT_EQ(rinoza::test::readFile(path), expected);
}

TEST(HistoryFile, MethodLinesAndDropOfTheLastRecord) {
    TempDir dir;
    std::string path = dir / "h.txt";
    const std::pair<RenameMethod, const char*> methods[] = {
        {RenameMethod::RenameOnly, "[Changed]"},
        {RenameMethod::RenameAndCopy, "[Copyed]"},
        {RenameMethod::RenameAndMove, "[Moved]"},
    };
    for (auto [method, text] : methods) {
        HistoryFile h(systemFileSystem());
        ASSERT_EQ(h.create(path, LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, method), 0);
        ASSERT_EQ(h.addRecord("/a/1", "/a/2"), 0);
        ASSERT_EQ(h.addRecord("/a/3", "/a/4"), 0);
        ASSERT_EQ(h.dropLastRecord(), 0);
        ASSERT_EQ(h.addRecord("/a/5", "/a/6"), 0);
        ASSERT_EQ(h.close(), 0);
        std::vector<std::string> lines;
        ASSERT_EQ(HistoryFile::read(systemFileSystem(), path, lines), 0);
        ASSERT_EQ(lines.size(), 14u);
        EXPECT_EQ(lines[9], text);
        EXPECT_EQ(lines[10], "[B]/a/1");
        EXPECT_EQ(lines[11], "[A]/a/2");
        EXPECT_EQ(lines[12], "[B]/a/5");
        EXPECT_EQ(lines[13], "[A]/a/6");
    }
}

TEST(HistoryFile, ARecordThatCannotBeCutBackIsVoided) {
    // Each row: the faults laid on the history's open file (appends 1 and 2 are the two records),
    // what the take-back returns, and the lines after the header.
    const struct {
        std::vector<std::pair<const char*, int>> faults;
        int dropResult;
        std::vector<std::string> records;
    } rows[] = {
        // The cut works: the record is gone.
        {{}, 0, {"[B]/a/1", "[A]/a/2"}},
        // The cut fails: a note voids record 2.
        {{{"truncate", 1}}, 0, {"[B]/a/1", "[A]/a/2", "[B]/a/3", "[A]/a/4", "{未実行:2}"}},
        // The cut fails and so does the note: the take-back says so.
        {{{"truncate", 1}, {"append", 3}}, EIO, {"[B]/a/1", "[A]/a/2", "[B]/a/3", "[A]/a/4"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.faults.size());
        TempDir dir;
        PosixFileSystem real;
        test::FaultyFileSystem fs(real);
        for (const auto& [operation, k] : r.faults)
            fs.failAt(operation, k, EIO);
        HistoryFile h(fs);
        ASSERT_EQ(h.create(dir / "h.txt", LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly), 0);
        ASSERT_EQ(h.addRecord("/a/1", "/a/2"), 0);
        ASSERT_EQ(h.addRecord("/a/3", "/a/4"), 0);
        EXPECT_EQ(h.lastRecordNumber(), 2);
        EXPECT_EQ(h.dropLastRecord(), r.dropResult);
        h.close();
        std::vector<std::string> lines;
        ASSERT_EQ(HistoryFile::read(real, dir / "h.txt", lines), 0);
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()), r.records);
    }
}

TEST(HistoryFile, AHalfWrittenRecordIsCutOffOrVoided) {
    // A record refused half way (a full disk): cut off; where the cut fails too and the "[A]" line
    // made it, voided on a line of its own.
    const struct {
        bool cutFails;
        std::string before;
        std::vector<std::string> records;
    } rows[] = {
        // Half of "[B]/b\r\n[A]/a/444444\r\n" ends right after "[A]".
        {false, "/b", {"[B]/a/1", "[A]/a/2"}},
        {true, "/b", {"[B]/a/1", "[A]/a/2", "[B]/b", "[A]", "{未実行:2}"}},
        // Half of a long "[B]" line: no record for a reader.
        {true, std::string(40, 'x'), {"[B]/a/1", "[A]/a/2", "[B]" + std::string(26, 'x')}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.before);
        TempDir dir;
        PosixFileSystem real;
        test::FaultyFileSystem fs(real);
        fs.failAt("append", 2, ENOSPC, true);
        if (r.cutFails)
            fs.failAt("truncate", 1, EIO);
        HistoryFile h(fs);
        ASSERT_EQ(h.create(dir / "h.txt", LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly), 0);
        ASSERT_EQ(h.addRecord("/a/1", "/a/2"), 0);
        EXPECT_EQ(h.addRecord(r.before, "/a/444444"), ENOSPC);
        h.close();
        std::vector<std::string> lines;
        ASSERT_EQ(HistoryFile::read(real, dir / "h.txt", lines), 0);
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()), r.records);
        // The undo sees record 1 only.
        EXPECT_EQ(UndoEngine::parseRecords(lines).size(), 1u);
    }
}

TEST(HistoryFile, PathsThatAreNotUtf8ComeBackUnchanged) {
    TempDir dir;
    std::string path = dir / "h.txt";
    const std::string latin1 = dir / "caf\xE9.txt";            // not UTF-8
    const std::string sjis = dir / "\x83\x65\x83\x58\x83\x67"; // テスト in Shift-JIS
    HistoryFile h(systemFileSystem());
    ASSERT_EQ(h.create(path, LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameOnly), 0);
    ASSERT_EQ(h.addRecord(latin1, dir / "新.txt"), 0);
    ASSERT_EQ(h.addRecord(sjis, dir / "with\rcr"), 0);
    ASSERT_EQ(h.close(), 0);
    std::vector<std::string> lines;
    ASSERT_EQ(HistoryFile::read(systemFileSystem(), path, lines), 0);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], history::kTitleLine);
    EXPECT_EQ(lines[10], "[B]" + latin1);
    EXPECT_EQ(lines[11], "[A]" + (dir / "新.txt"));
    EXPECT_EQ(lines[12], "[B]" + sjis);
    EXPECT_EQ(lines[13], "[A]" + (dir / "with\rcr"));
}

TEST(HistoryFile, WindowsCodePageFileIsConverted) {
    TempDir dir;
    std::string path = dir / "h.txt";
    // Title and a comment line in Shift-JIS, records with ASCII paths.
    std::string title = "{---------\x81\x83\x95\xCF\x8D\x58\x97\x9A\x97\xF0\x83\x74\x83\x40\x83\x43\x83\x8B\x81\x84"
                        "---------}";
    std::string noEdit = "{\x81\xA6\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x92\xBC\x90\xDA\x95\xD2"
                         "\x8F\x57\x82\xB5\x82\xC8\x82\xA2\x82\xC5\x89\xBA\x82\xB3\x82\xA2}";
    rinoza::test::writeFile(path, title + "\r\n" + noEdit + "\r\n[Changed]\r\n[B]/x/a.txt\r\n[A]/x/b.txt\r\n");
    std::vector<std::string> lines;
    ASSERT_EQ(HistoryFile::read(systemFileSystem(), path, lines), 0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], history::kTitleLine);
    EXPECT_EQ(lines[1], history::kDoNotEditLine);
    EXPECT_EQ(lines[3], "[B]/x/a.txt");

    // Without the known title the bytes are kept as they are.
    rinoza::test::writeFile(path, noEdit + "\r\n[B]/x/\x83\x65.txt\r\n");
    ASSERT_EQ(HistoryFile::read(systemFileSystem(), path, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], noEdit);
    EXPECT_EQ(lines[1], "[B]/x/\x83\x65.txt");
}

TEST(HistoryFile, SplittingCountsALastLineWithoutBreak) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\r\nb\r\n\r\n", {"a\r", "b", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HistoryFile::splitContent(c.content), c.lines) << c.content;
}

TEST(HistoryFile, ErrorsAreReported) {
    TempDir dir;
    HistoryFile h(systemFileSystem());
    EXPECT_EQ(h.create(dir / "missing/h.txt", LocalDateTime{}, RenameMethod::RenameOnly), ENOENT);
    EXPECT_FALSE(h.isOpen());
    EXPECT_EQ(h.addRecord("/a", "/b"), EBADF);
    // Something at the path that is not a history is never replaced, and no temporary stays behind.
    rinoza::test::makeDirs(dir / "folder");
    EXPECT_EQ(h.create(dir / "folder", LocalDateTime{}, RenameMethod::RenameOnly), EISDIR);
    EXPECT_FALSE(h.isOpen());
    EXPECT_EQ(h.create("/dev/null", LocalDateTime{}, RenameMethod::RenameOnly), EEXIST);
    EXPECT_FALSE(h.isOpen());
    struct stat st {};
    ASSERT_EQ(::lstat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(listNames(dir.path()), std::vector<std::string>{"folder"});
    std::vector<std::string> lines;
    EXPECT_EQ(HistoryFile::read(systemFileSystem(), dir / "none.txt", lines), ENOENT);
}

TEST(HistoryFile, APreviousHistoryStaysWholeWhenTheNewHeaderDoesNotFit) {
    TempDir dir;
    const std::string path = dir / "rinoza.txt";
    const std::string previous = "{previous}\r\n[Changed]\r\n[B]/a/1\r\n[A]/a/2\r\n";
    rinoza::test::writeFile(path, previous);
    // A size limit far below the header, as a nearly full disk would give.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{100, 100};
        setrlimit(RLIMIT_FSIZE, &lim);
        HistoryFile h(systemFileSystem());
        int err = h.create(path, LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly);
        _exit(err == EFBIG && !h.isOpen() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(rinoza::test::readFile(path), previous);
    EXPECT_EQ(listNames(dir.path()), std::vector<std::string>{"rinoza.txt"});
}

TEST(HistoryFile, ReplacingKeepsPermissionsAndLinks) {
    TempDir dir;
    // A private history stays private.
    const std::string path = dir / "rinoza.txt";
    rinoza::test::writeFile(path, "previous");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    {
        HistoryFile h(systemFileSystem());
        ASSERT_EQ(h.create(path, LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly), 0);
        ASSERT_EQ(h.addRecord("/a/1", "/a/2"), 0);
        ASSERT_EQ(h.close(), 0);
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    std::vector<std::string> lines;
    ASSERT_EQ(HistoryFile::read(systemFileSystem(), path, lines), 0);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[11], "[A]/a/2");

    // A history reached through a link: the file it points to gets the new history.
    const std::string real = dir / "elsewhere/history.txt";
    rinoza::test::writeFile(real, "previous");
    const std::string link = dir / "link.txt";
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    {
        HistoryFile h(systemFileSystem());
        ASSERT_EQ(h.create(link, LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameAndMove), 0);
        ASSERT_EQ(h.close(), 0);
    }
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(HistoryFile::read(systemFileSystem(), real, lines), 0);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[9], "[Moved]");
    EXPECT_EQ(listNames(dir / "elsewhere"), std::vector<std::string>{"history.txt"});
}

TEST(HistoryFile, AReadOnlyHistoryIsNeverReplaced) {
    // Without any write bit the file is refused for every user, root included.
    struct Case {
        const char* what;
        mode_t mode;
        bool throughLink;
    };
    const Case cases[] = {
        {"read-only for everyone", 0444, false},
        {"readable by its owner only", 0400, false},
        {"read-only, reached through a link", 0444, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string file = dir / "rinoza.txt";
        rinoza::test::writeFile(file, "previous");
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        std::string path = file;
        if (c.throughLink) {
            path = dir / "link.txt";
            ASSERT_EQ(::symlink("rinoza.txt", path.c_str()), 0);
        }
        HistoryFile h(systemFileSystem());
        EXPECT_EQ(h.create(path, LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly), EACCES);
        EXPECT_FALSE(h.isOpen());
        EXPECT_EQ(rinoza::test::readFile(file), "previous");
        struct stat st {};
        ASSERT_EQ(::lstat(file.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(listNames(dir.path()).size(), c.throughLink ? 2u : 1u);
        ::chmod(file.c_str(), 0644);
    }
}

TEST(HistoryFile, ALinkToAMissingHistoryGetsItWhereItPoints) {
    // Each case: the link at the history path (relative targets count from the link's folder) and
    // where the history is then written; an empty place means create() fails with that error and
    // changes nothing.
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links; // link name -> target, inside the folder
        std::string written;
        int error;
    };
    TempDir dir;
    const Case cases[] = {
        {"relative target", {{"h.txt", "sub/real.txt"}}, "sub/real.txt", 0},
        {"absolute target", {{"h.txt", dir / "sub/abs.txt"}}, "sub/abs.txt", 0},
        {"a chain, each relative to its own folder",
         {{"h.txt", "other/next"}, {"other/next", "chained.txt"}},
         "other/chained.txt",
         0},
        {"target in a missing folder", {{"h.txt", "missing/real.txt"}}, "", ENOENT},
        {"a loop", {{"h.txt", "other/loop"}, {"other/loop", "../h.txt"}}, "", ELOOP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rinoza::test::removeTree(dir / "sub");
        rinoza::test::removeTree(dir / "other");
        ::unlink((dir / "h.txt").c_str());
        rinoza::test::makeDirs(dir / "sub");
        rinoza::test::makeDirs(dir / "other");
        for (const auto& [name, target] : c.links)
            ASSERT_EQ(::symlink(target.c_str(), (dir / name).c_str()), 0);
        const auto before = rinoza::test::snapshotTree(dir.path());

        HistoryFile h(systemFileSystem());
        const int err = h.create(dir / "h.txt", LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly);
        EXPECT_EQ(err, c.error);
        EXPECT_EQ(h.isOpen(), c.error == 0);
        ASSERT_EQ(h.close(), 0);
        for (const auto& [name, target] : c.links) {
            struct stat st {};
            ASSERT_EQ(::lstat((dir / name).c_str(), &st), 0) << name;
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
        }
        if (c.error != 0) {
            EXPECT_EQ(rinoza::test::snapshotTree(dir.path()), before);
            continue;
        }
        std::vector<std::string> lines;
        ASSERT_EQ(HistoryFile::read(systemFileSystem(), dir / c.written, lines), 0);
        ASSERT_EQ(lines.size(), 10u);
        EXPECT_EQ(lines[9], "[Changed]");
        EXPECT_EQ(listNames(parentOf(dir / c.written)).size(), c.written.starts_with("other/") ? 2u : 1u);
    }
}

TEST(HistoryFile, IdentityLinesWrittenAndRead) {
    const FileIdentity id{2049, 131077, 5, FileTime{1'733'456'789, 12'345}};
    EXPECT_EQ(history::identityLine(id), "{識別:2049,131077,5,1733456789.000012345}");
    const FileIdentity old{18446744073709551615ULL, 1, 0, FileTime{-2'208'988'800, 999'999'999}};
    EXPECT_EQ(history::readIdentityLine(history::identityLine(old)), old);
    for (const char* bad : {"{識別:2049,131077,5,1733456789.12345}", "{識別:2049,131077,1733456789.000012345}",
                            "{識別:2049,131077,5,1733456789.000012345,7}", "{識別:2049,131077,5,1733456789.000012345",
                            "{識別:2049, 131077,5,1733456789.000012345}", "{識別:1,2,3,4.-12345678}",
                            "{識別:+1,2,3,4.000000005}", "{識別:1,2,3,+4.000000005}", "{識別:1,2,3,4.+00000005}"})
        EXPECT_EQ(history::readIdentityLine(bad), std::nullopt) << bad;

    // Right after its record, in the record's write or after the operation; a dropped record takes
    // its identity with it, a settled one stays.
    TempDir dir;
    HistoryFile h(systemFileSystem());
    ASSERT_EQ(h.create(dir / "h.txt", LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameAndMove), 0);
    ASSERT_EQ(h.addRecord("/a/1", "/a/2", &id), 0);
    ASSERT_EQ(h.addRecord("/a/3", "/a/4", &id), 0);
    ASSERT_EQ(h.dropLastRecord(), 0);
    ASSERT_EQ(h.addRecord("/a/5", "/a/6"), 0);
    ASSERT_EQ(h.addIdentity(old), 0);
    ASSERT_EQ(h.dropLastRecord(), 0);
    ASSERT_EQ(h.close(), 0);
    std::vector<std::string> lines;
    ASSERT_EQ(HistoryFile::read(systemFileSystem(), dir / "h.txt", lines), 0);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()),
              (std::vector<std::string>{"[B]/a/1", "[A]/a/2", history::identityLine(id), "[B]/a/5", "[A]/a/6",
                                        history::identityLine(old)}));
}
