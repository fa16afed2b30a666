// The pictures of the cameras of the open clip's moment (front, rear, interior) as the user
// handles them: V switches between the small pictures over the big one and all side by
// side, a click on a picture makes it the big one, a drag moves the small ones and the
// wheel over them sizes them. The choice holds for the clips opened after, so a drive keeps
// its look from clip to clip. The engine composes the pictures; this only says how.
#pragma once

#include "playback/ChannelLayout.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <vector>

class CNaviPlayWnd;

struct PaneChannel {
    QString path;
    double offsetSeconds = 0; // its start after the open clip's start
    QString camera;           // "Rear", "Interior", ...
};

// The open clip's camera and the other cameras' clips of its moment.
struct ChannelMoment {
    QString camera;
    std::vector<PaneChannel> others;
};

class CChannelPictures : public QObject {
    Q_OBJECT

public:
    // The share of the big picture one wheel notch adds to or takes from the small ones.
    static constexpr double kShareStep = 0.05;
    // A press that moves less than this many pixels before it is let go is a click.
    static constexpr int kClickSlop = 4;

    CChannelPictures(CNaviPlayWnd* window, QObject* parent);

    // Composes the moment into the clip just opened, laid out as last chosen. False when
    // the clip stays alone (no other camera, or none could be composed).
    bool Show(const ChannelMoment& moment);
    // Forgets the moment of a clip that closed.
    void Clear();
    int Count() const { return static_cast<int>(m_cameras.size()); }
    const ChannelView& View() const { return m_view; }

    void ToggleArrangement();
    // Shows `channel` (0 the open clip) big; false for no such channel.
    bool MakeBig(int channel);

signals:
    // The composed picture was laid out anew; its size may have changed.
    void pictureChanged();

private:
    void OnPressed(QPoint at);
    void OnDragged(QPoint at);
    void OnReleased(QPoint at);
    void OnWheeled(QPoint at, int steps);
    QPoint ToCanvas(QPoint at, const ChannelCanvas& canvas) const;
    void Apply(const ChannelView& view);

    CNaviPlayWnd* m_window;
    ChannelView m_view;
    QString m_bigCamera;            // the camera chosen to be big; empty for the open clip's
    std::vector<QString> m_cameras; // the moment shown, the open clip's first
    QPoint m_pressAt;
    int m_pressedChannel = -1;
    bool m_dragging = false;
};
