// KeyCaptureFilter: while a capture edit has the keyboard focus, every key
// press the program receives is taken for key capture instead of reaching
// the edit, focus navigation or a shortcut: Tab, Esc and Enter included.
// Each press is turned into the record of a Windows-style hook through the
// key table (platform::KeyCapture); keys the table cannot capture are
// swallowed without a record, so the edit never takes typed text.
//
// Nothing system-wide: only the events Qt delivers to this program.
#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/key_capture.h"

namespace vandrel::ui {

class KeyCaptureFilter : public QObject {
    Q_OBJECT

public:
    using Sink = std::function<void(const platform::KeyRecord&)>;

    explicit KeyCaptureFilter(Sink sink, QObject* parent = nullptr);

    // Key presses are captured while `edit` has the focus, until Disarm.
    void Arm(QWidget* edit);
    void Disarm();
    bool Armed() const { return !edit_.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Capturing() const;

    Sink sink_;
    platform::KeyCapture capture_;
    QPointer<QWidget> edit_;
};

}  // namespace vandrel::ui
