// The choice of how the map's web view draws: software rasterisers are told from GPUs by
// their renderer names, and under a virtual X server, whose OpenGL is always Mesa's software
// one, the choice keeps a window holding a web view a raster window.
#include "app/WebViewRendering.h"

#include <QApplication>
#include <QQuickWindow>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

bool UnderX() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

TEST(WebViewRendering, SoftwareRasterisersAreToldFromGpusByName) {
    // GL_RENDERER texts as Mesa, SwiftShader and GPU drivers report them.
    EXPECT_TRUE(
        WebViewRendering::IsSoftwareRenderer(QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)")));
    EXPECT_TRUE(WebViewRendering::IsSoftwareRenderer(QStringLiteral("softpipe")));
    EXPECT_TRUE(WebViewRendering::IsSoftwareRenderer(QStringLiteral("Google SwiftShader")));
    EXPECT_TRUE(WebViewRendering::IsSoftwareRenderer(QStringLiteral(
        "ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)), SwiftShader driver)")));
    EXPECT_TRUE(WebViewRendering::IsSoftwareRenderer(QStringLiteral("Software Rasterizer")));
    // A GPU whose driver compiles shaders with LLVM names it too.
    EXPECT_FALSE(WebViewRendering::IsSoftwareRenderer(QStringLiteral(
        "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)")));
    EXPECT_FALSE(WebViewRendering::IsSoftwareRenderer(
        QStringLiteral("Mesa Intel(R) UHD Graphics 620 (KBL GT2)")));
    EXPECT_FALSE(WebViewRendering::IsSoftwareRenderer(
        QStringLiteral("NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2")));
    EXPECT_FALSE(WebViewRendering::IsSoftwareRenderer(QString()));
}

// One test, as the choice holds for the whole process once made.
TEST(WebViewRendering, UnderAVirtualXServerTheWebViewLeavesItsWindowARasterOne) {
    if (!UnderX()) {
        GTEST_SKIP() << "needs a virtual X server with OpenGL";
    }
    EXPECT_TRUE(WebViewRendering::IsSoftwareRenderer(WebViewRendering::OpenGlRenderer()))
        << qPrintable(WebViewRendering::OpenGlRenderer());

    // A backend the user chose is left alone.
    qputenv("QT_QUICK_BACKEND", "rhi");
    EXPECT_FALSE(WebViewRendering::Choose());
    EXPECT_NE(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"));
    qunsetenv("QT_QUICK_BACKEND");

    ASSERT_TRUE(WebViewRendering::Choose());
    EXPECT_EQ(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"));

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QWebEngineView;
    layout->addWidget(view);
    view->setHtml(QStringLiteral("<p>map</p>"));
    window.resize(320, 240);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Drawn through OpenGL, the web view would have turned it into an OpenGL window.
    EXPECT_EQ(window.windowHandle()->surfaceType(), QSurface::RasterSurface);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no screen; the run under X names its platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (::geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
