// CMsgWnd: the modal message box through which every user-facing error and
// confirmation is shown. Button mode 0 shows "confirm_btn" only, mode 1
// "confirm_btn" and "cancel_btn"; "confirm_btn" closes it with 1, "closebtn"
// and "cancel_btn" with 0.
#pragma once

#include <QString>

#include "app/secondary_window.h"

namespace vandrel::app {

enum class MessageButtons { Ok = 0, OkCancel = 1 };

class CMsgWnd : public SecondaryWindow {
    Q_OBJECT

public:
    explicit CMsgWnd(QWidget* owner);

    void SetTitle(const QString& title);
    // The text, or the language text of that id when isTextId.
    void SetText(const QString& text, bool isTextId);
    // 48, 72, 96, 120, 144, 168 or 192; anything else is 96 with the trace
    // "MSG_WND DPI SET ERROR". Applied to every window of the program.
    void SetDpi(int dpi);
    void SetButtons(MessageButtons mode);

protected:
    void OnNotify(const platform::NotifyEvent& event) override;
};

// Shows a message box owned by owner and returns 1 when "confirm_btn" closed
// it, 0 otherwise. Empty title or text keeps the layout's own.
int ShowMessage(QWidget* owner, const QString& title, const QString& text, int dpi, bool textIsId, MessageButtons mode);

}  // namespace vandrel::app
