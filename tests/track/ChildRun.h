// Runs a piece of a test in a child process with a time limit, for calls that block for
// ever or run away with memory when the code under test is wrong: the test then fails
// instead of hanging the suite or the machine.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/FileBytes.h"
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildRun {
    int status = -1; // 0 when the body returned 0, 1 for any other number, -1 when it was
                     // killed, threw or never returned
    std::string err; // what it wrote on standard error
};

constexpr bool kAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
    __has_feature(address_sanitizer);
#else
    false;
#endif

inline ChildRun RunInChild(const std::function<int()>& body, unsigned seconds = 20) {
    const std::string errFile =
        ::testing::TempDir() + "ostvik-child-stderr-" + std::to_string(::getpid());
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(fd, 2);
        // The sanitizer's own reservations exceed any such limit, so it goes without one.
        if (!kAddressSanitizer) {
            const rlimit memory{1ul << 31, 1ul << 31};
            ::setrlimit(RLIMIT_AS, &memory);
        }
        ::alarm(seconds);
        try {
            const int status = body();
            std::cerr.flush();
            ::_exit(status == 0 ? 0 : 1);
        } catch (...) {
            std::abort(); // never back into the test runner, which would run on in the child
        }
    }
    ChildRun run;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = FileBytes(errFile);
    std::remove(errFile.c_str());
    return run;
}
