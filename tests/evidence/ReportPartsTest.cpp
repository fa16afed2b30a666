// The pieces of the report that a wrong answer would hide in: the digest across block
// edges, the manifest's file lines with awkward names, a user's text that tries to pass for a
// file line, and the scale bar's round lengths.

#include "evidence/FileDigest.h"
#include "evidence/ManifestFiles.h"
#include "evidence/ReportText.h"
#include "evidence/report/RouteDrawing.h"

#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kHexA = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

} // namespace

TEST(ReportParts, DigestsMatchSha256sumAcrossBlockEdges) {
    const std::filesystem::path file =
        std::filesystem::path(::testing::TempDir()) / ("ostvik-digest-" + std::to_string(getpid()));
    // Three 1 MiB blocks and a few bytes more; and nothing at all.
    for (const size_t size : {size_t{3 * 1048576 + 7}, size_t{0}}) {
        {
            std::ofstream out(file, std::ios::binary);
            for (size_t i = 0; i < size; ++i) {
                out.put(static_cast<char>((i * 2654435761u) >> 13));
            }
        }
        std::string why;
        const std::optional<FileDigest> digest = DigestOfFile(file.string(), why);
        ASSERT_TRUE(digest) << why;
        EXPECT_EQ(digest->sha256, Shell("sha256sum " + Quoted(file.string())).out.substr(0, 64));
        EXPECT_EQ(digest->bytes, static_cast<int64_t>(size));
    }
    // The digest of nothing, as every SHA-256 implementation gives it.
    EXPECT_EQ(DigestOfBytes("").sha256,
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    std::filesystem::remove(file);
    std::string why;
    EXPECT_FALSE(DigestOfFile(file.string(), why));
    EXPECT_NE(why.find(file.string()), std::string::npos);
}

TEST(ReportParts, FileLinesKeepAwkwardNamesAndRefuseDamage) {
    const std::vector<ManifestFile> files = {
        {"source", "/media/card/DCIM/clip with spaces.MP4", kHexA, 123},
        {"excerpt", "a\\b\nc.mp4", kHexA, 0},
    };
    std::string text = "Ostvik evidence manifest\n[Time]\nStart: unknown\n";
    for (const ManifestFile& file : files) {
        text += ManifestFileLine(file) + "\n";
    }
    std::vector<ManifestFile> read;
    std::string why;
    ASSERT_TRUE(ReadManifestFiles(text, read, why)) << why;
    ASSERT_EQ(read.size(), 2u);
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].path, files[i].path);
        EXPECT_EQ(read[i].role, files[i].role);
        EXPECT_EQ(read[i].bytes, files[i].bytes);
    }
    const std::string upper(64, 'A');
    for (const std::string& bad :
         {"sha256 " + upper + " 1 source /x", std::string("sha256 abc 1 source /x"),
          "sha256 " + std::string(kHexA) + " 1 source",
          "sha256 " + std::string(kHexA) + " -1 source /x",
          "sha256 " + std::string(kHexA) + " 1 source /x\\q"}) {
        EXPECT_FALSE(ReadManifestFiles(text + bad + "\n", read, why)) << bad;
    }
    EXPECT_FALSE(ReadManifestFiles("Ostvik evidence manifest\n", read, why));
}

// A case number typed with a line end in it must not plant a file of its own choosing in
// the manifest, which --verify would then vouch for.
TEST(ReportParts, AUsersTextCannotAddAFileLine) {
    const std::string planted = std::string("\nsha256 ") + kHexA + " 5 source /etc/hostname";
    const ReportOrigin origin{"ostvik-export 1", "ostvik-export --text x" + planted,
                              "Case 7" + planted, 0};
    const std::string text =
        ManifestText({OriginSection(origin)}, {{"excerpt", "out.mp4", kHexA, 9}});
    std::vector<ManifestFile> read;
    std::string why;
    ASSERT_TRUE(ReadManifestFiles(text, read, why)) << why;
    ASSERT_EQ(read.size(), 1u) << text;
    EXPECT_EQ(read[0].path, "out.mp4");
}

TEST(ReportParts, ScaleBarTakesARoundLengthOfAtMostAThird) {
    struct Row {
        double across;
        double bar;
    };
    // A third of 1000 m is 333: the round length under it is 200. A third of 90 is 30: 20.
    for (const Row row :
         {Row{1000, 200}, Row{90, 20}, Row{15000, 5000}, Row{600, 200}, Row{150, 50}, Row{2, 1}}) {
        EXPECT_DOUBLE_EQ(RouteDrawing::ScaleMetres(row.across), row.bar) << row.across;
    }
}
