#include "ui/notify.h"

namespace vandrel::ui {

NotifyHub& NotifyHub::Instance() {
    static NotifyHub hub;
    return hub;
}

void SendNotify(QWidget* sender, const QString& type, std::intptr_t wParam, std::intptr_t lParam) {
    if (sender == nullptr) return;
    emit NotifyHub::Instance().Notified(sender, type, static_cast<qintptr>(wParam), static_cast<qintptr>(lParam));
}

}  // namespace vandrel::ui
