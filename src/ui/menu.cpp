#include "ui/menu.h"

#include <algorithm>

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace vandrel::ui {

QPoint MenuOrigin(QPoint point, QSize size, int alignment, const QRect& screen) {
    int x = point.x();
    int y = point.y();
    if ((alignment & menu_align::kRight) != 0) x -= size.width();
    if ((alignment & menu_align::kBottom) != 0) y -= size.height();
    if (screen.isValid()) {
        x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
        y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    }
    return {x, y};
}

void PopupMenuAt(QMenu& menu, QPoint point, int alignment) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    menu.popup(MenuOrigin(point, menu.sizeHint(), alignment, area));
}

}  // namespace vandrel::ui
