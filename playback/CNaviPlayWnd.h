// The video window ("NaviPlayWnd"). mpv renders the clip's frames through its render API
// into an OpenGL surface that fills the window; the window owns the render context and
// repaints whenever mpv says a new frame is ready. On a platform whose widgets get no
// OpenGL (the offscreen one) there is no surface and the window shows only its background:
// showing an OpenGL widget there brings Qt down.
#pragma once

#include <QWidget>

struct mpv_handle;
class QOpenGLWidget;

class CNaviPlayWnd : public QWidget {
    Q_OBJECT

public:
    explicit CNaviPlayWnd(QWidget* parent = nullptr);
    ~CNaviPlayWnd() override;

    // Frames of that core go into this window from now on.
    void AttachCore(mpv_handle* core);
    // Makes the render context now if the window has none yet, even while it is hidden:
    // mpv's video output needs it when a clip starts, and the video pane shows the window
    // only after opening the clip. Called just before a clip is loaded, when the window's
    // top-level is normally on screen, so that Qt keeps the context it makes here.
    void PrepareRenderContext();
    // Frees the render context; the core must not be destroyed before this.
    void DetachCore();
    bool HasRenderContext() const;
    // The surface the frames are drawn on, or nullptr where there is no OpenGL.
    QOpenGLWidget* Surface() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class RenderSurface;
    RenderSurface* m_surface = nullptr; // child widget, deleted with the window
};
