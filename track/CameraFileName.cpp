#include "track/CameraFileName.h"

#include "track/UtcTime.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <string>
#include <vector>

namespace {

// One way of naming clips: the groups of its expression that hold the kind (0 for none),
// the six date and time fields in order from `dateGroup`, and the channel (0 for none).
struct NamePattern {
    std::regex expression;
    int kindGroup;
    int dateGroup;
    bool twoDigitYear;
    int channelGroup;
    std::vector<std::string> eventKinds;
};

const std::vector<NamePattern>& Patterns() {
    constexpr auto kFlags = std::regex::ECMAScript | std::regex::icase | std::regex::optimize;
    static const std::vector<NamePattern> patterns{
        {std::regex(R"((\d{4})_(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})(?:_\d{1,6})?(?:_?([FRIOAB]))?)",
                    kFlags),
         0,
         1,
         false,
         7,
         {}},
        {std::regex(R"((\d{4})(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})(?:_\d{1,6})?(?:_([FRIOAB]))?)",
                    kFlags),
         0,
         1,
         false,
         7,
         {}},
        {std::regex(R"((\d{4})(\d{2})(\d{2})_(\d{2})(\d{2})(\d{2})_([NPEMIOABT])([FRIO])[LS]?)",
                    kFlags),
         7,
         1,
         false,
         8,
         {"E", "M", "I", "O", "A", "B", "T"}},
        {std::regex(
             R"((FILE|PARK|EMER|EVNT|EV|LOCK)(\d{2})(\d{2})(\d{2})-(\d{2})(\d{2})(\d{2})(?:-\d{1,8})?([FRIOAB])?)",
             kFlags),
         1,
         2,
         true,
         8,
         {"EMER", "EVNT", "EV", "LOCK"}},
        {std::regex(
             R"((NO|PA|EV|PE|EMER)(\d{4})(\d{2})(\d{2})-(\d{2})(\d{2})(\d{2})(?:-\d{1,8})?([FRIOAB])?)",
             kFlags),
         1,
         2,
         false,
         8,
         {"EV", "PE", "EMER"}},
        {std::regex(
             R"((REC|MOT|PRK|EVT|MAN)_(\d{4})_(\d{2})_(\d{2})_(\d{2})_(\d{2})_(\d{2})(?:_([FRIOAB]))?)",
             kFlags),
         1,
         2,
         false,
         8,
         {"EVT", "MAN"}},
    };
    return patterns;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Cameras that letter their two channels A and B write A for the front one.
char ChannelOfLetter(const std::string& letter) {
    if (letter.empty()) {
        return 0;
    }
    if (letter == "A") {
        return 'F';
    }
    return letter == "B" ? 'R' : letter[0];
}

} // namespace

std::optional<CameraFileName> ReadCameraFileName(std::string_view fileName) {
    const size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    const std::string stem(fileName.substr(0, fileName.find_last_of('.')));
    for (const NamePattern& pattern : Patterns()) {
        std::smatch match;
        if (!std::regex_match(stem, match, pattern.expression)) {
            continue;
        }
        int fields[6];
        for (int i = 0; i < 6; ++i) {
            fields[i] = std::stoi(match[pattern.dateGroup + i].str());
        }
        const int year = pattern.twoDigitYear ? 2000 + fields[0] : fields[0];
        const std::optional<int64_t> time =
            UtcSeconds(year, fields[1], fields[2], fields[3], fields[4], fields[5]);
        if (!time) {
            return std::nullopt;
        }
        CameraFileName name;
        name.cameraTime = *time;
        name.family = static_cast<int>(&pattern - Patterns().data());
        name.channel = ChannelOfLetter(Upper(match[pattern.channelGroup].str()));
        if (pattern.kindGroup != 0) {
            const std::string kind = Upper(match[pattern.kindGroup].str());
            name.event = std::find(pattern.eventKinds.begin(), pattern.eventKinds.end(), kind) !=
                         pattern.eventKinds.end();
        }
        return name;
    }
    return std::nullopt;
}
