#include "ui/controls/hand_img_select_button.h"

#include <algorithm>
#include <array>

#include <QPainter>

#include "ui/controls/image_description.h"
#include "ui/notify.h"

namespace vandrel::ui {
namespace {

struct CursorName {
    const char16_t* name;
    Qt::CursorShape shape;
};

// The toolkit's cursor names. "size" is the old name of the four-way arrow
// and "icon" an old shape without a counterpart: it shows the arrow.
constexpr std::array<CursorName, 14> kCursors{{
    {u"arrow", Qt::ArrowCursor},
    {u"ibeam", Qt::IBeamCursor},
    {u"wait", Qt::WaitCursor},
    {u"cross", Qt::CrossCursor},
    {u"uparrow", Qt::UpArrowCursor},
    {u"size", Qt::SizeAllCursor},
    {u"icon", Qt::ArrowCursor},
    {u"sizenwse", Qt::SizeFDiagCursor},
    {u"sizenesw", Qt::SizeBDiagCursor},
    {u"sizewe", Qt::SizeHorCursor},
    {u"sizens", Qt::SizeVerCursor},
    {u"sizeall", Qt::SizeAllCursor},
    {u"no", Qt::ForbiddenCursor},
    {u"hand", Qt::PointingHandCursor},
}};

}  // namespace

std::optional<Qt::CursorShape> CursorShapeOfName(QStringView name) {
    const QStringView trimmed = name.trimmed();
    const auto it = std::find_if(kCursors.begin(), kCursors.end(), [&](const CursorName& c) {
        return trimmed.compare(QStringView(c.name), Qt::CaseInsensitive) == 0;
    });
    if (it == kCursors.end()) return std::nullopt;
    return it->shape;
}

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : QPushButton(parent) {}

void CHandImgSelectButtonUI::SetHandImage(const QString& description) {
    handImage_ = description;
    update();
}

void CHandImgSelectButtonUI::SetCursorName(const QString& name) {
    cursorName_ = name;
    if (const auto shape = CursorShapeOfName(name)) setCursor(*shape);
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    DrawImage(painter, rect(), handImage_, ControlDpi(this));
}

void CHandImgSelectButtonUI::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    SendNotify(this, QStringLiteral("msenter"));
}

void CHandImgSelectButtonUI::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    SendNotify(this, QStringLiteral("msleave"));
}

}  // namespace vandrel::ui
