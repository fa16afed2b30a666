#include "track/PrintableUtf8.h"

#include <cstdint>

namespace {

struct Decoded {
    size_t length = 0; // 0 when the bytes do not begin a character
    uint32_t code = 0;
};

Decoded DecodeOne(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    size_t length = 0;
    uint32_t code = 0;
    uint32_t least = 0; // the smallest code point that needs this many bytes
    if (lead < 0x80) {
        return {1, lead};
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1Fu;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0Fu;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07u;
        least = 0x10000;
    }
    if (length == 0 || bytes.size() < length) {
        return {};
    }
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[k]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        code = code << 6 | (next & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < least || code > 0x10FFFF || surrogate || code == 0xFFFE || code == 0xFFFF) {
        return {};
    }
    return {length, code};
}

} // namespace

std::string PrintableUtf8(std::string_view bytes) {
    std::string text;
    while (!bytes.empty()) {
        const Decoded one = DecodeOne(bytes);
        if (one.length == 0) {
            text += "\xef\xbf\xbd";
            bytes.remove_prefix(1);
            continue;
        }
        if (one.code >= 0x20 && !(one.code >= 0x7F && one.code <= 0x9F)) {
            text.append(bytes.substr(0, one.length));
        }
        bytes.remove_prefix(one.length);
    }
    return text;
}
