#include "evidence/ExcerptCommand.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string Decimal(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

std::string Escaped(const std::string& text, const std::string& special) {
    std::string out;
    for (const char c : text) {
        if (special.find(c) != std::string::npos) {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// The concat demuxer's quoting: a quote ends the quoted text, is escaped, and opens it again.
std::string ConcatQuoted(const std::string& path) {
    std::string out = "'";
    for (const char c : path) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// Scales the other camera's picture (the graph's next input) to its share of the main
// picture's width and lays it over the main one (the input after it) where `corner` says.
std::string SmallPictureFilters(const SmallPicture& corner, const std::string& n) {
    const std::string share = Decimal(corner.width);
    const std::string x =
        corner.left < 0 ? std::string("W-w-16") : "trunc(W*" + Decimal(corner.left) + ")";
    const std::string y =
        corner.left < 0 ? std::string("16") : "trunc(H*" + Decimal(corner.top) + ")";
    return "scale2ref=w=trunc(main_w*" + share + "/2)*2:h=trunc(ow/a/2)*2[small" + n + "][base" +
           n + "];[base" + n + "][small" + n + "]overlay=x=" + x + ":y=" + y +
           ":eof_action=pass[pic" + n + "];";
}

} // namespace

std::string FilterGraphPath(const std::string& path) {
    return Escaped(Escaped(path, "\\':"), "\\'[],;");
}

bool ProgressSeconds(const std::string& line, double& seconds) {
    constexpr std::string_view kKey = "out_time_us=";
    if (line.rfind(kKey, 0) != 0) {
        return false;
    }
    const std::string value = line.substr(kKey.size());
    char* end = nullptr;
    const long long us = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || end == value.c_str() || *end != '\0' || us < 0) {
        return false;
    }
    seconds = static_cast<double>(us) / 1e6;
    return true;
}

ExcerptCommand BuildExcerptCommand(const ExcerptRequest& request,
                                   const std::vector<ExcerptSpan>& spans,
                                   const ExcerptFiles& files) {
    ExcerptCommand command;
    std::vector<std::string>& a = command.arguments;
    a = {"-nostdin", "-hide_banner", "-v", "error", "-nostats", "-progress", "pipe:1", "-y"};
    const size_t pieces = request.pieces.size();
    // Copied pieces go through the concat demuxer, which cuts whole packets and so is exact
    // from a key frame. Re-encoded pieces are each an input of their own: a decoded input
    // seeks to the very frame, where the demuxer would let the frames before its in point
    // through.
    size_t videoInputs = 1;
    if (pieces == 1 || request.overlay) {
        for (size_t i = 0; i < pieces; ++i) {
            a.insert(a.end(), {"-ss", Decimal(spans[i].start), "-to", Decimal(spans[i].end), "-i",
                               request.pieces[i].clip});
        }
        videoInputs = pieces;
    } else {
        for (size_t i = 0; i < pieces; ++i) {
            // The demuxer reads a relative name from the list's own folder, not ours.
            const std::string clip = std::filesystem::absolute(request.pieces[i].clip).string();
            command.concatList += "file " + ConcatQuoted(clip) + "\ninpoint " +
                                  Decimal(spans[i].start) + "\noutpoint " + Decimal(spans[i].end) +
                                  "\n";
        }
        a.insert(a.end(), {"-f", "concat", "-safe", "0", "-i", files.concatList});
    }
    // The other camera's clip of each piece, and silence for each piece without sound
    // when another has some: the concat filter joins only streams every piece has.
    std::vector<int> pipInput(pieces, -1);
    std::vector<int> soundInput(pieces, -1);
    int inputs = static_cast<int>(videoInputs);
    bool sound = false;
    if (request.overlay) {
        for (size_t i = 0; i < pieces; ++i) {
            if (i < request.beside.size() && !request.beside[i].empty()) {
                a.insert(a.end(), {"-ss", Decimal(spans[i].start), "-to", Decimal(spans[i].end),
                                   "-i", request.beside[i]});
                pipInput[i] = inputs++;
            }
            sound = sound || spans[i].sound;
        }
        for (size_t i = 0; i < pieces && sound && pieces > 1; ++i) {
            if (spans[i].sound) {
                soundInput[i] = static_cast<int>(i);
            } else {
                a.insert(a.end(), {"-f", "lavfi", "-t", Decimal(spans[i].end - spans[i].start),
                                   "-i", "anullsrc=r=48000:cl=stereo"});
                soundInput[i] = inputs++;
            }
        }
    }
    const std::string subtitleInput = std::to_string(inputs);
    if (!files.nmeaSrt.empty()) {
        a.insert(a.end(), {"-i", files.nmeaSrt});
    }
    if (request.overlay) {
        std::string graph;
        std::string joined;
        for (size_t i = 0; i < pieces; ++i) {
            const std::string n = std::to_string(i);
            std::string picture = "[" + n + ":v]";
            if (pipInput[i] != -1) {
                graph += "[" + std::to_string(pipInput[i]) + ":v]" + picture +
                         SmallPictureFilters(request.corner, n);
                picture = "[pic" + n + "]";
            }
            joined += picture;
            if (soundInput[i] != -1) {
                joined += "[" + std::to_string(soundInput[i]) + ":a]";
            }
        }
        std::string picture = joined;
        if (pieces > 1) {
            graph += joined + "concat=n=" + std::to_string(pieces) +
                     ":v=1:a=" + (soundInput[0] != -1 ? "1[cat][sound];" : "0[cat];");
            picture = "[cat]";
        }
        graph += picture + "ass=filename=" + FilterGraphPath(files.captionsAss) + "[v]";
        a.insert(a.end(), {"-filter_complex", graph, "-map", "[v]", "-c:v", "libx264", "-preset",
                           "ultrafast", "-crf", "20", "-pix_fmt", "yuv420p"});
        if (pieces == 1) {
            a.insert(a.end(), {"-map", "0:a?", "-c:a", "aac"});
        } else if (soundInput[0] != -1) {
            a.insert(a.end(), {"-map", "[sound]", "-c:a", "aac"});
        }
    } else {
        a.insert(a.end(), {"-map", "0:v:0", "-map", "0:a?", "-c:v", "copy", "-c:a", "copy"});
    }
    if (!files.nmeaSrt.empty()) {
        a.insert(a.end(), {"-map", subtitleInput + ":s", "-c:s", "mov_text", "-metadata:s:s:0",
                           "handler_name=NMEA"});
    }
    a.insert(a.end(),
             {"-map_metadata", "-1", "-movflags", "+faststart", "-f", "mp4", files.output});
    return command;
}
