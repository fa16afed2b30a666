// Runs the jobs of a batch on every core: each worker takes the next job not yet taken, so
// a slow clip holds up one worker, not a share of the batch.
#pragma once

#include <cstddef>
#include <functional>

// Calls job(i) once for each i below `count`, from up to one thread per core (the caller's
// among them), and returns when all have returned.
void RunOnEveryCore(size_t count, const std::function<void(size_t)>& job);
