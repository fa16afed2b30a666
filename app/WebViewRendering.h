// How the map's web view is drawn, chosen once before the first window. The web view is a Qt
// Quick item: drawn through OpenGL, it makes Qt compose the whole main window through OpenGL
// on every repaint of any pane, and Chromium draw the page through OpenGL too. That is the
// right way on a GPU. Where OpenGL is itself a software rasteriser (llvmpipe or softpipe in
// a virtual machine, on a virtual or remote X server, without a GPU driver; SwiftShader),
// each of those passes is CPU work on top of the picture's own, and the plain software paths
// cost less: Qt Quick's software renderer keeps the main window a raster one that sends
// only the changed rectangles, and with it the web engine draws the page without OpenGL,
// the same fallback Chromium itself takes on GPUs it does not trust. The video keeps its own
// OpenGL window either way.
#pragma once

#include <QString>

class WebViewRendering {
public:
    // True for the renderer names (GL_RENDERER) of software rasterisers.
    static bool IsSoftwareRenderer(const QString& glRenderer);
    // The renderer of a fresh OpenGL context; empty when there is none.
    static QString OpenGlRenderer();
    // Switches Qt Quick to its software renderer when OpenGL is a software one, unless the
    // user chose a Qt Quick backend already (QT_QUICK_BACKEND, QSG_RHI_BACKEND). Call after
    // the application object is made and before the first window. True when switched.
    static bool Choose();
};
