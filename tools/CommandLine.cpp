#include "CommandLine.h"

#include <iostream>

bool AnswersHelpOrVersion(const CommandLine& tool, const std::string& arg) {
    if (arg == "-h" || arg == "--help") {
        std::cout << tool.usage;
        return true;
    }
    if (arg == "--version") {
        std::cout << tool.program << " " << OSTVIK_VERSION << "\n";
        return true;
    }
    return false;
}

int UsageError(const CommandLine& tool, const std::string& why) {
    std::cerr << tool.program << ": " << why << "\n" << tool.usage;
    return 2;
}
