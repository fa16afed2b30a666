#include "EveryCore.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

void RunOnEveryCore(size_t count, const std::function<void(size_t)>& job) {
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < count; i = next++) {
            job(i);
        }
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (size_t t = 1; t < std::min(cores, count); ++t) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
}
