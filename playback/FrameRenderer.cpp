#include "playback/FrameRenderer.h"

#include "playback/MpvOwners.h"

#include <mpv/render_gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWindow>

#include <utility>

namespace {

// The pane's background while no clip draws: red 0, green 0, blue 1.
constexpr float kBackgroundBlue = 1.0f / 255.0f;

void* GetProcAddress(void* /*context*/, const char* name) {
    QOpenGLContext* current = QOpenGLContext::currentContext();
    return current != nullptr ? reinterpret_cast<void*>(current->getProcAddress(name)) : nullptr;
}

} // namespace

// Lives on the thread that draws: the OpenGL context is made, made current and freed there,
// and the render context with it.
struct FrameRenderer::Gl {
    QSurfaceFormat format;
    std::unique_ptr<QOpenGLContext> context;
    // See MpvOwners.h: freed with `context` current, before `context`.
    MpvRenderContext render;
    // mpv said something changed and has not yet been asked what.
    bool updateOwed = false;
};

FrameRenderer::FrameRenderer(QWindow* window)
    : m_window(window), m_threaded(QOpenGLContext::supportsThreadedOpenGL()),
      m_offscreen(std::make_unique<QOffscreenSurface>(nullptr)), m_gl(std::make_unique<Gl>()) {
    m_gl->format = window->requestedFormat();
    m_offscreen->setFormat(m_gl->format);
    m_offscreen->create();
    if (m_threaded) {
        m_thread = std::thread([this] { Loop(); });
    }
}

FrameRenderer::~FrameRenderer() {
    if (m_threaded) {
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            m_quit = true;
        }
        m_wake.notify_one();
        m_thread.join();
    } else {
        FreeRenderContext();
        m_gl->context.reset();
    }
}

void FrameRenderer::AttachCore(mpv_handle* core) {
    if (m_core == core) {
        return;
    }
    DetachCore();
    m_core = core;
    PrepareRenderContext();
}

void FrameRenderer::PrepareRenderContext() {
    if (m_core == nullptr || m_hasRenderContext) {
        return;
    }
    OnRenderThread([this] {
        if (MakeCurrent(false)) {
            CreateRenderContext();
            m_gl->context->doneCurrent();
        }
    });
    m_hasRenderContext = m_gl->render != nullptr;
}

void FrameRenderer::DetachCore() {
    m_core = nullptr;
    if (m_hasRenderContext) {
        OnRenderThread([this] { FreeRenderContext(); });
        m_hasRenderContext = false;
    }
}

bool FrameRenderer::HasRenderContext() const {
    return m_hasRenderContext;
}

void FrameRenderer::Show(QSize pixels, bool exposed) {
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_pixels = pixels;
        m_exposed = exposed;
    }
    WakeToDraw(false);
}

void FrameRenderer::Hide() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_exposed = false;
    m_idle.wait(lock, [this] { return !m_busy; });
}

void FrameRenderer::Loop() {
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_job || m_mpvUpdated || m_redraw; });
        std::function<void()> job = std::exchange(m_job, nullptr);
        if (!job && m_quit) {
            break;
        }
        QSize pixels;
        bool redraw = false;
        if (!job && !TakeDrawLocked(pixels, redraw)) {
            continue;
        }
        m_busy = true;
        lock.unlock();
        if (job) {
            job();
        } else {
            Draw(pixels, redraw);
        }
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    lock.unlock();
    FreeRenderContext();
    m_gl->context.reset();
}

bool FrameRenderer::TakeDrawLocked(QSize& pixels, bool& redraw) {
    if (std::exchange(m_mpvUpdated, false)) {
        m_gl->updateOwed = true;
    }
    redraw = std::exchange(m_redraw, false);
    pixels = m_pixels;
    return m_exposed && (m_gl->updateOwed || redraw);
}

void FrameRenderer::OnRenderThread(const std::function<void()>& job) {
    if (!m_threaded) {
        job();
        return;
    }
    std::unique_lock<std::mutex> lock(m_lock);
    m_job = job;
    m_wake.notify_one();
    m_idle.wait(lock, [this] { return !m_job && !m_busy; });
}

void FrameRenderer::WakeToDraw(bool mpvUpdated) {
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        (mpvUpdated ? m_mpvUpdated : m_redraw) = true;
    }
    if (m_threaded) {
        m_wake.notify_one();
        return;
    }
    // Drawn on the window's thread: a window destroyed before the queued call runs takes the
    // call with it, and this object goes with its window.
    QMetaObject::invokeMethod(
        m_window,
        [this] {
            QSize pixels;
            bool redraw = false;
            bool draw = false;
            {
                const std::lock_guard<std::mutex> hold(m_lock);
                draw = TakeDrawLocked(pixels, redraw);
            }
            if (draw) {
                Draw(pixels, redraw);
            }
        },
        Qt::QueuedConnection);
}

void FrameRenderer::Draw(QSize pixels, bool redraw) {
    if (!MakeCurrent(true)) {
        return;
    }
    QOpenGLContext* context = m_gl->context.get();
    mpv_render_context* render = m_gl->render.get();
    bool draw = redraw || render == nullptr;
    if (std::exchange(m_gl->updateOwed, false) && render != nullptr) {
        draw = (mpv_render_context_update(render) & MPV_RENDER_UPDATE_FRAME) != 0 || draw;
    }
    if (draw) {
        if (render != nullptr) {
            mpv_opengl_fbo fbo{static_cast<int>(context->defaultFramebufferObject()),
                               pixels.width(), pixels.height(), 0};
            int flipY = 1;
            mpv_render_param params[] = {
                {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                {MPV_RENDER_PARAM_INVALID, nullptr},
            };
            mpv_render_context_render(render, params);
        } else {
            QOpenGLFunctions* gl = context->functions();
            gl->glViewport(0, 0, pixels.width(), pixels.height());
            gl->glClearColor(0.0f, 0.0f, kBackgroundBlue, 1.0f);
            gl->glClear(GL_COLOR_BUFFER_BIT);
        }
        context->swapBuffers(m_window);
        if (render != nullptr) {
            mpv_render_context_report_swap(render);
        }
    }
    // Not left current on the window, which the window's thread may destroy between draws.
    context->doneCurrent();
}

// The OpenGL context is made once and kept: unlike a widget's, it does not go when the window
// moves to another top-level. While the window is not on screen the offscreen surface stands
// in for it.
bool FrameRenderer::MakeCurrent(bool onScreen) {
    if (!m_gl->context) {
        auto context = std::make_unique<QOpenGLContext>();
        context->setFormat(m_gl->format);
        context->setShareContext(QOpenGLContext::globalShareContext());
        if (!context->create()) {
            return false;
        }
        m_gl->context = std::move(context);
    }
    if (onScreen) {
        return m_gl->context->makeCurrent(m_window);
    }
    return m_gl->context->makeCurrent(m_offscreen.get());
}

void FrameRenderer::CreateRenderContext() {
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
    m_gl->render.reset(render);
    mpv_render_context_set_update_callback(render, OnMpvUpdate, this);
}

void FrameRenderer::FreeRenderContext() {
    if (!m_gl->render || !MakeCurrent(false)) {
        return;
    }
    // Synchronised with a callback in progress: none runs after this returns.
    mpv_render_context_set_update_callback(m_gl->render.get(), nullptr, nullptr);
    m_gl->render.reset();
    m_gl->updateOwed = false;
    m_gl->context->doneCurrent();
}

void FrameRenderer::OnMpvUpdate(void* self) {
    // On an mpv thread, which must not wait for the drawing.
    static_cast<FrameRenderer*>(self)->WakeToDraw(true);
}
