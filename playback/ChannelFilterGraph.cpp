#include "playback/ChannelFilterGraph.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr char kPlaceholderColour[] = "0x1c1c1c";
constexpr char kPlaceholderTextColour[] = "0x9a9a9a";
constexpr char kCanvasColour[] = "black";
// A sans-serif glyph is at most about this share of the font size wide, on average over a
// line of words; the placeholder's words are sized by it.
constexpr double kGlyphWidthShare = 0.62;
constexpr int kSmallestFont = 8;

// C-locale decimal text, whatever the process locale says.
std::string Decimal(double value) {
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, written.ptr);
}

std::string Box(const PictureRect& cell, const char* colour) {
    return "drawbox=x=" + std::to_string(cell.x) + ":y=" + std::to_string(cell.y) +
           ":w=" + std::to_string(cell.width) + ":h=" + std::to_string(cell.height) +
           ":color=" + colour + ":t=fill";
}

// Only letters, digits and spaces reach the filter text, so nothing in a camera's name can
// end the quoted value or pass an option of its own.
std::string PlainWords(const std::string& name) {
    std::string words;
    for (const char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == ' ') {
            words += c;
        }
    }
    return words.empty() ? "Camera" : words;
}

// The words are sized to stay inside the cell, since nothing clips them there; a cell too
// small for words readable at all gets the box alone.
std::string Placeholder(const PictureRect& cell, const std::string& name, bool text) {
    std::string filter = Box(cell, kPlaceholderColour);
    const std::string words = PlainWords(name) + "  no picture";
    const double fitting = cell.width / (kGlyphWidthShare * static_cast<double>(words.size()));
    const int size = static_cast<int>(std::min(cell.height / 6.0, fitting));
    if (text && size >= kSmallestFont) {
        filter += ",drawtext=text='" + words + "':fontcolor=" + kPlaceholderTextColour +
                  ":fontsize=" + std::to_string(size) + ":x=" + std::to_string(cell.x) + "+(" +
                  std::to_string(cell.width) + "-text_w)/2:y=" + std::to_string(cell.y) + "+(" +
                  std::to_string(cell.height) + "-text_h)/2";
    }
    return filter;
}

// The channel's frames moved to the first channel's time and fitted into its cell.
std::string Fitted(const ChannelInput& input, const PictureRect& cell) {
    std::string chain;
    if (input.offsetSeconds != 0) {
        chain += "setpts=PTS" + std::string(input.offsetSeconds > 0 ? "+" : "-") +
                 Decimal(std::abs(input.offsetSeconds)) + "/TB,";
    }
    return chain + "scale=w=" + std::to_string(cell.width) + ":h=" + std::to_string(cell.height) +
           ":force_original_aspect_ratio=decrease:force_divisible_by=2:flags=fast_bilinear";
}

std::string Overlay(const PictureRect& cell) {
    return "overlay=x=" + std::to_string(cell.x) + "+(" + std::to_string(cell.width) +
           "-overlay_w)/2:y=" + std::to_string(cell.y) + "+(" + std::to_string(cell.height) +
           "-overlay_h)/2:eof_action=pass";
}

std::string Label(const char* stem, size_t n) {
    return std::string("[") + stem + std::to_string(n) + "]";
}

} // namespace

std::string ChannelFilterGraph(const ChannelCanvas& canvas, const std::vector<ChannelInput>& inputs,
                               const ChannelGraphOptions& options) {
    if (inputs.empty() || inputs.front().track == 0 || canvas.cells.size() != inputs.size()) {
        return {};
    }
    const PictureRect& firstCell = canvas.cells.front();
    // Shown big, the first channel's own frames are the canvas, padded where the others sit
    // beside it; otherwise a cleared copy of them is, and it is drawn like any other.
    const bool firstIsCanvas = canvas.order.front() == 0 && firstCell.x == 0 && firstCell.y == 0;
    const std::string first = "[vid" + std::to_string(inputs.front().track) + "]";
    std::string graph;
    std::string canvasLabel = Label("c", 0);
    size_t step = 0;
    if (firstIsCanvas) {
        graph += first;
    } else {
        graph += first + "split=2[canvas][first];[canvas]";
    }
    const bool wider = canvas.width > firstCell.width || canvas.height > firstCell.height;
    if (wider) {
        graph += "pad=w=" + std::to_string(canvas.width) + ":h=" + std::to_string(canvas.height) +
                 ":x=0:y=0:color=" + kCanvasColour;
    }
    if (!firstIsCanvas) {
        graph +=
            std::string(wider ? "," : "") + Box({0, 0, canvas.width, canvas.height}, kCanvasColour);
    } else if (!wider) {
        graph += "null";
    }
    graph += canvasLabel + ";";
    for (const int channel : canvas.order) {
        if (channel == 0 && firstIsCanvas) {
            continue;
        }
        const ChannelInput& input = inputs[channel];
        const PictureRect& cell = canvas.cells[channel];
        std::string painted = canvasLabel;
        if (channel != 0) {
            graph += canvasLabel + Placeholder(cell, input.name, options.placeholderText) +
                     Label("p", step) + ";";
            painted = Label("p", step);
        }
        if (channel != 0 && input.track == 0) {
            canvasLabel = painted;
            ++step;
            continue;
        }
        const std::string source =
            channel == 0 ? "[first]" : "[vid" + std::to_string(input.track) + "]";
        graph += source +
                 Fitted(channel == 0 ? ChannelInput{input.track, 0, input.name} : input, cell) +
                 Label("f", step) + ";" + painted + Label("f", step) + Overlay(cell) +
                 Label("c", step + 1) + ";";
        canvasLabel = Label("c", step + 1);
        ++step;
    }
    // The last link becomes the picture the video output shows.
    graph += canvasLabel + "null[vo]";
    if (options.audioTrack != 0) {
        graph += ";[aid" + std::to_string(options.audioTrack) + "]anull[ao]";
    }
    return graph;
}
