#include "app/msg_wnd.h"

#include "ui/dpi.h"

namespace vandrel::app {

CMsgWnd::CMsgWnd(QWidget* owner) : SecondaryWindow(owner, QStringLiteral("XML_MSG"), QStringLiteral("MsgWnd")) {
    setWindowTitle(QStringLiteral("msgwnd"));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void CMsgWnd::SetTitle(const QString& title) {
    if (!title.isEmpty()) Page().SetText("MessageTitle", title.toStdString());
}

void CMsgWnd::SetText(const QString& text, bool isTextId) {
    if (text.isEmpty()) return;
    if (isTextId) Page().SetTextId("MessageText", text.toStdString());
    else Page().SetText("MessageText", text.toStdString());
}

void CMsgWnd::SetDpi(int dpi) {
    const int checked = ui::CheckedDpi(dpi, "MSG_WND DPI SET ERROR");
    ui::SetAllDpi(checked);
    if (checked != WindowDpi()) SetWindowDpi(checked);
}

void CMsgWnd::SetButtons(MessageButtons mode) {
    Page().SetVisible("confirm_btn", true);
    Page().SetVisible("cancel_btn", mode == MessageButtons::OkCancel);
}

void CMsgWnd::OnNotify(const platform::NotifyEvent& event) {
    if (event.type != "click") return;
    if (SameName(event.control, "confirm_btn")) done(1);
    else if (SameName(event.control, "closebtn") || SameName(event.control, "cancel_btn")) done(0);
}

int ShowMessage(QWidget* owner, const QString& title, const QString& text, int dpi, bool textIsId,
                MessageButtons mode) {
    CMsgWnd box(owner);
    box.SetTitle(title);
    box.SetText(text, textIsId);
    box.SetDpi(dpi);
    box.SetButtons(mode);
    box.adjustSize();
    if (owner != nullptr) box.move(owner->frameGeometry().center() - box.rect().center());
    return box.exec() == 1 ? 1 : 0;
}

}  // namespace vandrel::app
