// The drive timeline under the video: the whole drive the playing clip belongs to, left to
// right. Each clip is a band, so where one ends and the next begins shows, and a stretch the
// camera did not record is a gap; each driving event is a small mark in its kind's colour;
// a line marks where playback is. Round times of the drive's clock label it (DriveTimeText).
// A press or a drag seeks anywhere in the drive: the line follows the drag and the seek is
// asked for once, on release. The box at its right end, or a right click, lists the events.
// The excerpt marked for export shades its stretch between two brackets. With no drive it
// hides, and a clip that plays alone shows nothing new.
#pragma once

#include "playback/DriveTimeText.h"
#include "playback/DriveTimelineScale.h"
#include "track/LoadedDrive.h"

#include <QColor>
#include <QStaticText>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The colour of an event's mark: braking red, acceleration green, cornering amber, impacts
// violet, a clip the camera locked blue.
QColor DriveEventColour(DrivingEventKind kind);

class CDriveTimeline : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 36;

    explicit CDriveTimeline(QWidget* parent = nullptr);

    // Null hides the timeline.
    void SetDrive(std::shared_ptr<const LoadedDrive> drive);
    void SetDriveSecond(double driveSecond);
    // The excerpt's start and end in drive seconds; either may be missing.
    void SetExcerpt(std::optional<double> from, std::optional<double> to);

    void paint(QPainter& painter, const QRect& rect) const;
    // The drive's axis across `rect`, as paint lays it out.
    DriveTimelineScale ScaleIn(const QRect& rect) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void seekRequested(double driveSecond);
    // The event list's lines that mark the excerpt where playback is.
    void excerptStartRequested();
    void excerptEndRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect ListBox(const QRect& rect) const;
    double ShownSecond() const;
    int PositionX(double second) const;
    void ShowEventList(const QPoint& at);
    void ShowToolTip(const QPoint& at, const QPoint& global);
    QFont LabelFont() const;
    void PaintExcerpt(QPainter& painter, const std::function<int(double)>& x, int top) const;
    void LayOutLabels(const DriveTimelineScale& scale) const;

    std::shared_ptr<const LoadedDrive> m_drive;
    double m_span = 1.0;
    double m_second = 0.0;
    std::optional<double> m_dragSecond;
    std::optional<double> m_excerptFrom;
    std::optional<double> m_excerptTo;
    // The labels depend only on the drive and the width: worked out, and their text laid
    // out, once for both rather than on every tick's paint.
    mutable std::vector<DriveTimeLabel> m_labels;
    mutable std::vector<QStaticText> m_labelTexts;
    mutable int m_labelsWidth = -1;
    QStaticText m_countText;
};
