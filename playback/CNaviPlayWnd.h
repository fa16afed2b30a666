// The video window ("NaviPlayWnd"). mpv renders the clip's frames through its render API
// into a native OpenGL window of its own that fills this widget; the window owns its OpenGL
// context and the render context, and draws whenever mpv says a new frame is ready. Being
// native, the picture goes to the screen by itself: the widgets around it keep their plain
// raster window, which is not composited again for every frame. On a platform without
// OpenGL (the offscreen one) there is no such window and this one shows only its
// background.
#pragma once

#include <QPoint>
#include <QWidget>

struct mpv_handle;
class QWindow;

class CNaviPlayWnd : public QWidget {
    Q_OBJECT

public:
    explicit CNaviPlayWnd(QWidget* parent = nullptr);
    ~CNaviPlayWnd() override;

    // Frames of that core go into this window from now on.
    void AttachCore(mpv_handle* core);
    // Makes the render context now if the window has none yet, even while it is hidden:
    // mpv's video output needs it when a clip starts, and the video pane shows the window
    // only after opening the clip.
    void PrepareRenderContext();
    // Frees the render context; the core must not be destroyed before this.
    void DetachCore();
    bool HasRenderContext() const;
    // The native window the frames are drawn in, or nullptr where there is no OpenGL.
    QWindow* Surface() const;

signals:
    // The mouse on the picture, in this widget's pixels; the native window lets it through.
    void pressed(QPoint at);
    void dragged(QPoint at);
    void released(QPoint at);
    void wheeled(QPoint at, int steps);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    class RenderWindow;
    RenderWindow* m_surface = nullptr; // owned by m_container
    QWidget* m_container = nullptr;    // child widget, deleted with the window
};
