// The mount table as the kernel shows it in /proc/self/mountinfo: which device number is
// mounted where. Read through one function so that tests can hand in a table of their own.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    // The folder of the file system that is mounted: "/" when the whole volume is.
    std::string root;
    std::string mountPoint;
};

// Gives the text of a mountinfo table.
using MountTableSource = std::function<std::string()>;

// The text of /proc/self/mountinfo; empty when it cannot be read.
std::string ReadMountInfo();

// The entries of a mountinfo text, in its order; lines that do not parse are passed over.
// Mount points come unescaped (the kernel writes space, tab, newline and backslash as octal).
std::vector<MountEntry> ParseMountInfo(const std::string& text);
