#include "app/BrowserEnvironment.h"
#include "map/MapProfile.h"

#include <QApplication>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>

namespace {

std::atomic<int> g_refused{0};
std::atomic<bool> g_refuseOwnPages{false};

// The machine's network is no part of a test: tiles and service libraries are refused
// here, as an unreachable server would refuse them. On a test's request the program's own
// pages are refused too, as a load that fails.
class NoNetwork : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
            ++g_refused;
            info.block(true);
        } else if (g_refuseOwnPages &&
                   info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
            info.block(true);
        }
    }
};

} // namespace

int RefusedRequests() {
    return g_refused.load();
}

void RefuseOwnPages(bool refuse) {
    g_refuseOwnPages = refuse;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The pages are tested in the engine as the player starts it: low on memory, and without
    // the sandbox (which CTest's environment turns off) and zygotes.
    BrowserEnvironment::Prepare(false);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    NoNetwork noNetwork;
    MapProfile()->setUrlRequestInterceptor(&noNetwork);
    const int result = RUN_ALL_TESTS();
    MapProfile()->setUrlRequestInterceptor(nullptr);
    return result;
}
