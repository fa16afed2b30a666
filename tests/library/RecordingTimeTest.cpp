#include "library/RecordingTime.h"

#include "track/UtcTime.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(RecordingTime, CameraNamesGiveTheirDateAndTime) {
    struct Case {
        const char* name;
        QDateTime expected;
    };
    const QDateTime october(QDate(2024, 10, 1), QTime(16, 0, 0));
    const Case cases[] = {
        {"2024_1001_160000_F.MP4", october},
        {"20241001_160000_NF.mp4", october},
        {"FILE241001-160000F.MP4", october},
        {"file241001-160000f.mp4", october},
        // The patterns the title band once missed: the same reader as drives and channels.
        {"NO20241001-160000-000123F.MP4", october},
        {"EMER241001-160000F.MP4", october},
        {"REC_2024_10_01_16_00_00_F.MP4", october},
        // No 13th month, no 25th hour, a longer number, no time at all.
        {"2024_1301_160000_F.MP4", {}},
        {"20241001_250000_NF.mp4", {}},
        {"120241001_160000_NF.mp4", {}},
        {"drive.MP4", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecordingTime::FromFileName(QString::fromUtf8(c.name)), c.expected) << c.name;
    }
}

// The track's time first, then the name's, then the file's.
TEST(RecordingTime, TrackBeforeNameBeforeFileTime) {
    QTemporaryDir folder;
    const QString named = folder.filePath(QStringLiteral("2024_1001_160000_F.MP4"));
    const QString plain = folder.filePath(QStringLiteral("drive.MP4"));
    for (const QString& path : {named, plain}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // 2024-06-01T12:00:00Z: 19875 days of 86400 s since 1970, plus 12 hours.
    constexpr int64_t kTrackStart = 19875LL * 86400 + 12 * 3600;
    const QDateTime trackTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(RecordingTime::Of(named, kTrackStart), trackTime);
    EXPECT_EQ(RecordingTime::Of(named, kUnknownUtc),
              QDateTime(QDate(2024, 10, 1), QTime(16, 0, 0)));
    const QDateTime modified(QDate(2023, 3, 4), QTime(5, 6, 7));
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(RecordingTime::Of(plain, kUnknownUtc), modified);
    EXPECT_EQ(RecordingTime::TitleText(plain, kUnknownUtc), "drive.MP4  2023-03-04 05:06:07");
}

} // namespace
