#include "app/skin/SkinSE.h"

#include "app/skin/SkinBackgrounds.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {

constexpr const char* kElementProperty = "skinElement";

QWidget* ChildByElement(QWidget* window, const QString& element) {
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (SkinElementOf(child) == element) {
            return child;
        }
    }
    return nullptr;
}

void Place(QWidget* window, const QString& element, const QRect& rect) {
    if (QWidget* child = ChildByElement(window, element)) {
        child->setGeometry(rect);
    }
}

// The transport row under the picture: the progress slider across the pane, then the time
// label, mute box, volume, the four buttons in the middle and the speed slider on the right.
void LayoutVideoView(QWidget* pane) {
    const int w = pane->width();
    const int h = pane->height();
    Place(pane, "slider.progress", {8, h - 66, w - 16, 18});
    Place(pane, "static.progress", {12, h - 46, 140, 16});
    Place(pane, "check.btn.mic", {12, h - 26, 22, 20});
    Place(pane, "slider.volume", {38, h - 25, 80, 18});
    const int buttons = w / 2 - 92;
    Place(pane, "control.btn.stop", {buttons, h - 30, 40, 24});
    Place(pane, "control.btn.back", {buttons + 44, h - 30, 40, 24});
    Place(pane, "control.btn.play", {buttons + 88, h - 32, 52, 28});
    Place(pane, "control.btn.pause", {buttons + 88, h - 32, 52, 28});
    Place(pane, "control.btn.next", {buttons + 144, h - 30, 40, 24});
    Place(pane, "slider.speed", {w - 180, h - 44, 170, 18});
    Place(pane, "static.speed", {w - 180, h - 24, 176, 16});
}

// The main window: the video pane on the left; on the right the G-sensor pane, the setup
// button and the map down to the speed dial, which the window places itself.
void LayoutMainFrame(QWidget* frame) {
    const int w = frame->width();
    const int h = frame->height();
    // The G-sensor pane at the size of its template, 254 x 116 dialog units.
    const int side = std::max(381, w / 3);
    constexpr int kGSensesHeight = 189;
    Place(frame, "videoview", {0, 0, w - side, h});
    Place(frame, "gsenses", {w - side, 0, side, kGSensesHeight});
    Place(frame, "list.btn.setup", {w - side + 8, kGSensesHeight + 8, 90, 26});
    constexpr int kMapTop = kGSensesHeight + 38;
    constexpr int kDialSpace = 110 + 14 + 6;
    Place(frame, "htmlview", {w - side, kMapTop, side, std::max(0, h - kMapTop - kDialSpace)});
}

} // namespace

int SkinSE_LoadSkinResourceFromZIP(const QString& path, const QString& /*password*/) {
    if (!path.isEmpty() && !QFileInfo(path).isReadable()) {
        return 0;
    }
    // The built-in look: the G-sensor values sit on the chart's dark top edge, so they are
    // drawn light on dark, each in its curve's colour, and small enough for six decimals.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        app->setStyleSheet(QStringLiteral(
            "QLabel[skinElement=\"static.x\"], QLabel[skinElement=\"static.y\"],"
            " QLabel[skinElement=\"static.z\"] { background: rgb(20, 20, 24); font-size: 8pt; }"
            " QLabel[skinElement=\"static.x\"] { color: rgb(110, 110, 255); }"
            " QLabel[skinElement=\"static.y\"] { color: rgb(235, 70, 70); }"
            " QLabel[skinElement=\"static.z\"] { color: rgb(70, 225, 70); }"));
    }
    return 1;
}

void SkinSE_SubclassWindow(QWidget* window, const QString& element) {
    if (window == nullptr) {
        return;
    }
    window->setProperty(kElementProperty, element);
    // Style sheets select on the property; re-polishing makes a change of name show.
    window->style()->unpolish(window);
    window->style()->polish(window);
    window->update();
}

void SkinSE_SetLayoutMainFrame(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    const QString element = SkinElementOf(window);
    if (element == QLatin1String("videoview")) {
        LayoutVideoView(window);
    } else if (element == QLatin1String("mainFrame")) {
        LayoutMainFrame(window);
    }
}

void SkinSE_SetLayoutWindowPos(QWidget* window, int left, int top, int right, int bottom) {
    if (window != nullptr) {
        window->setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    }
}

void SkinSE_UI_DrawBack(QWidget* window, QPainter& painter, int x, int y, int width, int height,
                        int alpha) {
    const QRect rect(x, y, width, height);
    const QString name = window != nullptr ? window->objectName() : QString();
    painter.save();
    painter.setOpacity(alpha / 255.0);
    if (name == QLatin1String(kSpeedDialObjectName)) {
        DrawSpeedDialFace(painter, rect);
    } else if (name == QLatin1String(kChartObjectName)) {
        DrawChartBack(painter, rect);
    } else {
        painter.fillRect(rect, window != nullptr ? window->palette().window() : QBrush(Qt::black));
    }
    painter.restore();
}

QString SkinElementOf(const QWidget* window) {
    return window != nullptr ? window->property(kElementProperty).toString() : QString();
}
