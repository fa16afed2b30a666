// The excerpt's marks: kept in order, forgotten when something else opens, and cut into
// pieces of clip files along a drive.
#include "track/ExcerptMarks.h"
#include "track/DriveAxis.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Clips of 60, 60 and 30.5 s at drive seconds 0, 65 and 130, as a camera that pauses 5 s
// between files records them.
std::shared_ptr<const LoadedDrive> ThreeClipDrive() {
    auto drive = std::make_shared<LoadedDrive>();
    const double lengths[] = {60, 60, 30.5};
    const int64_t at[] = {0, 65, 130};
    for (int i = 0; i < 3; ++i) {
        DriveClip clip;
        clip.main.path = "/card/" + std::string(1, char('a' + i)) + ".mp4";
        clip.main.seconds = lengths[i];
        clip.at = at[i];
        drive->drive.clips.push_back(clip);
    }
    return drive;
}

// I and O in any order: a mark at or past the other one clears it.
TEST(ExcerptMarks, StartStaysBeforeEnd) {
    struct Case {
        std::vector<std::pair<char, double>> presses;
        std::optional<double> start, end;
    };
    const Case cases[] = {
        {{{'I', 5}, {'O', 9}}, 5, 9},
        {{{'O', 9}, {'I', 5}}, 5, 9},              // end first, then start
        {{{'O', 9}, {'I', 12}}, 12, std::nullopt}, // start past the end drops it
        {{{'I', 5}, {'O', 3}}, std::nullopt, 3},   // end before the start drops it
        {{{'I', 5}, {'O', 5}}, std::nullopt, 5},   // nothing between them
        {{{'I', 5}, {'O', 9}, {'I', 7}}, 7, 9},    // a new start inside keeps the end
        {{{'I', -0.2}}, 0, std::nullopt},          // before the clip: its start
    };
    for (const Case& c : cases) {
        ExcerptMarks marks;
        marks.Follow("/card/a.mp4", nullptr);
        for (const auto& [key, second] : c.presses) {
            key == 'I' ? marks.SetStart(second) : marks.SetEnd(second);
        }
        EXPECT_EQ(marks.Start(), c.start) << c.presses.size();
        EXPECT_EQ(marks.End(), c.end) << c.presses.size();
    }
}

// Marks are the open clip's or drive's: another one clears them, the next clip of the same
// drive does not.
TEST(ExcerptMarks, ForgottenWhenAnotherClipOrDriveOpens) {
    const auto drive = ThreeClipDrive();
    const auto other = ThreeClipDrive();
    struct Case {
        std::shared_ptr<const LoadedDrive> before;
        std::string clip;
        std::shared_ptr<const LoadedDrive> after;
        bool kept;
    };
    const Case cases[] = {
        {nullptr, "/card/a.mp4", nullptr, true}, // the same clip again
        {nullptr, "/card/b.mp4", nullptr, false},
        {nullptr, "/card/a.mp4", drive, false}, // the clip alone, then in its drive
        {drive, "/card/b.mp4", drive, true},    // the drive's next clip
        {drive, "/card/a.mp4", nullptr, false},
        {drive, "/card/b.mp4", other, false},
    };
    for (const Case& c : cases) {
        ExcerptMarks marks;
        marks.Follow("/card/a.mp4", c.before);
        marks.SetStart(1);
        marks.SetEnd(2);
        marks.Follow(c.clip, c.after);
        EXPECT_EQ(marks.Start().has_value(), c.kept) << c.clip;
        EXPECT_EQ(marks.End().has_value(), c.kept) << c.clip;
    }
}

// Drive seconds 50 to 140 cover a.mp4 from 50 to its end at 60, all of b.mp4 (65 to 125),
// and c.mp4 (from 130) to 10; the gaps 60-65 and 125-130 belong to no clip.
TEST(ExcerptMarks, PiecesAreOnePerClipTheExcerptCovers) {
    struct Case {
        double start, end;
        bool inDrive;
        std::vector<ExcerptPiece> pieces;
    };
    const Case cases[] = {
        {50, 140, true, {{"/card/a.mp4", 50, 60}, {"/card/b.mp4", 0, 60}, {"/card/c.mp4", 0, 10}}},
        {61, 64, true, {}},                             // inside a gap: nothing recorded
        {140, 200, true, {{"/card/c.mp4", 10, 30.5}}},  // past the end: up to the last clip's end
        {12.5, 20, false, {{"/card/b.mp4", 12.5, 20}}}, // a clip alone: its own seconds
    };
    const auto drive = ThreeClipDrive();
    for (const Case& c : cases) {
        ExcerptMarks marks;
        marks.Follow("/card/b.mp4", c.inDrive ? drive : nullptr);
        marks.SetStart(c.start);
        EXPECT_TRUE(marks.Pieces().empty()); // one mark is no excerpt yet
        marks.SetEnd(c.end);
        EXPECT_EQ(marks.Pieces(), c.pieces) << c.start;
    }
}

} // namespace
