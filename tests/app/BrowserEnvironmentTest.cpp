// The web engine's start-up settings: the sandbox goes only for root or by the user's word,
// the zygotes only with the sandbox, the engine runs low on memory, and the user's own
// settings stay as they are.
#include "app/BrowserEnvironment.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

class BrowserEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    }
    static QByteArray Sandbox() { return qgetenv("QTWEBENGINE_DISABLE_SANDBOX"); }
    static QByteArray Flags() { return qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"); }
};

TEST_F(BrowserEnvironmentTest, AUserKeepsTheSandboxAndTheZygotes) {
    BrowserEnvironment::Prepare(false);
    EXPECT_FALSE(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"));
    EXPECT_EQ(Flags(), "--enable-low-end-device-mode --js-flags=--lite-mode,--no-expose-wasm");
}

TEST_F(BrowserEnvironmentTest, RootRunsWithoutTheSandboxAndWithoutZygotes) {
    BrowserEnvironment::Prepare(true);
    EXPECT_EQ(Sandbox(), "1");
    EXPECT_EQ(Flags(),
              "--enable-low-end-device-mode --js-flags=--lite-mode,--no-expose-wasm --no-zygote");
}

TEST_F(BrowserEnvironmentTest, ASandboxTheUserSwitchedOffTakesTheZygotesWithIt) {
    // The web engine takes the variable as set whatever it holds.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "");
    BrowserEnvironment::Prepare(false);
    EXPECT_EQ(Flags(),
              "--enable-low-end-device-mode --js-flags=--lite-mode,--no-expose-wasm --no-zygote");
}

TEST_F(BrowserEnvironmentTest, TheUsersOwnSettingsStayAsTheyAre) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "yes");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-smooth-scrolling");
    BrowserEnvironment::Prepare(true);
    EXPECT_EQ(Sandbox(), "yes");
    EXPECT_EQ(Flags(), "--disable-smooth-scrolling");
}

} // namespace
