// What every command-line program of the project answers alike: --help with its usage and
// --version with the one version the build gives, both on standard output with status 0; and
// a command it cannot take with one line naming the fault, then the usage, on standard error
// with status 2.
#pragma once

#include <string>

struct CommandLine {
    const char* program;
    const char* usage;
};

// True when arg asks for the help or the version, which is then printed.
bool AnswersHelpOrVersion(const CommandLine& tool, const std::string& arg);

// Prints the fault and the usage; the status to exit with.
int UsageError(const CommandLine& tool, const std::string& why);
