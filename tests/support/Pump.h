// Waiting in a test for something the event loop delivers: a signal, a timer, a reply from
// another process or thread. The test's thread keeps processing its events while it waits,
// so whatever it waits for can arrive.
#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// Processes events until `done` is true or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(15));

// Processes events for `duration`, for what is meant to have happened (or not) by then.
void PumpFor(std::chrono::milliseconds duration);

} // namespace testsupport
