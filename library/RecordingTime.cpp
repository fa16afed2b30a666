#include "library/RecordingTime.h"

#include "track/UtcTime.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct NamePattern {
    QRegularExpression expression;
    // Two-digit years are of this century.
    int yearBase;
};

const NamePattern& Pattern(int index) {
    // Digits around a match would make it part of a longer number, not a time stamp.
    static const NamePattern patterns[] = {
        {QRegularExpression(
             QStringLiteral(R"((?<!\d)(\d{4})_(\d\d)(\d\d)_(\d\d)(\d\d)(\d\d)(?!\d))")),
         0},
        {QRegularExpression(
             QStringLiteral(R"((?<!\d)(\d{4})(\d\d)(\d\d)_(\d\d)(\d\d)(\d\d)(?!\d))")),
         0},
        {QRegularExpression(QStringLiteral(R"(^FILE(\d\d)(\d\d)(\d\d)-(\d\d)(\d\d)(\d\d)(?!\d))"),
                            QRegularExpression::CaseInsensitiveOption),
         2000},
    };
    return patterns[index];
}

constexpr int kPatternCount = 3;

} // namespace

QDateTime RecordingTime::FromFileName(const QString& fileName) {
    for (int i = 0; i < kPatternCount; ++i) {
        const NamePattern& pattern = Pattern(i);
        const QRegularExpressionMatch match = pattern.expression.match(fileName);
        if (!match.hasMatch()) {
            continue;
        }
        auto field = [&match](int n) { return match.captured(n).toInt(); };
        const QDate date(pattern.yearBase + field(1), field(2), field(3));
        const QTime time(field(4), field(5), field(6));
        if (date.isValid() && time.isValid()) {
            return QDateTime(date, time);
        }
    }
    return {};
}

QDateTime RecordingTime::Of(const QString& path, int64_t trackStartUtc) {
    if (trackStartUtc != kUnknownUtc) {
        return QDateTime::fromSecsSinceEpoch(trackStartUtc, Qt::UTC).toLocalTime();
    }
    const QFileInfo file(path);
    const QDateTime named = FromFileName(file.fileName());
    if (named.isValid()) {
        return named;
    }
    return file.lastModified();
}

QString RecordingTime::TitleText(const QString& path, int64_t trackStartUtc) {
    const QString name = QFileInfo(path).fileName();
    const QDateTime when = Of(path, trackStartUtc);
    if (!when.isValid()) {
        return name;
    }
    return name + QStringLiteral("  ") + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
