#include "ui/key_capture_filter.h"

#include <QApplication>
#include <QKeyEvent>

namespace vandrel::ui {

KeyCaptureFilter::KeyCaptureFilter(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {}

void KeyCaptureFilter::Arm(QWidget* edit) { edit_ = edit; }

void KeyCaptureFilter::Disarm() { edit_.clear(); }

bool KeyCaptureFilter::Capturing() const { return !edit_.isNull() && QApplication::focusWidget() == edit_; }

bool KeyCaptureFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    if (!Capturing()) return QObject::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        // Accepted, the key is not a shortcut: it arrives as a key press.
        event->accept();
        return true;
    }
    // Taken where it is first seen (the window, or the edit for an event
    // sent to it directly) and not passed on, so it is seen once.
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (type == QEvent::KeyPress && !key->isAutoRepeat())
        if (const auto record = capture_.Press(key->nativeScanCode()); record && sink_) sink_(*record);
    return true;
}

}  // namespace vandrel::ui
