// The templates behind the window's device operations, shared by the files
// that bind them (main_dispatch.cpp, key_dispatch.cpp).
#pragma once

#include <string>

#include "app/main_window.h"
#include "devices/capabilities.h"
#include "devices/device_kind_registry.h"
#include "platform/trace.h"

namespace vandrel::app {

template <class C>
C* CMainWnd::CapabilityFor(device_io::KindRow kind, const Route& route, const platform::NotifyEvent& event) {
    devices::CMorvaneUSBDevice* device = manager_ ? manager_->Device(kind) : nullptr;
    if (device == nullptr) return nullptr;
    const devices::DeviceKindEntry* entry = devices::DeviceKindRegistry::Instance().Find(kind);
    C* capability = device->Capability<C>();
    if (entry != nullptr && entry->Binds(route.operation) && capability != nullptr) return capability;
    if (tracedRows_.insert(route.row).second)
        platform::Trace("not on this device (" + std::string(devices::CapabilityName(C::kKind)) +
                        "): " + event.control);
    return nullptr;
}

// The handler reads what it needs of the page and calls the capability.
template <class C, class Action>
void CMainWnd::BindOnDevice(Operation operation, Action action) {
    operations_[operation] = [this, action](const Route& route, const platform::NotifyEvent& event) {
        const std::optional<device_io::KindRow> kind = CurrentKind();
        if (!kind) return;
        C* capability = CapabilityFor<C>(*kind, route, event);
        platform::IPageView* page = pages_->Widgets(*kind)->pageView.get();
        if (capability != nullptr && page != nullptr) action(*capability, *page, route, event);
    };
}

}  // namespace vandrel::app
