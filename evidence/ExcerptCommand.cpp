#include "evidence/ExcerptCommand.h"

#include <cstdio>
#include <cstdlib>

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
    if (request.pieces.size() == 1) {
        a.insert(a.end(), {"-ss", Decimal(spans[0].start), "-to", Decimal(spans[0].end), "-i",
                           request.pieces[0].clip});
    } else {
        for (size_t i = 0; i < request.pieces.size(); ++i) {
            command.concatList += "file " + ConcatQuoted(request.pieces[i].clip) + "\ninpoint " +
                                  Decimal(spans[i].start) + "\noutpoint " + Decimal(spans[i].end) +
                                  "\n";
        }
        a.insert(a.end(), {"-f", "concat", "-safe", "0", "-i", files.concatList});
    }
    const bool pip = request.overlay && !request.beside.empty();
    if (pip) {
        a.insert(a.end(), {"-ss", Decimal(spans[0].start), "-to", Decimal(spans[0].end), "-i",
                           request.beside[0]});
    }
    const std::string subtitleInput = pip ? "2" : "1";
    if (!files.nmeaSrt.empty()) {
        a.insert(a.end(), {"-i", files.nmeaSrt});
    }
    if (request.overlay) {
        const std::string captions = "ass=filename=" + FilterGraphPath(files.captionsAss);
        const std::string graph =
            pip ? "[1:v]scale=iw/4:-2[pip];[0:v][pip]overlay=W-w-16:16:eof_action=pass," +
                      captions + "[v]"
                : "[0:v]" + captions + "[v]";
        a.insert(a.end(),
                 {"-filter_complex", graph, "-map", "[v]", "-map", "0:a?", "-c:v", "libx264",
                  "-preset", "superfast", "-crf", "20", "-pix_fmt", "yuv420p", "-c:a", "aac"});
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
