#include "playback/CChannelPictures.h"

#include "playback/CNaviPlayWnd.h"
#include "playback/mivex.h"

#include <QFile>

#include <algorithm>

CChannelPictures::CChannelPictures(CNaviPlayWnd* window, QObject* parent)
    : QObject(parent), m_window(window) {
    if (m_window != nullptr) {
        connect(m_window, &CNaviPlayWnd::pressed, this, &CChannelPictures::OnPressed);
        connect(m_window, &CNaviPlayWnd::dragged, this, &CChannelPictures::OnDragged);
        connect(m_window, &CNaviPlayWnd::released, this, &CChannelPictures::OnReleased);
        connect(m_window, &CNaviPlayWnd::wheeled, this, &CChannelPictures::OnWheeled);
    }
}

bool CChannelPictures::Show(const ChannelMoment& moment) {
    Clear();
    if (moment.others.empty()) {
        return false;
    }
    std::vector<QByteArray> paths;
    std::vector<QByteArray> names;
    for (const PaneChannel& other : moment.others) {
        paths.push_back(QFile::encodeName(other.path));
        names.push_back(other.camera.toUtf8());
    }
    std::vector<MivexChannel> channels;
    for (size_t i = 0; i < moment.others.size(); ++i) {
        channels.push_back(
            {paths[i].constData(), moment.others[i].offsetSeconds, names[i].constData()});
    }
    // The big picture is the camera the user chose, where this moment has it.
    m_cameras.push_back(moment.camera);
    for (const PaneChannel& other : moment.others) {
        m_cameras.push_back(other.camera);
    }
    const auto chosen = std::find(m_cameras.begin(), m_cameras.end(), m_bigCamera);
    m_view.big = m_bigCamera.isEmpty() || chosen == m_cameras.end()
                     ? 0
                     : static_cast<int>(chosen - m_cameras.begin());
    mivex_set_channel_view(m_view);
    if (mivex_add_channels(channels.data(), static_cast<int>(channels.size())) == 0 &&
        mivex_channel_canvas().cells.size() < 2) {
        m_cameras.clear();
        emit pictureChanged();
        return false;
    }
    emit pictureChanged();
    return true;
}

void CChannelPictures::Clear() {
    m_cameras.clear();
    m_dragging = false;
    m_pressedChannel = -1;
}

void CChannelPictures::ToggleArrangement() {
    if (Count() < 2) {
        return;
    }
    ChannelView view = m_view;
    view.arrangement = view.arrangement == ChannelArrangement::PictureInPicture
                           ? ChannelArrangement::SideBySide
                           : ChannelArrangement::PictureInPicture;
    Apply(view);
}

bool CChannelPictures::MakeBig(int channel) {
    if (channel < 0 || channel >= Count()) {
        return false;
    }
    m_bigCamera = channel == 0 ? QString() : m_cameras[channel];
    ChannelView view = m_view;
    view.big = channel;
    Apply(view);
    return true;
}

void CChannelPictures::Apply(const ChannelView& view) {
    m_view = view;
    mivex_set_channel_view(view);
    emit pictureChanged();
}

// The window keeps the composed picture's shape, so one scale serves both directions.
QPoint CChannelPictures::ToCanvas(QPoint at, const ChannelCanvas& canvas) const {
    const int width = std::max(1, m_window->width());
    const int height = std::max(1, m_window->height());
    return {at.x() * canvas.width / width, at.y() * canvas.height / height};
}

void CChannelPictures::OnPressed(QPoint at) {
    m_dragging = false;
    m_pressedChannel = -1;
    if (Count() < 2) {
        return;
    }
    const ChannelCanvas canvas = mivex_channel_canvas();
    const QPoint point = ToCanvas(at, canvas);
    m_pressedChannel = ChannelAt(canvas, point.x(), point.y());
    m_pressAt = at;
}

void CChannelPictures::OnDragged(QPoint at) {
    // Only the small pictures move, and only over the big one.
    if (m_pressedChannel < 0 || m_pressedChannel == m_view.big ||
        m_view.arrangement != ChannelArrangement::PictureInPicture) {
        return;
    }
    if ((at - m_pressAt).manhattanLength() >= kClickSlop && !m_dragging) {
        m_dragging = true;
        m_window->setCursor(Qt::ClosedHandCursor);
    }
}

void CChannelPictures::OnReleased(QPoint at) {
    const int channel = m_pressedChannel;
    m_pressedChannel = -1;
    if (channel < 0) {
        return;
    }
    if (!m_dragging) {
        if (channel != m_view.big) {
            MakeBig(channel);
        }
        return;
    }
    m_dragging = false;
    m_window->unsetCursor();
    const ChannelCanvas canvas = mivex_channel_canvas();
    const QPoint from = ToCanvas(m_pressAt, canvas);
    const QPoint to = ToCanvas(at, canvas);
    // The picture is composed anew once, where the drag ended.
    Apply(MoveSmallGroup(m_view, canvas, to.x() - from.x(), to.y() - from.y()));
}

void CChannelPictures::OnWheeled(QPoint at, int steps) {
    if (Count() < 2 || m_view.arrangement != ChannelArrangement::PictureInPicture) {
        return;
    }
    const ChannelCanvas canvas = mivex_channel_canvas();
    const QPoint point = ToCanvas(at, canvas);
    const int channel = ChannelAt(canvas, point.x(), point.y());
    if (channel < 0 || channel == m_view.big) {
        return;
    }
    ChannelView view = m_view;
    view.smallShare =
        std::clamp(view.smallShare + steps * kShareStep, kMinSmallShare, kMaxSmallShare);
    if (view.smallShare != m_view.smallShare) {
        Apply(view);
    }
}
