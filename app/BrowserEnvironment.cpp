#include "app/BrowserEnvironment.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

constexpr char kDisableSandbox[] = "QTWEBENGINE_DISABLE_SANDBOX";
constexpr char kChromiumFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";

} // namespace

void BrowserEnvironment::Prepare(bool root) {
    if (root && qEnvironmentVariableIsEmpty(kDisableSandbox)) {
        qputenv(kDisableSandbox, "1");
    }
    // The web engine treats the sandbox variable as set whatever its value; flags of the
    // user's own replace all of these, so they are left as they are.
    if (qEnvironmentVariableIsSet(kDisableSandbox) && !qEnvironmentVariableIsSet(kChromiumFlags)) {
        qputenv(kChromiumFlags, "--no-zygote");
    }
}
