// A device host for tests: records every call as a line of text, in order,
// from whichever thread it comes; timers and messages by their numbers. Option visibility and selection are plain
// settings of the test.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "devices/device_host.h"

namespace vandrel::testing {

class FakeDeviceHost : public devices::IDeviceHost {
public:
    void ArmTimer(devices::TimerId timer, int periodMs) override {
        Log("arm " + std::to_string(Number(timer)) + " " + std::to_string(periodMs));
    }
    void KillTimer(devices::TimerId timer) override { Log("kill " + std::to_string(Number(timer))); }
    bool OptionVisible() const override { return visible; }
    void ShowOption(bool show) override {
        visible = show;
        Log(show ? "show" : "hide");
    }
    bool OptionSelected() const override { return selected; }
    void PostMainMessage(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) override {
        Log("post " + std::to_string(Number(message)) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    }

    void Log(const std::string& line) {
        {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        }
        changed_.notify_all();
    }
    std::vector<std::string> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    // True once `line` has been logged, false when it is not within the time-out.
    bool WaitForLine(const std::string& line, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            for (const auto& l : lines_)
                if (l == line) return true;
            return false;
        });
    }

    bool visible = true;
    bool selected = false;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

}  // namespace vandrel::testing
