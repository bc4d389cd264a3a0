// Menus opened at a point with an alignment, as the toolkit's menu windows
// are: the alignment bits say on which side of the point the menu lies
// (2: its left edge at the point, 8: its right edge; 4: its top edge,
// 16: its bottom edge). The menu is kept on the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QMenu;

namespace vandrel::ui {

namespace menu_align {
inline constexpr int kLeft = 2;
inline constexpr int kTop = 4;
inline constexpr int kRight = 8;
inline constexpr int kBottom = 16;
}  // namespace menu_align

// The top-left corner of a menu of `size` placed at `point`, moved inside
// `screen` when it would leave it.
QPoint MenuOrigin(QPoint point, QSize size, int alignment, const QRect& screen);

// Opens the menu at the point (global coordinates) with the alignment.
void PopupMenuAt(QMenu& menu, QPoint point, int alignment);

}  // namespace vandrel::ui
