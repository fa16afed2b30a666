#include "playback/CNaviPlayWnd.h"

#include "playback/MpvOwners.h"

#include <mpv/render_gl.h>

#include <QEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPalette>
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

// Lives and dies on the UI thread, like everything it owns.
class CNaviPlayWnd::RenderWindow : public QWindow {
public:
    RenderWindow() {
        setSurfaceType(QSurface::OpenGLSurface);
        // Clicks and keys go to the widgets under it, as they would without this window:
        // the main window's keys keep working and the pane keeps its tooltip.
        setFlags(Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    }
    // The render context goes before the GL context it was made in, with that context
    // current.
    ~RenderWindow() override { DetachCore(); }

    void AttachCore(mpv_handle* core) {
        if (m_core == core) {
            return;
        }
        DetachCore();
        m_core = core;
        PrepareRenderContext();
    }

    void PrepareRenderContext() {
        if (m_core == nullptr || m_render || !MakeCurrent()) {
            return;
        }
        CreateRenderContext();
        m_context->doneCurrent();
    }

    void DetachCore() {
        m_core = nullptr;
        if (m_render && MakeCurrent()) {
            FreeRenderContext();
            m_context->doneCurrent();
        }
    }

    bool HasRenderContext() const { return m_render != nullptr; }

protected:
    void exposeEvent(QExposeEvent* /*event*/) override { Render(); }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest) {
            Render();
            return true;
        }
        return QWindow::event(event);
    }

private:
    // The GL context is made once and kept: unlike a widget's, it does not go when the
    // window moves to another top-level. While the window is not on screen an offscreen
    // surface stands in for it.
    bool MakeCurrent(bool onScreen = false) {
        if (!m_context) {
            auto context = std::make_unique<QOpenGLContext>();
            context->setFormat(requestedFormat());
            context->setShareContext(QOpenGLContext::globalShareContext());
            if (!context->create()) {
                return false;
            }
            m_context = std::move(context);
        }
        if (onScreen) {
            return m_context->makeCurrent(this);
        }
        if (!m_offscreen) {
            m_offscreen = std::make_unique<QOffscreenSurface>(nullptr);
            m_offscreen->setFormat(m_context->format());
            m_offscreen->create();
        }
        return m_context->makeCurrent(m_offscreen.get());
    }

    void Render() {
        if (!isExposed() || !MakeCurrent(true)) {
            return;
        }
        const qreal ratio = devicePixelRatio();
        const int width = static_cast<int>(this->width() * ratio);
        const int height = static_cast<int>(this->height() * ratio);
        if (m_render) {
            mpv_opengl_fbo fbo{static_cast<int>(m_context->defaultFramebufferObject()), width,
                               height, 0};
            int flipY = 1;
            mpv_render_param params[] = {
                {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                {MPV_RENDER_PARAM_INVALID, nullptr},
            };
            mpv_render_context_render(m_render.get(), params);
        } else {
            QOpenGLFunctions* gl = m_context->functions();
            gl->glViewport(0, 0, width, height);
            gl->glClearColor(kBackground.redF(), kBackground.greenF(), kBackground.blueF(), 1.0f);
            gl->glClear(GL_COLOR_BUFFER_BIT);
        }
        m_context->swapBuffers(this);
        if (m_render) {
            mpv_render_context_report_swap(m_render.get());
        }
    }

    void CreateRenderContext() {
        mpv_opengl_init_params glInit{GetProcAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context* render = nullptr;
        if (mpv_render_context_create(&render, m_core, params) < 0) {
            return;
        }
        m_render.reset(render);
        mpv_render_context_set_update_callback(render, OnRenderUpdate, this);
    }

    void FreeRenderContext() {
        // Synchronised with a callback in progress: none runs after this returns.
        mpv_render_context_set_update_callback(m_render.get(), nullptr, nullptr);
        m_render.reset();
    }

    static void OnRenderUpdate(void* self) {
        // Runs on an mpv thread; rendering belongs to the UI thread. A window destroyed
        // before the queued call runs takes the call with it.
        auto* window = static_cast<RenderWindow*>(self);
        QMetaObject::invokeMethod(
            window, [window] { window->requestUpdate(); }, Qt::QueuedConnection);
    }

    static void* GetProcAddress(void* /*context*/, const char* name) {
        QOpenGLContext* current = QOpenGLContext::currentContext();
        return current != nullptr ? reinterpret_cast<void*>(current->getProcAddress(name))
                                  : nullptr;
    }

    mpv_handle* m_core = nullptr;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_offscreen;
    // See MpvOwners.h: freed on the UI thread with m_context current, before m_context.
    MpvRenderContext m_render;
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
        m_surface->AttachCore(core);
    }
}

void CNaviPlayWnd::PrepareRenderContext() {
    if (m_surface != nullptr) {
        m_surface->PrepareRenderContext();
    }
}

void CNaviPlayWnd::DetachCore() {
    if (m_surface != nullptr) {
        m_surface->DetachCore();
    }
}

bool CNaviPlayWnd::HasRenderContext() const {
    return m_surface != nullptr && m_surface->HasRenderContext();
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
