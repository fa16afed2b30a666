// Runs a shell command line for the tests that drive a program of ours (a command-line tool,
// the clip maker, the player itself), keeping its exit status, standard output and standard
// error apart; a command line that ends in 2>&1 gets both in its output.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/FileBytes.h"
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

inline ToolRun Shell(const std::string& command) {
    const std::string errFile =
        ::testing::TempDir() + "ostvik-shell-stderr-" + std::to_string(::getpid());
    ToolRun run;
    // A group, so that the command line's own redirections come before the one made here.
    FILE* pipe = ::popen(("{ " + command + "\n} 2>" + Quoted(errFile)).c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = FileBytes(errFile);
    return run;
}

// The numbers of text such as a tool's CSV output: a row per line, fields split at
// `separator` and read like atof.
inline std::vector<std::vector<double>> NumberRows(const std::string& text, char separator = ',') {
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, separator)) {
            row.push_back(std::atof(field.c_str()));
        }
        rows.push_back(row);
    }
    return rows;
}
