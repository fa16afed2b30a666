// Text from outside (a clip's file name) made fit for the documents the track tool writes:
// XML 1.0 refuses most control characters even escaped, and GPX, KML and JSON readers refuse
// bytes that are not UTF-8, so a name taken as it is could make a whole export unreadable.
#pragma once

#include <string>
#include <string_view>

// The text with every control character (U+0000-U+001F, U+007F-U+009F) dropped and every
// byte that does not begin a well-formed UTF-8 character (overlong, a surrogate, past
// U+10FFFF, cut short, or U+FFFE / U+FFFF, which XML does not allow) replaced by U+FFFD.
std::string PrintableUtf8(std::string_view bytes);
