#include "playback/CDriveEventMenu.h"
#include "playback/CDriveTimeline.h"
#include "playback/DriveTimeText.h"

#include "tests/support/PaintedControl.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// 2024-06-01 12:00:30 UTC, 14:00:30 in Stockholm (summer time, UTC+2).
constexpr int64_t kStart = 1717243230;

// Three clips as a camera cuts a drive: 0-120 s, a stop the camera did not record, 130-310 s,
// and 310-360 s right after it. Events: braking at 50 s, cornering at 70 s into the second
// clip (200 s), an impact 20 s into the third (330 s).
std::shared_ptr<LoadedDrive> ThreeClipDrive(DriveClock clock) {
    auto loaded = std::make_shared<LoadedDrive>();
    Drive& drive = loaded->drive;
    drive.clock = clock;
    drive.start = clock == DriveClock::None ? 0 : kStart;
    drive.seconds = 360;
    drive.end = drive.start + drive.seconds;
    const struct {
        int64_t at;
        double seconds;
        std::vector<DrivingEvent> events;
    } clips[] = {
        {0, 120.0, {{50, DrivingEventKind::HarshBraking, 0.52, 63}}},
        {130, 180.0, {{70, DrivingEventKind::HardCornering, 0.41, std::nullopt}}},
        {310, 50.0, {{20, DrivingEventKind::Impact, 1.8, 0}}},
    };
    for (const auto& c : clips) {
        DriveClip clip;
        clip.at = c.at;
        clip.main.seconds = c.seconds;
        clip.main.events = c.events;
        drive.clips.push_back(clip);
    }
    loaded->events = EventsOfDrive(drive);
    return loaded;
}

// 403 px wide: the axis runs from x 6 to x 366 (6 px either side, 30 for the event box), so
// one pixel is one second of the 360 s drive and second s is at x = 6 + s.
class DriveTimeline : public ::testing::Test {
protected:
    DriveTimeline() : timeline(&holder) {
        timeline.resize(403, CDriveTimeline::kHeight);
        timeline.SetDrive(ThreeClipDrive(DriveClock::Utc));
        QObject::connect(&timeline, &CDriveTimeline::seekRequested,
                         [this](double second) { seeks.push_back(second); });
    }

    void Mouse(QEvent::Type type, int x) {
        const QPointF at(x, 15);
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, timeline.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&timeline, &event);
    }

    bool LineAt(const QImage& image, int x) {
        return PixelAt(image, x, 2) == timeline.palette().color(QPalette::Highlight);
    }

    QWidget holder;
    CDriveTimeline timeline;
    std::vector<double> seeks;
};

TEST_F(DriveTimeline, PaintsClipsGapsEventsAndWherePlaybackIs) {
    const QImage image = Render(timeline);
    // The palette keeps its mid tone in another colour model; only the RGB is painted.
    const QColor band = QColor(timeline.palette().color(QPalette::Mid).rgb());
    const QColor window = timeline.palette().color(QPalette::Window);
    // Inside the first and the second clip, and in the 10 s gap between them.
    EXPECT_EQ(PixelAt(image, 6 + 60, 15), band);
    EXPECT_EQ(PixelAt(image, 6 + 200, 15), band);
    EXPECT_EQ(PixelAt(image, 6 + 125, 15), window);
    const struct {
        int second;
        DrivingEventKind kind;
    } marks[] = {{50, DrivingEventKind::HarshBraking},
                 {200, DrivingEventKind::HardCornering},
                 {330, DrivingEventKind::Impact}};
    for (const auto& mark : marks) {
        EXPECT_EQ(PixelAt(image, 6 + mark.second, 4), DriveEventColour(mark.kind)) << mark.second;
    }
    EXPECT_TRUE(LineAt(image, 6));

    timeline.SetDriveSecond(100);
    EXPECT_TRUE(LineAt(Render(timeline), 106));
    timeline.SetDriveSecond(300);
    const QImage moved = Render(timeline);
    EXPECT_TRUE(LineAt(moved, 306));
    EXPECT_FALSE(LineAt(moved, 106));
}

// The excerpt from drive second 100 to 250 shades the bands between them, across the gap's
// clip boundary, with a bracket in the highlight at each end; outside it the band is plain.
TEST_F(DriveTimeline, ShadesTheExcerptBetweenItsBrackets) {
    const QColor band = QColor(timeline.palette().color(QPalette::Mid).rgb());
    const QColor highlight = timeline.palette().color(QPalette::Highlight);
    timeline.SetExcerpt(100, 250);
    const QImage image = Render(timeline);
    EXPECT_NE(PixelAt(image, 6 + 180, 15), band);
    EXPECT_EQ(PixelAt(image, 6 + 60, 15), band);
    EXPECT_EQ(PixelAt(image, 6 + 280, 15), band);
    EXPECT_EQ(PixelAt(image, 6 + 100, 7), highlight);
    EXPECT_EQ(PixelAt(image, 6 + 250, 7), highlight);
    timeline.SetExcerpt(std::nullopt, std::nullopt);
    EXPECT_EQ(PixelAt(Render(timeline), 6 + 180, 15), band);
}

// The line follows a drag, and one seek is asked for, on release, at the second under it,
// limited to the drive.
TEST_F(DriveTimeline, APressOrDragSeeksOnReleaseToTheSecondUnderIt) {
    const struct {
        int press, release;
        double second;
    } cases[] = {
        {206, 206, 200.0},
        {100, 56, 50.0},
        {100, -40, 0.0},
        {100, 390, 360.0},
    };
    for (const auto& c : cases) {
        seeks.clear();
        Mouse(QEvent::MouseButtonPress, c.press);
        Mouse(QEvent::MouseMove, c.release);
        EXPECT_TRUE(seeks.empty());
        EXPECT_TRUE(LineAt(Render(timeline), 6 + static_cast<int>(c.second)));
        Mouse(QEvent::MouseButtonRelease, c.release);
        EXPECT_EQ(seeks, std::vector<double>{c.second}) << c.press << " to " << c.release;
    }
}

// An event the drive's clock puts past its end is marked at the axis's end (x 366), not in
// the event box; a position that is no number leaves the line where it was.
TEST_F(DriveTimeline, WhatFallsOutsideTheDriveStaysOnItsAxis) {
    auto drive = ThreeClipDrive(DriveClock::Utc);
    drive->events.push_back({2, 380, {70, DrivingEventKind::Impact, 2.0, std::nullopt}});
    timeline.SetDrive(drive);
    timeline.SetDriveSecond(100);
    timeline.SetDriveSecond(std::nan(""));
    const QImage image = Render(timeline);
    const QColor impact = DriveEventColour(DrivingEventKind::Impact);
    EXPECT_EQ(PixelAt(image, 366, 4), impact);
    EXPECT_EQ(CountPixels(
                  image, [&](QColor c) { return c == impact; }, QRect(373, 0, 30, 8)),
              0);
    EXPECT_TRUE(LineAt(image, 106));
}

TEST(DriveTimelineShown, OnlyWithADrive) {
    QWidget window;
    CDriveTimeline timeline(&window);
    window.show();
    EXPECT_FALSE(timeline.isVisible());
    timeline.SetDrive(ThreeClipDrive(DriveClock::Utc));
    EXPECT_TRUE(timeline.isVisible());
    timeline.SetDrive(nullptr);
    EXPECT_FALSE(timeline.isVisible());
}

class DriveTimeText : public ::testing::Test {
protected:
    void SetUp() override {
        m_zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Stockholm");
        tzset();
    }
    void TearDown() override {
        qputenv("TZ", m_zone);
        tzset();
    }

private:
    QByteArray m_zone;
};

// At one pixel a second the labels go every two minutes (one minute is under the 64 px a
// label needs), on round minutes of the clock: 14:00:30 local starts the drive, so 14:02 is
// 90 s into it.
TEST_F(DriveTimeText, LabelsFallOnRoundTimesOfTheDrivesClock) {
    const struct {
        DriveClock clock;
        std::vector<double> seconds;
        QStringList texts;
    } cases[] = {
        {DriveClock::Utc, {90, 210, 330}, {"14:02", "14:04", "14:06"}},
        {DriveClock::Camera, {90, 210, 330}, {"12:02", "12:04", "12:06"}},
        {DriveClock::None, {0, 120, 240, 360}, {"0:00", "2:00", "4:00", "6:00"}},
    };
    for (const auto& c : cases) {
        std::vector<double> seconds;
        QStringList texts;
        for (const DriveTimeLabel& label :
             DriveTimeLabels(ThreeClipDrive(c.clock)->drive, 360.0, 1.0)) {
            seconds.push_back(label.second);
            texts.push_back(label.text);
        }
        EXPECT_EQ(seconds, c.seconds) << static_cast<int>(c.clock);
        EXPECT_EQ(texts, c.texts) << static_cast<int>(c.clock);
    }
}

// The list's lines in local time (start 14:00:30 plus each event's drive second), and the
// line chosen seeks to its event; under them, the excerpt's marks.
TEST_F(DriveTimeText, TheEventListReadsEachEventAndSeeksToTheChosenOne) {
    const auto drive = ThreeClipDrive(DriveClock::Utc);
    CDriveEventMenu menu(*drive);
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        lines.push_back(action->text());
    }
    EXPECT_EQ(lines,
              QStringList({"14:01:20  harsh braking  0.52 g  63 km/h",
                           "14:03:50  hard cornering  0.41 g", "14:06:00  impact  1.80 g  0 km/h",
                           "", "Excerpt starts here (I)", "Excerpt ends here (O)"}));
    std::vector<double> chosen;
    QObject::connect(&menu, &CDriveEventMenu::eventChosen,
                     [&](double second) { chosen.push_back(second); });
    int starts = 0;
    int ends = 0;
    QObject::connect(&menu, &CDriveEventMenu::excerptStartChosen, [&] { ++starts; });
    QObject::connect(&menu, &CDriveEventMenu::excerptEndChosen, [&] { ++ends; });
    menu.actions()[1]->trigger();
    EXPECT_EQ(chosen, std::vector<double>{200.0});
    menu.actions()[5]->trigger();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(starts, 0);
}

} // namespace
