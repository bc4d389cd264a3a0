// Waiting in a test for something another thread does.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace vandrel::testing {

// Polls until `done` holds; false when it does not within the time-out.
inline bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace vandrel::testing
