// The G-sensor pane: the chart of the clip's acceleration with the current value of each
// axis as text above it and the g scale beside it. The labels stay where the pane's template
// puts them; only the chart follows the pane's size.
#pragma once

#include "track/CGSampleStore.h"

#include <QWidget>

class CMyStatic;
class QLabel;

class CGSensesDlg : public QWidget {
    Q_OBJECT

public:
    explicit CGSensesDlg(QWidget* parent = nullptr);
    ~CGSensesDlg() override;

    // The one pane of the process, or null while there is none.
    static CGSensesDlg* Instance();

    // Writes the current value of an axis as "X:%.6f", "Y:%.6f" or "Z:%.6f"; the G axis has
    // no label.
    void SetValueLabel(GAxis axis, double value);

    CMyStatic* Chart() const { return m_chart; }
    QLabel* Label(int id) const;

    CMyStatic* m_chart = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceLabels(const QRect& chart);
};
