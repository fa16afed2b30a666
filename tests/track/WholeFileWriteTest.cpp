// A file written whole or not at all, and never through a link planted at its name.
#include "track/WholeFileWrite.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::string Read(const std::filesystem::path& path) {
    return FileBytes(path);
}

size_t Entries(const std::filesystem::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

TEST(WholeFileWrite, ReplacesTheFileAndALinkAtItsNameButNeverWhatTheLinkNames) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("whole-file-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / "track.csv";
    std::string why;
    ASSERT_TRUE(WriteWholeFile(target, "first\n", why)) << why;
    ASSERT_TRUE(WriteWholeFile(target, "second\n", why)) << why;
    EXPECT_EQ(Read(target), "second\n");

    const std::filesystem::path victim = folder / "victim.txt";
    std::ofstream(victim) << "keep";
    const std::filesystem::path planted = folder / "planted.csv";
    std::filesystem::create_symlink(victim, planted);
    ASSERT_TRUE(WriteWholeFile(planted, "new\n", why)) << why;
    EXPECT_EQ(Read(victim), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(planted));
    EXPECT_EQ(Read(planted), "new\n");
    EXPECT_EQ(Entries(folder), 3u) << "no temporary file is left";

    EXPECT_FALSE(WriteWholeFile(folder / "missing" / "x.csv", "x", why));
    EXPECT_FALSE(why.empty());
    std::filesystem::remove_all(folder);
}

} // namespace
