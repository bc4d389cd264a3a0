#include "platform/hid_backend.h"

#include <atomic>

#include "platform/hidraw_backend.h"

namespace vandrel::platform {
namespace {

std::atomic<IHidBackend*> g_selected{nullptr};

IHidBackend& Hidraw() {
    static HidrawBackend backend;
    return backend;
}

}  // namespace

IHidBackend& DefaultHidBackend() {
    IHidBackend* selected = g_selected.load(std::memory_order_acquire);
    return selected ? *selected : Hidraw();
}

void SetDefaultHidBackend(IHidBackend* backend) { g_selected.store(backend, std::memory_order_release); }

}  // namespace vandrel::platform
