// Runs a shell command line for the tests that drive our command-line tools, keeping its
// exit status, standard output and standard error apart.
#pragma once

#include <gtest/gtest.h>

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
        ::testing::TempDir() + "ostvik-pipeline-stderr-" + std::to_string(::getpid());
    ToolRun run;
    FILE* pipe = ::popen((command + " 2>" + Quoted(errFile)).c_str(), "r");
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
    std::ifstream err(errFile);
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
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
