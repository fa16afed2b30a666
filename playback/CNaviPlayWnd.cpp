#include "playback/CNaviPlayWnd.h"

#include "playback/FrameRenderer.h"

#include <QEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPalette>
#include <QPlatformSurfaceEvent>
#include <QWheelEvent>
#include <QWindow>

#include <memory>

namespace {

// The pane's background brush: red 0, green 0, blue 1.
const QColor kBackground(0, 0, 1);

bool WidgetsGetOpenGL() {
    static const bool available = [] {
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

} // namespace

// Lives and dies on the UI thread; its frames are drawn by the renderer it owns.
class CNaviPlayWnd::RenderWindow : public QWindow {
public:
    RenderWindow() {
        setSurfaceType(QSurface::OpenGLSurface);
        // Clicks and keys go to the widgets under it, as they would without this window:
        // the main window's keys keep working and the pane keeps its tooltip.
        setFlags(Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        m_renderer = std::make_unique<FrameRenderer>(this);
    }

    FrameRenderer& Renderer() { return *m_renderer; }

protected:
    void exposeEvent(QExposeEvent* /*event*/) override { ShowSize(); }
    void resizeEvent(QResizeEvent* /*event*/) override { ShowSize(); }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
            m_renderer->Hide();
        }
        return QWindow::event(event);
    }

private:
    void ShowSize() {
        const qreal ratio = devicePixelRatio();
        m_renderer->Show(
            QSize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio)),
            isExposed());
    }

    std::unique_ptr<FrameRenderer> m_renderer;
};

CNaviPlayWnd::CNaviPlayWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("NaviPlayWnd"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    if (WidgetsGetOpenGL()) {
        m_surface = new RenderWindow;
        m_container = QWidget::createWindowContainer(m_surface, this);
        m_container->setFocusPolicy(Qt::NoFocus);
        m_container->setGeometry(rect());
    }
}

CNaviPlayWnd::~CNaviPlayWnd() {
    DetachCore();
}

void CNaviPlayWnd::AttachCore(mpv_handle* core) {
    if (m_surface != nullptr) {
        m_surface->Renderer().AttachCore(core);
    }
}

void CNaviPlayWnd::PrepareRenderContext() {
    if (m_surface != nullptr) {
        m_surface->Renderer().PrepareRenderContext();
    }
}

void CNaviPlayWnd::DetachCore() {
    if (m_surface != nullptr) {
        m_surface->Renderer().DetachCore();
    }
}

bool CNaviPlayWnd::HasRenderContext() const {
    return m_surface != nullptr && m_surface->Renderer().HasRenderContext();
}

QWindow* CNaviPlayWnd::Surface() const {
    return m_surface;
}

void CNaviPlayWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_container != nullptr) {
        m_container->setGeometry(rect());
    }
}

void CNaviPlayWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit pressed(event->position().toPoint());
    }
}

void CNaviPlayWnd::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        emit dragged(event->position().toPoint());
    }
}

void CNaviPlayWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit released(event->position().toPoint());
    }
}

void CNaviPlayWnd::wheelEvent(QWheelEvent* event) {
    // One notch is 120 eighths of a degree on a common wheel; a touchpad sends less.
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        emit wheeled(event->position().toPoint(), steps);
    }
}
