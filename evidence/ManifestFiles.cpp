#include "evidence/ManifestFiles.h"

#include <cctype>
#include <sstream>

namespace {

constexpr const char* kTag = "sha256 ";

std::string Escaped(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescaped(const std::string& text, std::string& path) {
    path.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            path += text[i];
            continue;
        }
        if (++i == text.size()) {
            return false;
        }
        const char c = text[i];
        if (c != '\\' && c != 'n' && c != 'r') {
            return false;
        }
        path += c == '\\' ? '\\' : c == 'n' ? '\n' : '\r';
    }
    return !path.empty();
}

bool Hex64(const std::string& text) {
    if (text.size() != 64) {
        return false;
    }
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) ||
            std::isupper(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ManifestFileLine(const ManifestFile& file) {
    return kTag + file.sha256 + " " + std::to_string(file.bytes) + " " + file.role + " " +
           Escaped(file.path);
}

bool ReadManifestFiles(const std::string& text, std::vector<ManifestFile>& files,
                       std::string& why) {
    files.clear();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind(kTag, 0) != 0) {
            continue;
        }
        std::istringstream fields(line.substr(std::string(kTag).size()));
        ManifestFile file;
        std::string bytes;
        fields >> file.sha256 >> bytes >> file.role;
        std::string rest;
        std::getline(fields, rest);
        const bool sized = !bytes.empty() &&
                           bytes.find_first_not_of("0123456789") == std::string::npos &&
                           bytes.size() < 19;
        if (!Hex64(file.sha256) || !sized || file.role.empty() || rest.size() < 2 ||
            rest[0] != ' ' || !Unescaped(rest.substr(1), file.path)) {
            why = "line " + std::to_string(number) + " names a file but cannot be read";
            return false;
        }
        file.bytes = std::stoll(bytes);
        files.push_back(file);
    }
    if (files.empty()) {
        why = "no file listed";
        return false;
    }
    return true;
}
