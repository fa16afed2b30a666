#include "playback/CMySliderCtrl.h"

#include "track/Truncate.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

int ClickPosition(int x, int channelLeft, int channelRight, int maximum) {
    // Nothing to divide by: the slider has one position.
    if (maximum <= 0) {
        return 0;
    }
    const float step = static_cast<float>(channelRight - channelLeft) / maximum;
    if (!(step > 0.0f)) {
        return 0;
    }
    const double exact = (x - channelLeft + static_cast<double>(step) - 1) / step;
    const int position = TruncateToInt(static_cast<float>(exact));
    return std::clamp(position, 0, maximum);
}

CMySliderCtrl::CMySliderCtrl(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    connect(this, &QAbstractSlider::actionTriggered, this, &CMySliderCtrl::OnAction);
}

// An action is announced before the slider takes its new value, and a held key repeats
// it: the end is reported once, from the event loop, with the value in place. A drag
// reports its own end when the button is let go.
void CMySliderCtrl::OnAction(int /*action*/) {
    if (isSliderDown() || m_bEndPending) {
        return;
    }
    m_bEndPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bEndPending = false;
            emit endTrack();
        },
        Qt::QueuedConnection);
}

QRect CMySliderCtrl::ChannelRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
}

QRect CMySliderCtrl::ThumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void CMySliderCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || ThumbRect().contains(at)) {
        QSlider::mousePressEvent(event);
        m_bThumbPress = event->button() == Qt::LeftButton && isSliderDown();
        return;
    }
    // No page step first and no auto-repeat: the thumb goes straight to the press and stays
    // there. The slider counts as held until the release, so the playback tick does not move
    // it away before the owner has read it.
    const QRect channel = ChannelRect();
    const bool horizontal = orientation() == Qt::Horizontal;
    const int position =
        horizontal ? ClickPosition(at.x(), channel.left(), channel.right() + 1, maximum())
                   : ClickPosition(at.y(), channel.top(), channel.bottom() + 1, maximum());
    m_bChannelPress = true;
    setSliderDown(true);
    setValue(position);
    event->accept();
}

void CMySliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    if (m_bChannelPress) {
        m_bChannelPress = false;
        setSliderDown(false);
        event->accept();
        emit endTrack();
        return;
    }
    QSlider::mouseReleaseEvent(event);
    if (m_bThumbPress) {
        m_bThumbPress = false;
        emit endTrack();
    }
}

void CMySliderCtrl::SetMarks(std::vector<int> clipSeconds) {
    m_marks = std::move(clipSeconds);
    update();
}

void CMySliderCtrl::SetExcerpt(std::optional<int> from, std::optional<int> to) {
    m_excerptFrom = from;
    m_excerptTo = to;
    update();
}

void CMySliderCtrl::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    const bool excerpt = m_excerptFrom || m_excerptTo;
    if ((m_marks.empty() && !excerpt) || maximum() <= minimum()) {
        return;
    }
    // Where the style puts the handle's middle for a value, so a mark sits under the handle
    // when playback reaches it.
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = ChannelRect();
    const QRect thumb = ThumbRect();
    const bool horizontal = orientation() == Qt::Horizontal;
    const int length = horizontal ? thumb.width() : thumb.height();
    const int room = (horizontal ? groove.width() : groove.height()) - length;
    const auto along = [&](int64_t value) {
        const int inRange = static_cast<int>(std::clamp<int64_t>(value, minimum(), maximum()));
        return QStyle::sliderPositionFromValue(minimum(), maximum(), inRange, room,
                                               option.upsideDown) +
               length / 2;
    };
    // A stretch across the groove at `from` to `to` pixels along it, `spill` beyond its sides.
    const auto across = [&](int from, int to, int spill) {
        const int low = std::min(from, to);
        const int size = std::max(std::abs(to - from), 1);
        return horizontal ? QRect(groove.left() + low, groove.top() - spill, size,
                                  groove.height() + 2 * spill)
                          : QRect(groove.left() - spill, groove.top() + low,
                                  groove.width() + 2 * spill, size);
    };
    QPainter painter(this);
    if (excerpt) {
        PaintExcerpt(painter, along, across);
    }
    const QColor colour = palette().color(QPalette::WindowText);
    for (const int second : m_marks) {
        const int at = along(int64_t{second} * 1000);
        painter.fillRect(across(at - 1, at + 1, 2), colour);
    }
}

void CMySliderCtrl::PaintExcerpt(QPainter& painter, const std::function<int(int64_t)>& along,
                                 const std::function<QRect(int, int, int)>& across) const {
    const QColor colour = palette().color(QPalette::Highlight);
    if (m_excerptFrom && m_excerptTo && *m_excerptFrom <= maximum() && *m_excerptTo >= minimum()) {
        QColor span = colour;
        span.setAlpha(110);
        painter.fillRect(across(along(*m_excerptFrom), along(*m_excerptTo), 0), span);
    }
    // Each mark is a bracket whose feet point into the excerpt, so the start and the end read
    // apart even when only one is set. A mark outside the slider's clip (a drive's excerpt
    // that starts in an earlier clip) draws none, while the span still runs to the end.
    const auto bracket = [&](int value, int inward) {
        if (value < minimum() || value > maximum()) {
            return;
        }
        const int at = along(value);
        const QRect bar = across(at - 1, at + 1, 5);
        const QRect foot = across(at, at + 4 * inward, 5);
        painter.fillRect(bar, colour);
        const bool horizontal = orientation() == Qt::Horizontal;
        painter.fillRect(horizontal ? foot.adjusted(0, 0, 0, 2 - foot.height())
                                    : foot.adjusted(0, 0, 2 - foot.width(), 0),
                         colour);
        painter.fillRect(horizontal ? foot.adjusted(0, foot.height() - 2, 0, 0)
                                    : foot.adjusted(foot.width() - 2, 0, 0, 0),
                         colour);
    };
    const int forward = invertedAppearance() ? -1 : 1;
    if (m_excerptFrom) {
        bracket(*m_excerptFrom, forward);
    }
    if (m_excerptTo) {
        bracket(*m_excerptTo, -forward);
    }
}
