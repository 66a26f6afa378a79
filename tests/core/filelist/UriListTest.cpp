#include "filelist/UriList.h"

#include <gtest/gtest.h>

namespace rinoza {
namespace {

using Paths = std::vector<std::string>;

TEST(UriList, localFileUrisBecomeTheirPathsBytes) {
    const std::pair<const char*, Paths> cases[] = {
        {"file:///home/u/a%20b.txt\r\n", {"/home/u/a b.txt"}},
        {"file:///a\r\nfile:///b\r\n", {"/a", "/b"}},
        {"file:///a\nfile:///b", {"/a", "/b"}},                    // LF alone, no final line end
        {"file://localhost/x\r\nfile://here/y\r\n", {"/x", "/y"}}, // this machine by name
        {"file://elsewhere/x\r\nhttp://a/b\r\nsmb://h/s\r\n", {}}, // other hosts and schemes
        {"# comment\r\n\r\n  file:///c  \r\n", {"/c"}},
        {"file:/single/slash", {"/single/slash"}},
        {"FILE:///upper", {"/upper"}},
        {"file:///%82%a0.txt", {"/\x82\xa0.txt"}}, // CP932 bytes, not UTF-8
        {"file:///f%C3%BCr", {"/f\xc3\xbcr"}},
        {"file:///dir/\r\nfile:///\r\n", {"/dir", "/"}},
        {"file:///100%25/%zz", {"/100%/%zz"}}, // a bare % stays
        {"file:///q%3Fx?query#frag", {"/q?x"}},
        {"file:///nul%00x\r\nfile://\r\nfile:relative", {}},
    };
    for (const auto& [list, paths] : cases)
        EXPECT_EQ(localPathsOfUriList(list, "here"), paths) << list;
}

TEST(UriList, everyByteSurvivesTheRoundTrip) {
    std::string name = "/";
    for (int c = 1; c < 256; ++c)
        name.push_back(static_cast<char>(c));
    EXPECT_EQ(localPathsOfUriList(uriListOf({name, "/plain-name_1.~x"})), (Paths{name, "/plain-name_1.~x"}));
    EXPECT_EQ(fileUriOf("/a b/\xe3\x81\x82%"), "file:///a%20b/%E3%81%82%25");
}

TEST(UriList, listsAndGnomeCopiedFiles) {
    EXPECT_EQ(uriListOf({"/a/x", "/b/y z"}), "file:///a/x\r\nfile:///b/y%20z\r\n");
    EXPECT_EQ(gnomeCopiedFilesOf({"/a/x", "/b/y"}), "copy\nfile:///a/x\nfile:///b/y");
    EXPECT_EQ(gnomeCopiedFilesOf({"/a"}, true), "cut\nfile:///a");
}

} // namespace
} // namespace rinoza
