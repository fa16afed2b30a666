// The G-sensor chart: the X, Y and Z acceleration of the clip as three curves on a fixed
// scale of +/-2 g, from the clip's start up to the second being played, the whole clip
// stretched over the width. It shows a per-second sample store that the track feeders fill
// and that the playback tick advances: its own until it is handed the player's.
//
// The curves are kept in one transparent layer per axis over a background layer, so that a
// tick adds only the segments of the seconds it passed and repaints only their rectangle,
// and the picture still equals a full paint: the Z curve above the whole Y curve above the
// whole X curve. The layers are drawn afresh only when what they show is wrong: after a
// move back, a reset, a cut into the drawn seconds, a new scale or a new size.
#pragma once

#include "track/CGSampleStore.h"
#include "track/TrackChange.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <array>

class CMyStatic : public QWidget {
    Q_OBJECT

public:
    explicit CMyStatic(QWidget* parent = nullptr);
    ~CMyStatic() override;

    // The one chart of the process, or null while there is none.
    static CMyStatic* Instance();

    // Shows `store` from now on, in place of the chart's own; it must outlive the chart.
    void ShowTrack(CGSampleStore& store);
    CGSampleStore& Store() { return *m_store; }

    // Forwarded to the store shown, then TrackChanged.
    int AddTrackLine(const char* line);
    // What the store's owner changed in it: the chart repaints later, when the event loop
    // runs, and only when the change alters what is drawn. A track filled anew also sets the
    // pane's value labels back to zero.
    void TrackChanged(const TrackChange& change);
    // Also sets the pane's value labels back to zero.
    void ResetTrack(int seconds);

    // The playback tick: draws the segments up to `second` not drawn yet (several at fast
    // playback), writes the value labels of the G-sensor pane and makes `second` the last
    // second shown.
    void AdvanceTo(unsigned second);

    // The whole chart for the store's state, as if the client area were `rect`.
    void paint(QPainter& painter, const QRect& rect);

    // The colour each axis is drawn in.
    static QColor AxisColour(GAxis axis);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The segments ending at seconds `from` to `to` of one axis, in the client area `rect`;
    // returns the rectangle they cover.
    QRect DrawSegments(QPainter& painter, const ChartRect& rect, GAxis axis, unsigned from,
                       unsigned to) const;
    // The last second a full paint draws a segment to; 0 when it draws none.
    unsigned LastDrawableSecond() const;

    // True when the layers no longer show what a full paint of the store would show, also
    // after a change of size.
    bool LayersStale() const;
    void RebuildLayers();
    // Draws into the layers the segments a full paint would show and they do not hold yet;
    // returns the rectangle they cover.
    QRect ExtendLayers();
    void Invalidate();

    static constexpr std::array<GAxis, 3> kDrawnAxes{GAxis::X, GAxis::Y, GAxis::Z};

    CGSampleStore m_ownStore;
    CGSampleStore* m_store = &m_ownStore;
    QImage m_back;
    std::array<QImage, 3> m_layers;
    bool m_bLayersValid = false;
    // The scale the layers were drawn at, and the last second they hold a segment to.
    unsigned m_nLayersScale = 0;
    unsigned m_nLayersSecond = 0;
};
