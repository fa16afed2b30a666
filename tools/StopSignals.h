// Turns SIGTERM and SIGINT into a call on the Qt event loop's thread, so that a tool killed
// politely can still end its children and remove its partial files. A signal handler may do
// almost nothing safely, so it only writes the signal's number into a pipe (the self-pipe
// pattern Qt documents for Unix signals); a socket notifier on the pipe's other end makes the
// call once the event loop runs. Should the pipe not open, the signals keep their default
// handling. While an object of this class lives, the two signals no
// longer end the process by themselves: the call must.
#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <utility>

class StopSignals {
public:
    explicit StopSignals(std::function<void(int signal)> onSignal);
    ~StopSignals(); // gives the signals their default handling back
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first signal caught, or 0; safe to read at any time, before its call has run.
    static int Caught();

private:
    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
