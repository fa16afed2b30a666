#include "app/WebViewRendering.h"

#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace {

Q_LOGGING_CATEGORY(lcRendering, "ostvik.rendering", QtWarningMsg)

} // namespace

bool WebViewRendering::IsSoftwareRenderer(const QString& glRenderer) {
    // Mesa's rasterisers name themselves first ("llvmpipe (LLVM 15.0.6, 256 bits)"); a GPU
    // driver may name LLVM as its shader compiler, so "LLVM" alone says nothing.
    static const char* const kSoftware[] = {"llvmpipe", "softpipe", "swiftshader",
                                            "software rasterizer"};
    const QString name = glRenderer.toLower();
    for (const char* software : kSoftware) {
        if (name.contains(QLatin1String(software))) {
            return true;
        }
    }
    return false;
}

QString WebViewRendering::OpenGlRenderer() {
    QOpenGLContext context;
    if (!context.create()) {
        return QString();
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        return QString();
    }
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QString renderer = name != nullptr ? QString::fromLatin1(name) : QString();
    context.doneCurrent();
    return renderer;
}

bool WebViewRendering::Choose() {
    if (!qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") ||
        !qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND")) {
        return false;
    }
    const QString renderer = OpenGlRenderer();
    if (!IsSoftwareRenderer(renderer)) {
        return false;
    }
    qCInfo(lcRendering) << "OpenGL renderer" << renderer
                        << "is a software one: the map view draws without it";
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return true;
}
