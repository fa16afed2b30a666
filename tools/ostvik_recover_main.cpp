// ostvik-recover: rebuilds the index of a clip a power cut left without one, so that it
// plays again, with the camera's GPS blocks kept where the track readers find them.

#include "CommandLine.h"
#include "recover/ClipRecovery.h"
#include "recover/RecoveryPlace.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: ostvik-recover [--template HEALTHY.MP4] CUT.MP4 [-o OUT.MP4]\n"
    "Rebuilds the index (moov) of CUT.MP4, a clip whose camera lost power while writing it,\n"
    "and writes the playable clip to OUT.MP4 (by default NAME.recovered.MP4 beside CUT.MP4,\n"
    "or in the current folder when that folder cannot be written). HEALTHY.MP4, a whole clip\n"
    "of the same camera and settings, gives the video's setup and frame rate; without it\n"
    "they come from the parameter sets inside the cut clip. H.264 and H.265 video is\n"
    "recovered, and AAC sound as a second track when HEALTHY.MP4 has sound (it gives the\n"
    "sound's setup; without it the sound is left out). The cut clip is only read, and an\n"
    "existing OUT.MP4 is never overwritten.\n";

constexpr CommandLine kTool{"ostvik-recover", kUsage};

} // namespace

int main(int argc, char** argv) {
    std::string templateClip;
    std::string cut;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (AnswersHelpOrVersion(kTool, arg)) {
            return 0;
        }
        if (arg == "--template" || arg == "-o") {
            if (i + 1 == argc) {
                return UsageError(kTool, arg + " needs a file name");
            }
            (arg == "-o" ? output : templateClip) = argv[++i];
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return UsageError(kTool, "unknown option " + arg);
        } else if (cut.empty()) {
            cut = arg;
        } else {
            return UsageError(kTool, "one cut clip at a time");
        }
    }
    if (cut.empty()) {
        return UsageError(kTool, "no cut clip given");
    }
    if (output.empty()) {
        output = RecoveredClipPath(cut, ".");
    }
    const RecoveryOutcome outcome = RecoverClip(cut, templateClip, output);
    if (!outcome.ok) {
        std::cerr << kTool.program << ": " << cut << ": " << outcome.why << "\n";
        return 1;
    }
    std::printf("%s: %llu frames, %llu key frames, %.3f frames/s%s\n", output.c_str(),
                static_cast<unsigned long long>(outcome.frames),
                static_cast<unsigned long long>(outcome.keyFrames), outcome.frameRate,
                outcome.timingAssumed ? " (assumed: the stream gives no rate)" : "");
    if (outcome.soundFrames > 0) {
        std::printf("%s: %llu AAC sound frames\n", output.c_str(),
                    static_cast<unsigned long long>(outcome.soundFrames));
    }
    if (!outcome.soundNote.empty()) {
        std::printf("%s: %s\n", output.c_str(), outcome.soundNote.c_str());
    }
    if (outcome.skippedBytes > 0) {
        std::printf("%s: %llu bytes of neither frames nor camera blocks (sound or damage) "
                    "skipped\n",
                    output.c_str(), static_cast<unsigned long long>(outcome.skippedBytes));
    }
    return 0;
}
