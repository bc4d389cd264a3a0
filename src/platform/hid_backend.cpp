#include "platform/hid_backend.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/hidraw_backend.h"

namespace vandrel::platform {
namespace {

std::atomic<IHidBackend*> g_selected{nullptr};

IHidBackend& Hidraw() {
    static HidrawBackend backend;
    return backend;
}

}  // namespace

// The callback is taken by value for the back ends that move it into their
// watch; this default has no watch and drops it.
std::unique_ptr<ChangeWatch> IHidBackend::WatchChanges(
    std::function<void()> /*onChange*/) {  // NOLINT(performance-unnecessary-value-param): overrides move it
    return nullptr;
}

// The mutex is held while listeners run, so that a watch being destroyed
// waits for a call in progress.
struct ChangeListeners::Shared {
    std::mutex mutex;
    std::vector<std::pair<std::uint64_t, std::function<void()>>> listeners;
    std::uint64_t lastId = 0;
};

class ChangeListeners::Watch final : public ChangeWatch {
public:
    Watch(std::shared_ptr<Shared> shared, std::uint64_t id) : shared_(std::move(shared)), id_(id) {}
    ~Watch() override {
        std::lock_guard lock(shared_->mutex);
        std::erase_if(shared_->listeners, [this](const auto& entry) { return entry.first == id_; });
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

private:
    const std::shared_ptr<Shared> shared_;
    const std::uint64_t id_;
};

ChangeListeners::ChangeListeners() : shared_(std::make_shared<Shared>()) {}
ChangeListeners::~ChangeListeners() = default;

std::unique_ptr<ChangeWatch> ChangeListeners::Add(std::function<void()> onChange) {
    std::lock_guard lock(shared_->mutex);
    const std::uint64_t id = ++shared_->lastId;
    shared_->listeners.emplace_back(id, std::move(onChange));
    return std::make_unique<Watch>(shared_, id);
}

void ChangeListeners::Notify() const {
    std::lock_guard lock(shared_->mutex);
    for (const auto& listener : shared_->listeners) listener.second();
}

IHidBackend& DefaultHidBackend() {
    IHidBackend* selected = g_selected.load(std::memory_order_acquire);
    return selected ? *selected : Hidraw();
}

void SetDefaultHidBackend(IHidBackend* backend) { g_selected.store(backend, std::memory_order_release); }

}  // namespace vandrel::platform
