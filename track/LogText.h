// The text of a log file as the NMEA readers take it: some receivers and Windows tools save
// their logs as UTF-16 with a byte-order mark, in which every ASCII byte of a sentence is
// followed or preceded by a zero and no '$' is found at all.
#pragma once

#include <string>
#include <string_view>

// The bytes themselves, less a UTF-8 byte-order mark; for UTF-16 with a byte-order mark
// (either byte order), one byte per code unit: ASCII as it is, anything else '?', which
// no sentence field holds. A last odd byte of UTF-16 is a torn write and is dropped.
std::string LogText(std::string_view bytes);
