#include "app/BrowserEnvironment.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

constexpr char kDisableSandbox[] = "QTWEBENGINE_DISABLE_SANDBOX";
constexpr char kChromiumFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";
// Lite mode runs scripts without compiling them to machine code, which leaves no
// WebAssembly; saying so spares a warning from the script engine at each start.
constexpr char kLowMemory[] =
    "--enable-low-end-device-mode --js-flags=--lite-mode,--no-expose-wasm";
constexpr char kNoZygote[] = " --no-zygote";

} // namespace

void BrowserEnvironment::Prepare(bool root) {
    if (root && qEnvironmentVariableIsEmpty(kDisableSandbox)) {
        qputenv(kDisableSandbox, "1");
    }
    // Flags of the user's own replace all of these, so they are left as they are.
    if (qEnvironmentVariableIsSet(kChromiumFlags)) {
        return;
    }
    QByteArray flags(kLowMemory);
    // The web engine treats the sandbox variable as set whatever its value.
    if (qEnvironmentVariableIsSet(kDisableSandbox)) {
        flags += kNoZygote;
    }
    qputenv(kChromiumFlags, flags);
}
