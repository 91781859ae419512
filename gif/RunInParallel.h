#pragma once
// Independent tasks on this thread and a second one, for the optimiser's
// candidates.

#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>

// Runs task(0) .. task(count - 1), in that order of starting, on this
// thread and one more when there are several and the machine has a second
// core; the first failure is raised here once both are done.
template <typename TTask>
void RunInParallel(std::size_t count, TTask&& task) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) task(i);
    };
    if (count < 2 || std::thread::hardware_concurrency() < 2) {
        work();
        return;
    }
    std::exception_ptr failure;
    std::thread other([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
            next = count;
        }
    });
    try {
        work();
    } catch (...) {
        next = count;
        other.join();
        throw;
    }
    other.join();
    if (failure) std::rethrow_exception(failure);
}
