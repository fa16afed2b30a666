#include "StopSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Only async-signal-safe work touches these from the handler: a write and a store.
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_caught = 0;

constexpr int kSignals[] = {SIGTERM, SIGINT};

void OnSignal(int signal) {
    const int savedErrno = errno;
    if (g_caught == 0) {
        g_caught = signal;
    }
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(std::function<void(int)> onSignal) : m_onSignal(std::move(onSignal)) {
    // Close-on-exec, so that ffmpeg and ffprobe do not hold the pipe open.
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        unsigned char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1) {
        }
        m_notifier->setEnabled(false);
        m_onSignal(static_cast<int>(g_caught));
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restarted, so that a blocking call of Qt's or ours does not fail half-way.
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    m_notifier.reset();
    for (int& end : g_pipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

int StopSignals::Caught() {
    return static_cast<int>(g_caught);
}
