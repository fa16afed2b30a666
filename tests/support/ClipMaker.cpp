#include "ClipMaker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

std::filesystem::path TestFolder(const std::string& kind) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) /
        ("ostvik-" + kind + "-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    return folder;
}

ToolRun MakeClip(const std::string& clip, const std::string& options) {
    return Shell(Quoted(OSTVIK_PYTHON) + " " + Quoted(OSTVIK_MKCLIP) + " " + Quoted(clip) + " " +
                 options);
}

std::vector<std::vector<double>> ReadTruth(const std::string& path) {
    std::ifstream file(path);
    std::string header;
    std::getline(file, header);
    std::ostringstream rows;
    rows << file.rdbuf();
    return NumberRows(rows.str());
}
