#include "playback/CNaviPlayWnd.h"

#include "playback/MpvOwners.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPalette>

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

class CNaviPlayWnd::RenderSurface : public QOpenGLWidget {
public:
    explicit RenderSurface(QWidget* parent) : QOpenGLWidget(parent) {}
    // The render context goes here, with the GL context current, while this is still a
    // RenderSurface: ~QWidget destroys the GL context later, when only a QWidget is left,
    // and the handler of that must not run then.
    ~RenderSurface() override {
        disconnect(m_contextGone);
        DetachCore();
    }

    void AttachCore(mpv_handle* core) {
        if (m_core == core) {
            return;
        }
        DetachCore();
        m_core = core;
        if (context() != nullptr) {
            makeCurrent();
            CreateRenderContext();
            doneCurrent();
        }
    }

    void PrepareRenderContext() {
        if (m_core != nullptr && context() == nullptr) {
            // Lets Qt make the GL context now, even while the window is hidden;
            // initializeGL then makes the render context.
            grabFramebuffer();
        }
    }

    void DetachCore() {
        m_core = nullptr;
        if (m_render) {
            makeCurrent();
            FreeRenderContext();
            doneCurrent();
        }
    }

    bool HasRenderContext() const { return m_render != nullptr; }

protected:
    void initializeGL() override {
        // Qt drops the GL context when the widget moves to another window; the render
        // context must go first, with the old context still current, and is made again in
        // the new one.
        disconnect(m_contextGone);
        m_contextGone = connect(
            context(), &QOpenGLContext::aboutToBeDestroyed, this,
            [this] {
                makeCurrent();
                FreeRenderContext();
                doneCurrent();
            },
            Qt::DirectConnection);
        if (m_core != nullptr && !m_render) {
            CreateRenderContext();
        }
    }

    void paintGL() override {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(kBackground.redF(), kBackground.greenF(), kBackground.blueF(), 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        if (!m_render) {
            return;
        }
        const qreal ratio = devicePixelRatioF();
        mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                           static_cast<int>(width() * ratio), static_cast<int>(height() * ratio),
                           0};
        int flipY = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flipY},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(m_render.get(), params);
    }

private:
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
        if (m_render) {
            // Synchronised with a callback in progress: none runs after this returns.
            mpv_render_context_set_update_callback(m_render.get(), nullptr, nullptr);
            m_render.reset();
        }
    }

    static void OnRenderUpdate(void* self) {
        // Runs on an mpv thread; rendering belongs to the UI thread. A surface destroyed
        // before the queued call runs takes the call with it.
        auto* surface = static_cast<RenderSurface*>(self);
        QMetaObject::invokeMethod(
            surface, [surface] { surface->update(); }, Qt::QueuedConnection);
    }

    static void* GetProcAddress(void* /*context*/, const char* name) {
        QOpenGLContext* current = QOpenGLContext::currentContext();
        return current != nullptr ? reinterpret_cast<void*>(current->getProcAddress(name))
                                  : nullptr;
    }

    mpv_handle* m_core = nullptr;
    QMetaObject::Connection m_contextGone;
    MpvRenderContext m_render; // see MpvOwners.h: freed on the UI thread, GL context current
};

CNaviPlayWnd::CNaviPlayWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("NaviPlayWnd"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    if (WidgetsGetOpenGL()) {
        m_surface = new RenderSurface(this);
        m_surface->setGeometry(rect());
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

QOpenGLWidget* CNaviPlayWnd::Surface() const {
    return m_surface;
}

void CNaviPlayWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_surface != nullptr) {
        m_surface->setGeometry(rect());
    }
}
