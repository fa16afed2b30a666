#include "library/MountTable.h"

#include <fstream>
#include <sstream>

namespace {

std::string Unescape(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
                           field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
                           field[i + 3] >= '0' && field[i + 3] <= '7';
        if (octal) {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

} // namespace

std::string ReadMountInfo() {
    // The file reports a size of 0, so it is read as a stream to its end.
    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
    std::vector<MountEntry> entries;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint)) {
            continue;
        }
        MountEntry entry;
        char colon = 0;
        std::istringstream numbers(device);
        if (!(numbers >> entry.major >> colon >> entry.minor) || colon != ':') {
            continue;
        }
        entry.root = Unescape(root);
        entry.mountPoint = Unescape(mountPoint);
        entries.push_back(std::move(entry));
    }
    return entries;
}
