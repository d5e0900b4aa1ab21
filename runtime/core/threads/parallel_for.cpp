#include "runtime/core/threads/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr unsigned MaxThreads = 64;

} // namespace

unsigned CoreCount() {
    static const unsigned cores =
        std::min(MaxThreads, std::max(1u, std::thread::hardware_concurrency()));
    return cores;
}

void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t, bool)>& work) {
    std::atomic<size_t> next{0};
    const auto take = [&](bool onCaller) {
        for (size_t item; (item = next.fetch_add(1)) < count;)
            work(item, onCaller);
    };
    std::vector<std::thread> helpers;
    threads = std::clamp(threads, 1u, MaxThreads);
    try {
        helpers.reserve(threads - 1);
        for (unsigned t = 1; t < threads; t++)
            helpers.emplace_back(take, false);
    } catch (const std::system_error&) {
        // No more threads to be had: those started and the caller do the rest.
    } catch (const std::bad_alloc&) {
    }
    take(true);
    for (std::thread& helper : helpers)
        helper.join();
}
