// The speed and heading dial: for the second being played, the speed as a needle and as text
// in the chosen units, and the heading as a compass needle. The scale and the compass rose
// under the needles are the skin's; the dial draws only the needles, the hub and the text.
// It shows a model of its own until it is handed the player's.
#pragma once

#include "track/CSpeedDialModel.h"
#include "track/TrackChange.h"

#include <QWidget>

class CSpeedStatic : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 272;
    static constexpr int kHeight = 110;

    explicit CSpeedStatic(QWidget* parent = nullptr);
    ~CSpeedStatic() override;

    // The one dial of the process, or null while there is none.
    static CSpeedStatic* Instance();

    // Shows `model` from now on, in the units the dial was set to; it must outlive the dial.
    void ShowTrack(CSpeedDialModel& model);
    CSpeedDialModel& Model() { return *m_model; }
    const CSpeedDialModel& Model() const { return *m_model; }
    // A track filled anew takes the needles and the text off, as ClearSpeedRecords does.
    void TrackChanged(const TrackChange& change);

    void SetSpeedRecord(int second, int speed, int heading);
    // Also takes the needles and the text off until a second with a record is shown: a clip
    // without a track must not show the last clip's speed and heading for its whole length.
    void ClearSpeedRecords();

    // Shows the record of a second; a second without one leaves the dial as it is.
    void ShowSpeedAt(int second);
    bool HasReading() const { return m_bHasReading; }

    // Kilometres per hour when true, miles per hour when false; repaints the whole dial.
    void SetKmh(bool kmh);
    bool IsKmh() const { return m_model->m_bKmh != 0; }

    // The text under the needles, "%dKm/h" or "%dmile/h"; empty without a reading.
    QString Text() const;

    void paint(QPainter& painter, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void DrawSpeedNeedle(QPainter& painter, int cx, int cy, int length, int width) const;
    void DrawCompass(QPainter& painter, int cx, int cy, int length, int halfWidth) const;

    CSpeedDialModel m_ownModel;
    CSpeedDialModel* m_model = &m_ownModel;
    bool m_bHasReading = true;
};
