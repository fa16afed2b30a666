// The export tool as a user runs it: times of day read in the clock the overlay shows, a stop
// signal that leaves neither files nor an ffmpeg behind, and a failure told in one line.

#include "ExcerptTestSupport.h"

#include "tests/support/ClipMaker.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kFrame = 0.1; // the clips run at 10 frames a second

size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string ReadAll(const std::string& path) {
    return FileBytes(path);
}

// The ids of the ffmpeg processes whose command line names something in `folder`.
std::vector<pid_t> FfmpegsIn(const std::filesystem::path& folder) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::string line = ReadAll((entry.path() / "cmdline").string());
        const std::string program = line.substr(0, line.find('\0'));
        if (std::filesystem::path(program).filename() == "ffmpeg" &&
            line.find(folder.string()) != std::string::npos) {
            found.push_back(static_cast<pid_t>(std::stol(name)));
        }
    }
    return found;
}

// Runs the tool in the background with its standard error in `errFile`.
pid_t StartTool(const std::vector<std::string>& args, const std::string& errFile) {
    // Made before the fork: a child of a process with threads may only make async-signal-safe
    // calls until it executes.
    std::vector<char*> argv{const_cast<char*>(OSTVIK_EXPORT_TOOL)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::execv(OSTVIK_EXPORT_TOOL, argv.data());
        ::_exit(127);
    }
    return child;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string FirstGpxTime(const std::string& gpx) {
    const std::string text = ReadAll(gpx);
    const size_t at = text.find("<time>");
    return at == std::string::npos ? "" : text.substr(at + 6, 20);
}

} // namespace

TEST(ExportTool, TimesOfDayAreReadInTheClockTheOverlayShows) {
    const auto folder = TestFolder("export");
    const std::string clip = (folder / "src.mp4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 30 --fps 10 --frame-code --size 320x240 "
                             "--start 2024-06-01T12:00:00")
                  .status,
              0);
    const std::string out = (folder / "out.mp4").string();
    struct Row {
        const char* zone;
        const char* from;
        const char* to;
    };
    // 12:00:10 UTC is 14:00:10 two hours east (summer time in Stockholm too) and 08:00:10 in
    // New York's summer time, four hours west.
    for (const Row row :
         {Row{"UTC-2", "14:00:10", "14:00:16"}, Row{"Europe/Stockholm", "14:00:10", "14:00:16"},
          Row{"America/New_York", "08:00:10", "08:00:16"}}) {
        const ToolRun run = Shell(std::string("TZ=") + row.zone + " " + Quoted(OSTVIK_EXPORT_TOOL) +
                                  " --overlay --from " + row.from + " --to " + row.to + " -o " +
                                  Quoted(out) + " " + Quoted(clip));
        ASSERT_EQ(run.status, 0) << row.zone << ": " << run.err;
        EXPECT_NEAR(ProbeDuration(out), 6.0, kFrame) << row.zone;
        EXPECT_EQ(FirstFrameCode(out, kWidth, kHeight), 100) << row.zone;
        EXPECT_EQ(FirstGpxTime((folder / "out.gpx").string()), "2024-06-01T12:00:10Z") << row.zone;
    }
    std::filesystem::remove_all(folder);
}

// A copy says how far back its start moved to a key frame, and looks at its clip once for
// it: ffprobe, which lists every packet of the clip, is slow on a big one.
TEST(ExportTool, ACopySaysHowEarlyItStartsAndProbesItsClipOnce) {
    const auto folder = TestFolder("export");
    const std::string coded = (folder / "coded.mp4").string();
    ASSERT_EQ(MakeClip(coded, "--seconds 30 --fps 10 --frame-code --size 320x240").status, 0);
    // Key frames every 40 frames, at 0, 4, 8, 12 s: a copy from 10 s starts at 8 s.
    const std::string clip = (folder / "gop.mp4").string();
    ASSERT_EQ(Shell("ffmpeg -v error -nostdin -i " + Quoted(coded) +
                    " -map 0:v -c:v libx264 -g 40 -keyint_min 40 -sc_threshold 0 " + Quoted(clip))
                  .status,
              0);
    const std::filesystem::path bin = folder / "bin";
    std::filesystem::create_directories(bin);
    const std::string calls = (folder / "calls").string();
    const ToolRun real = Shell("command -v ffprobe");
    ASSERT_EQ(real.status, 0);
    std::ofstream(bin / "ffprobe") << "#!/bin/sh\necho call >> " << Quoted(calls) << "\nexec "
                                   << real.out.substr(0, real.out.find('\n')) << " \"$@\"\n";
    std::filesystem::permissions(bin / "ffprobe", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    const std::string out = (folder / "out.mp4").string();
    const ToolRun run =
        Shell("PATH=" + Quoted(bin.string()) + ":\"$PATH\" " + Quoted(OSTVIK_EXPORT_TOOL) +
              " --from 10 --to 14 -o " + Quoted(out) + " " + Quoted(clip));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("starts 2 s early"), std::string::npos) << run.err;
    EXPECT_EQ(Lines(ReadAll(calls)), 1u);
    std::filesystem::remove_all(folder);
}

TEST(ExportTool, StopSignalEndsFfmpegAndLeavesNothing) {
    const auto folder = TestFolder("export");
    const std::string clip = (folder / "src.mp4").string();
    // Long enough that re-encoding it takes a few seconds, so the signal comes mid-export.
    ASSERT_EQ(MakeClip(clip, "--seconds 40 --fps 25 --size 640x360").status, 0);
    const std::string errFile = folder.string() + ".stderr";
    // Qt's offscreen platform, which a report is painted on, warns of a session without a
    // runtime folder; given one, the tool's own line is all its standard error holds.
    const std::filesystem::path runtime = folder.string() + ".runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    // With a report asked for, the clips are being hashed too when the signal comes.
    for (const int signal : {SIGTERM, SIGINT}) {
        std::vector<std::string> args = {
            "--overlay", "--from", "0", "--to", "40", "-o", (folder / "out.mp4").string(), clip};
        if (signal == SIGTERM) {
            args.insert(args.begin(), "--report");
        }
        const pid_t tool = StartTool(args, errFile);
        ASSERT_GT(tool, 0);
        const bool running =
            WaitFor([&] { return !FfmpegsIn(folder).empty(); }, std::chrono::seconds(30));
        EXPECT_TRUE(running) << "no ffmpeg was seen at work";
        ::kill(tool, signal);
        int status = 0;
        const bool ended = WaitFor([&] { return ::waitpid(tool, &status, WNOHANG) == tool; },
                                   std::chrono::seconds(30));
        if (!ended) {
            ::kill(tool, SIGKILL);
            ::waitpid(tool, &status, 0);
        }
        // Looked for at once: the tool must not leave ffmpeg to end on its own.
        const std::vector<pid_t> left = FfmpegsIn(folder);
        for (const pid_t orphan : left) {
            ::kill(orphan, SIGKILL);
        }
        EXPECT_TRUE(ended) << signal;
        EXPECT_TRUE(left.empty()) << "an ffmpeg is left at work";
        EXPECT_TRUE(WIFEXITED(status)) << "killed by the signal " << signal;
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 128 + signal);
        EXPECT_EQ(Lines(ReadAll(errFile)), 1u) << ReadAll(errFile);
        for (const auto& name : FolderNames(folder)) {
            if (name != "src.mp4") {
                ADD_FAILURE() << "left behind: " << name;
                std::filesystem::remove(folder / name);
            }
        }
    }
    std::filesystem::remove(errFile);
    std::filesystem::remove_all(runtime);
    std::filesystem::remove_all(folder);
}

TEST(ExportTool, BadInputIsToldInOneLine) {
    const auto folder = TestFolder("export");
    const std::string clip = (folder / "src.mp4").string();
    ASSERT_EQ(MakeClip(clip, "--seconds 5").status, 0);
    const std::string tool = Quoted(OSTVIK_EXPORT_TOOL);
    const std::string out = " -o " + Quoted((folder / "out.mp4").string()) + " ";
    struct Row {
        std::string command;
        int status;
        std::string says;
    };
    const std::vector<Row> rows = {
        {tool + " --from 1 --to 2" + out + Quoted((folder / "gone.mp4").string()), 1, "gone.mp4"},
        {tool + " --from 25:00:00 --to 12:00:03" + out + Quoted(clip), 2, "25:00:00"},
        {tool + " --from 12:00:03Z --to 12:00:01Z" + out + Quoted(clip), 2, "--to"},
        {tool + " --from 1 --to 2 -o " + Quoted((folder / "no" / "out.mp4").string()) + " " +
             Quoted(clip),
         1, "no folder"},
    };
    for (const Row& row : rows) {
        const ToolRun run = Shell(row.command);
        EXPECT_EQ(run.status, row.status) << row.command;
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
    }
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"src.mp4"});
    std::filesystem::remove_all(folder);
}
