#include "track/LogText.h"

std::string LogText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return std::string(bytes.substr(3));
    }
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size() / 2);
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        const unsigned unit = little ? (second << 8 | first) : (first << 8 | second);
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}
