// Draws mpv's frames into one native OpenGL window on a thread of its own. mpv's render call
// waits for a frame's display time, and mpv's video output waits for the draw: drawn on the
// window's thread, a click waited behind the one and a synchronous mpv call from that thread
// (a seek, a position read) stalled against the other until the output gave up on the frame.
// Here the window's thread only says what to draw on and hands over the mpv core; the
// render thread makes no mpv call but the render API's. Where the platform cannot draw
// from another thread, the frames are drawn on the window's thread as before.
#pragma once

#include <QSize>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct mpv_handle;
struct mpv_render_context;
class QOffscreenSurface;
class QOpenGLContext;
class QWindow;

class FrameRenderer {
public:
    // `window` outlives this object and is an OpenGL surface.
    explicit FrameRenderer(QWindow* window);
    // Frees the render context and ends the thread; call before the window goes.
    ~FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // All of these run on the window's thread and return when done.
    void AttachCore(mpv_handle* core);
    // Makes the render context now if there is none yet, even while the window is hidden.
    void PrepareRenderContext();
    void DetachCore();
    bool HasRenderContext() const;
    // The window is (or is no longer) on screen at that many device pixels: draw again.
    void Show(QSize pixels, bool exposed);
    // The native window is about to be destroyed: nothing is drawn on it from now on.
    void Hide();

private:
    struct Gl;

    void Loop();
    // Runs `job` on the thread that owns the OpenGL context and waits for it.
    void OnRenderThread(const std::function<void()>& job);
    // Under m_lock: whether to draw now, at what size, and whether the whole picture is owed.
    bool TakeDrawLocked(QSize& pixels, bool& redraw);
    void Draw(QSize pixels, bool redraw);
    void CreateRenderContext();
    void FreeRenderContext();
    bool MakeCurrent(bool onScreen);
    void WakeToDraw(bool mpvUpdated);
    static void OnMpvUpdate(void* self);

    QWindow* m_window;
    const bool m_threaded;
    std::unique_ptr<QOffscreenSurface> m_offscreen; // made and freed on the window's thread
    std::unique_ptr<Gl> m_gl;                       // used on the render thread only
    mpv_handle* m_core = nullptr;                   // set on the window's thread
    bool m_hasRenderContext = false;                // read on the window's thread

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::function<void()> m_job;
    bool m_busy = false;
    bool m_quit = false;
    bool m_mpvUpdated = false;
    bool m_redraw = false;
    bool m_exposed = false;
    QSize m_pixels;
    std::thread m_thread;
};
