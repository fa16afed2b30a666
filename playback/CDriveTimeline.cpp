#include "playback/CDriveTimeline.h"

#include "playback/CDriveEventMenu.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// Room at either end so that the position line and a label at the very start or end of the
// drive are not cut in half.
constexpr int kSide = 6;
// The box at the right end that opens the event list.
constexpr int kListWidth = 30;
// The rows, from the top: event marks, the clip bands, the labels.
constexpr int kMarkTop = 1;
constexpr int kMarkHeight = 7;
constexpr int kBandTop = 8;
constexpr int kBandHeight = 14;
constexpr int kLabelTop = kBandTop + kBandHeight;
// How near the pointer an event's mark has to be for its tooltip, in pixels.
constexpr int kMarkReach = 4;

} // namespace

QColor DriveEventColour(DrivingEventKind kind) {
    switch (kind) {
    case DrivingEventKind::HarshBraking:
        return QColor(0xe0, 0x30, 0x30);
    case DrivingEventKind::HarshAcceleration:
        return QColor(0x30, 0xb0, 0x40);
    case DrivingEventKind::HardCornering:
        return QColor(0xf0, 0xa0, 0x10);
    case DrivingEventKind::Impact:
        return QColor(0xa0, 0x30, 0xd0);
    case DrivingEventKind::Locked:
        break;
    }
    return QColor(0x30, 0x70, 0xe0);
}

CDriveTimeline::CDriveTimeline(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    hide();
}

void CDriveTimeline::SetDrive(std::shared_ptr<const LoadedDrive> drive) {
    // Told again as each next clip of the drive opens: the drive stays as it is.
    if (drive == m_drive) {
        return;
    }
    m_drive = std::move(drive);
    m_span = m_drive ? DriveTimelineSpan(m_drive->drive) : 1.0;
    m_second = 0.0;
    m_dragSecond.reset();
    m_labelsWidth = -1;
    m_countText.setText(m_drive ? QString::number(m_drive->events.size()) : QString());
    setVisible(m_drive != nullptr);
    update();
}

void CDriveTimeline::SetDriveSecond(double driveSecond) {
    if (!std::isfinite(driveSecond)) {
        qWarning("drive timeline: %f is no second of the drive; the position stays", driveSecond);
        return;
    }
    const int before = PositionX(ShownSecond());
    m_second = driveSecond;
    // The tick calls this many times a second; only a line that moves a pixel is repainted.
    if (!m_dragSecond && PositionX(m_second) != before) {
        update();
    }
}

QRect CDriveTimeline::ListBox(const QRect& rect) const {
    return QRect(rect.right() - kListWidth + 1, rect.top() + kBandTop, kListWidth, kBandHeight);
}

DriveTimelineScale CDriveTimeline::ScaleIn(const QRect& rect) const {
    return DriveTimelineScale(m_span, rect.left() + kSide, rect.right() - kListWidth - kSide);
}

double CDriveTimeline::ShownSecond() const {
    return m_dragSecond ? *m_dragSecond : m_second;
}

int CDriveTimeline::PositionX(double second) const {
    return static_cast<int>(std::lround(ScaleIn(rect()).XOf(std::clamp(second, 0.0, m_span))));
}

QFont CDriveTimeline::LabelFont() const {
    QFont small = font();
    small.setPointSizeF(std::max(small.pointSizeF() * 0.8, 6.0));
    return small;
}

void CDriveTimeline::LayOutLabels(const DriveTimelineScale& scale) const {
    const int width = scale.Right() - scale.Left();
    if (width == m_labelsWidth) {
        return;
    }
    m_labels = DriveTimeLabels(m_drive->drive, m_span, width / m_span);
    m_labelTexts.clear();
    const QFont small = LabelFont();
    for (const DriveTimeLabel& label : m_labels) {
        m_labelTexts.emplace_back(label.text);
        m_labelTexts.back().prepare(QTransform(), small);
    }
    m_labelsWidth = width;
}

void CDriveTimeline::paint(QPainter& painter, const QRect& rect) const {
    const QPalette& colours = palette();
    painter.fillRect(rect, colours.window());
    if (!m_drive) {
        return;
    }
    const DriveTimelineScale scale = ScaleIn(rect);
    const int top = rect.top();
    // A clip's clock can put an event or a clip's end past the drive's; it is drawn at the
    // end rather than over the event box.
    const auto x = [&scale, this](double second) {
        return static_cast<int>(std::lround(scale.XOf(std::clamp(second, 0.0, m_span))));
    };

    // A band from each clip's first to its last second, outlined, so that two clips that
    // touch still show where one ends.
    painter.setPen(colours.color(QPalette::Dark));
    painter.setBrush(colours.mid());
    for (const DriveClip& clip : m_drive->drive.clips) {
        const int left = x(static_cast<double>(clip.at));
        const int right = x(static_cast<double>(clip.at + ClipLengthInDrive(clip)));
        painter.drawRect(left, top + kBandTop, std::max(right - left - 1, 1), kBandHeight - 1);
    }

    for (const DriveEvent& event : m_drive->events) {
        painter.fillRect(x(event.driveSecond) - 1, top + kMarkTop, 3, kMarkHeight,
                         DriveEventColour(event.event.kind));
    }

    PaintExcerpt(painter, x, top);

    LayOutLabels(scale);
    painter.setFont(LabelFont());
    painter.setPen(colours.color(QPalette::WindowText));
    for (size_t i = 0; i < m_labels.size(); ++i) {
        const int at = x(m_labels[i].second);
        painter.drawLine(at, top + kLabelTop, at, top + kLabelTop + 2);
        const int width = static_cast<int>(std::ceil(m_labelTexts[i].size().width()));
        // Kept whole inside the axis's room; on a window too narrow for it, from the left.
        const int left =
            std::max(rect.left(), std::min(at - width / 2, rect.right() - kListWidth - width));
        painter.drawStaticText(left, top + kLabelTop + 3, m_labelTexts[i]);
    }

    const QRect list = ListBox(rect);
    painter.setPen(colours.color(QPalette::Dark));
    painter.setBrush(colours.button());
    painter.drawRect(list.adjusted(0, 0, -1, -1));
    painter.setPen(colours.color(QPalette::ButtonText));
    const QSizeF count = m_countText.size();
    painter.drawStaticText(QPointF(list.center().x() + 1 - count.width() / 2,
                                   list.center().y() + 1 - count.height() / 2),
                           m_countText);

    const int position = x(ShownSecond());
    painter.fillRect(position - 1, top, 2, kLabelTop, colours.highlight());
}

void CDriveTimeline::SetExcerpt(std::optional<double> from, std::optional<double> to) {
    m_excerptFrom = from;
    m_excerptTo = to;
    update();
}

// Shaded over the clips' bands, with a bracket at each end whose feet point into it.
void CDriveTimeline::PaintExcerpt(QPainter& painter, const std::function<int(double)>& x,
                                  int top) const {
    const QColor colour = palette().color(QPalette::Highlight);
    if (m_excerptFrom && m_excerptTo) {
        QColor span = colour;
        span.setAlpha(110);
        const int left = x(*m_excerptFrom);
        painter.fillRect(left, top + kBandTop, std::max(x(*m_excerptTo) - left, 1), kBandHeight,
                         span);
    }
    const auto bracket = [&](double second, int inward) {
        const int at = x(second);
        painter.fillRect(at - 1, top + kBandTop - 2, 2, kBandHeight + 4, colour);
        const int footLeft = inward > 0 ? at : at - 4;
        painter.fillRect(footLeft, top + kBandTop - 2, 4, 2, colour);
        painter.fillRect(footLeft, top + kBandTop + kBandHeight, 4, 2, colour);
    };
    if (m_excerptFrom) {
        bracket(*m_excerptFrom, 1);
    }
    if (m_excerptTo) {
        bracket(*m_excerptTo, -1);
    }
}

void CDriveTimeline::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paint(painter, rect());
}

QSize CDriveTimeline::sizeHint() const {
    return QSize(400, kHeight);
}

QSize CDriveTimeline::minimumSizeHint() const {
    return QSize(2 * kSide + kListWidth + 40, kHeight);
}

void CDriveTimeline::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!m_drive) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && at.x() >= ListBox(rect()).left())) {
        ShowEventList(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragSecond = ScaleIn(rect()).SecondAt(event->position().x());
    update();
    event->accept();
}

void CDriveTimeline::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragSecond) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_dragSecond = ScaleIn(rect()).SecondAt(event->position().x());
    update();
    event->accept();
}

void CDriveTimeline::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_dragSecond) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const double second = ScaleIn(rect()).SecondAt(event->position().x());
    m_dragSecond.reset();
    // Shown where it was let go until the player reports the clip it opened there.
    m_second = second;
    update();
    event->accept();
    emit seekRequested(second);
}

void CDriveTimeline::ShowEventList(const QPoint& at) {
    auto* menu = new CDriveEventMenu(*m_drive, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &CDriveEventMenu::eventChosen, this, [this](double second) {
        m_second = second;
        update();
        emit seekRequested(second);
    });
    connect(menu, &CDriveEventMenu::excerptStartChosen, this,
            &CDriveTimeline::excerptStartRequested);
    connect(menu, &CDriveEventMenu::excerptEndChosen, this, &CDriveTimeline::excerptEndRequested);
    menu->popup(at);
}

bool CDriveTimeline::event(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_labelsWidth = -1;
    }
    if (event->type() == QEvent::ToolTip && m_drive) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowToolTip(help->pos(), help->globalPos());
        return true;
    }
    return QWidget::event(event);
}

// The nearest event's line under the pointer, else the drive's time there.
void CDriveTimeline::ShowToolTip(const QPoint& at, const QPoint& global) {
    if (at.x() >= ListBox(rect()).left()) {
        QToolTip::showText(global, tr("Driving events"), this);
        return;
    }
    const DriveTimelineScale scale = ScaleIn(rect());
    const DriveEvent* nearest = nullptr;
    double distance = kMarkReach + 1;
    for (const DriveEvent& candidate : m_drive->events) {
        const double away = std::abs(scale.XOf(candidate.driveSecond) - at.x());
        if (away < distance) {
            distance = away;
            nearest = &candidate;
        }
    }
    const QString text = nearest != nullptr
                             ? DriveEventText(m_drive->drive, *nearest)
                             : DriveClockText(m_drive->drive, scale.SecondAt(at.x()), true);
    QToolTip::showText(global, text, this);
}
