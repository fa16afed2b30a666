#include "instruments/CGSensesDlg.h"

#include "instruments/CMyStatic.h"
#include "skin/SkinSE.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>
#include <array>

namespace {

CGSensesDlg* g_pane = nullptr;

constexpr int IDC_CHART = 1013;
constexpr int IDC_VALUE_X = 1041;
constexpr int IDC_VALUE_Y = 1042;
constexpr int IDC_VALUE_Z = 1043;

// The pane's size and its controls' places are given in dialog units of its 8-point font.
QRect FromDialogUnits(int x, int y, int width, int height) {
    return {static_cast<int>(x * 1.5), static_cast<int>(y * 1.625), static_cast<int>(width * 1.5),
            static_cast<int>(height * 1.625)};
}

struct LabelTemplate {
    int id;
    const char* text;
    const char* element;
    QRect dialogUnits;
    bool rightAligned;
};

// In the order the pane registers them with the skin: the scale from the top, then the values.
const std::array<LabelTemplate, 8> kLabels{{
    {1045, "2G", "static.20", {0, 18, 21, 11}, true},
    {1038, "1G", "static.10", {0, 30, 21, 11}, true},
    {1039, "0G", "static.00", {0, 44, 21, 11}, true},
    {1040, "-1G", "static._10", {0, 57, 21, 11}, true},
    {1044, "-2G", "static._20", {2, 72, 21, 11}, true},
    {IDC_VALUE_X, "X:0.000000", "static.x", {45, 0, 42, 12}, false},
    {IDC_VALUE_Y, "Y:0.000000", "static.y", {112, 0, 42, 12}, false},
    {IDC_VALUE_Z, "Z:0.000000", "static.z", {170, 0, 42, 12}, false},
}};

} // namespace

CGSensesDlg::CGSensesDlg(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("134"));
    g_pane = this;
    resize(FromDialogUnits(0, 0, 254, 116).size());

    m_chart = new CMyStatic(this);
    m_chart->setObjectName(QString::number(IDC_CHART));
    m_chart->setGeometry(FromDialogUnits(36, 14, 200, 76));

    SkinSE_SubclassWindow(this, QStringLiteral("gsenses"));
    for (const LabelTemplate& entry : kLabels) {
        const QRect& du = entry.dialogUnits;
        auto* label = new QLabel(QString::fromLatin1(entry.text), this);
        label->setObjectName(QString::number(entry.id));
        label->setGeometry(FromDialogUnits(du.x(), du.y(), du.width(), du.height()));
        label->setAlignment((entry.rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignVCenter);
        SkinSE_SubclassWindow(label, QLatin1String(entry.element));
        label->show();
    }
}

CGSensesDlg::~CGSensesDlg() {
    if (g_pane == this) {
        g_pane = nullptr;
    }
}

CGSensesDlg* CGSensesDlg::Instance() {
    return g_pane;
}

QLabel* CGSensesDlg::Label(int id) const {
    return findChild<QLabel*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CGSensesDlg::SetValueLabel(GAxis axis, double value) {
    int id = 0;
    const char* format = nullptr;
    switch (axis) {
    case GAxis::X:
        id = IDC_VALUE_X;
        format = "X:%.6f";
        break;
    case GAxis::Y:
        id = IDC_VALUE_Y;
        format = "Y:%.6f";
        break;
    case GAxis::Z:
        id = IDC_VALUE_Z;
        format = "Z:%.6f";
        break;
    case GAxis::G:
        return;
    }
    if (QLabel* label = Label(id)) {
        label->setText(QString::asprintf(format, value));
    }
}

void CGSensesDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_chart == nullptr) {
        return;
    }
    // A pane narrower or lower than the margins leaves the chart empty rather than inverted.
    const QSize size = event->size();
    const QRect chart(33, 8, std::max(0, size.width() - 41), std::max(0, size.height() - 16));
    m_chart->setGeometry(chart);
    m_chart->update();
    PlaceLabels(chart);
}

// The chart stretches with the pane, so the scale's labels follow its rows, each centred on
// the level it names from +2 g at the top edge to -2 g at the bottom; labels left where the
// template put them would name the wrong rows. The values share the strip above the chart,
// a third of its width each, wide enough for six decimals and a sign.
void CGSensesDlg::PlaceLabels(const QRect& chart) {
    const int scaleHeight = FromDialogUnits(0, 0, 0, 11).height();
    const int scaleWidth = std::max(0, chart.left() - 2);
    for (int row = 0; row < 5; ++row) {
        QLabel* label = Label(kLabels[static_cast<size_t>(row)].id);
        const int level = chart.top() + chart.height() * row / 4;
        const int top = std::clamp(level - scaleHeight / 2, 0, std::max(0, height() - scaleHeight));
        label->setGeometry(0, top, scaleWidth, scaleHeight);
    }
    const int valueHeight = FromDialogUnits(0, 0, 0, 12).height();
    const int third = chart.width() / 3;
    const std::array<int, 3> values{IDC_VALUE_X, IDC_VALUE_Y, IDC_VALUE_Z};
    for (size_t k = 0; k < values.size(); ++k) {
        Label(values[k])->setGeometry(chart.left() + static_cast<int>(k) * third, 0, third,
                                      valueHeight);
    }
}
