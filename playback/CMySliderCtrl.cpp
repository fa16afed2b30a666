#include "playback/CMySliderCtrl.h"

#include "track/Truncate.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cstdint>

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

void CMySliderCtrl::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (m_marks.empty() || maximum() <= minimum()) {
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
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::WindowText);
    for (const int second : m_marks) {
        const int value =
            static_cast<int>(std::clamp<int64_t>(int64_t{second} * 1000, minimum(), maximum()));
        const int along =
            QStyle::sliderPositionFromValue(minimum(), maximum(), value, room, option.upsideDown) +
            length / 2;
        if (horizontal) {
            painter.fillRect(groove.left() + along - 1, groove.top() - 2, 2, groove.height() + 4,
                             colour);
        } else {
            painter.fillRect(groove.left() - 2, groove.top() + along - 1, groove.width() + 4, 2,
                             colour);
        }
    }
}
