#include "ui/controls/wnd.h"

#include <algorithm>
#include <array>

#include <QEvent>
#include <QWindow>

namespace vandrel::ui {
namespace {

constexpr std::array kPlacementEvents{QEvent::Move, QEvent::Resize, QEvent::Show, QEvent::Hide};

bool ChangesPlacement(QEvent::Type type) {
    return std::find(kPlacementEvents.begin(), kPlacementEvents.end(), type) != kPlacementEvents.end();
}

}  // namespace

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) { WatchAncestors(); }

void CWndUI::SetHostedWindow(QWidget* window) {
    hosted_ = window;
    PlaceHostedWindow();
}

QWidget* CWndUI::HostNativeWindow(QWindow* window) {
    if (window == nullptr) {
        SetHostedWindow(nullptr);
        return nullptr;
    }
    QWidget* container = QWidget::createWindowContainer(window, this);
    SetHostedWindow(container);
    return container;
}

void CWndUI::PlaceHostedWindow() {
    QWidget* hosted = hosted_.data();
    if (hosted == nullptr) return;
    const QPoint onScreen = mapToGlobal(QPoint(0, 0));
    const QWidget* parent = hosted->parentWidget();
    const QPoint origin = parent == nullptr ? onScreen : parent->mapFromGlobal(onScreen);
    hosted->setGeometry(QRect(origin, size()));
    hosted->setVisible(isVisible());
}

bool CWndUI::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) WatchAncestors();
    if (ChangesPlacement(event->type())) PlaceHostedWindow();
    return handled;
}

bool CWndUI::eventFilter(QObject* watched, QEvent* event) {
    if (ChangesPlacement(event->type())) PlaceHostedWindow();
    return QWidget::eventFilter(watched, event);
}

void CWndUI::WatchAncestors() {
    // Installing twice is harmless: Qt keeps one filter per object.
    for (QWidget* ancestor = parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget())
        ancestor->installEventFilter(this);
}

}  // namespace vandrel::ui
