// The progress slider that jumps to the point pressed on its channel instead of moving one
// page toward it, so that one click seeks anywhere in the clip. Its owner learns of the new
// position from endTrack(), sent when the button is let go, and after each move made with
// the keyboard or the wheel, which have no button to let go.
// It can mark seconds of the clip on its groove, so the driving events show where they are,
// and shade the excerpt marked for export.
#pragma once

#include <QSlider>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The position for a press at `x` on a channel from `channelLeft` to `channelRight` (pixels)
// of a slider whose range is 0 to `maximum`, limited to that range. The arithmetic, in float
// as the progress sliders have always done it, lands about 1 / step - 1 units below the exact
// fraction when a unit is far below a pixel. A maximum of 0 gives 0.
int ClickPosition(int x, int channelLeft, int channelRight, int maximum);

class QPainter;

class CMySliderCtrl : public QSlider {
    Q_OBJECT

public:
    explicit CMySliderCtrl(Qt::Orientation orientation, QWidget* parent = nullptr);

    // The groove and the handle, in the slider's own coordinates, as the style lays them out.
    QRect ChannelRect() const;
    QRect ThumbRect() const;

    // Small ticks across the groove at these seconds of the clip (its driving events), where
    // the handle stands when it plays them; the range counts milliseconds. None by default.
    void SetMarks(std::vector<int> clipSeconds);
    const std::vector<int>& Marks() const { return m_marks; }
    // The excerpt marked for export, in the slider's units: a shaded span between a start and
    // an end bracket. Either may be missing or lie outside the range (an excerpt of a drive
    // that reaches into other clips). None by default.
    void SetExcerpt(std::optional<int> from, std::optional<int> to);
    std::optional<int> ExcerptFrom() const { return m_excerptFrom; }
    std::optional<int> ExcerptTo() const { return m_excerptTo; }

signals:
    // The button was let go after a press on the channel or a drag of the handle, or a key
    // or the wheel moved the handle; value() is the position the user chose.
    void endTrack();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnAction(int action);
    void PaintExcerpt(QPainter& painter, const std::function<int(int64_t)>& along,
                      const std::function<QRect(int, int, int)>& across) const;

    bool m_bChannelPress = false;
    bool m_bEndPending = false;
    bool m_bThumbPress = false;
    std::vector<int> m_marks;
    std::optional<int> m_excerptFrom;
    std::optional<int> m_excerptTo;
};
