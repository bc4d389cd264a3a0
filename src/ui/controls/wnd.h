// CWndUI ("Wnd"): a place in a layout for a window the program did not build
// from a layout (a native window, or a widget made elsewhere). Whenever the
// control moves, changes size, is shown or hidden, the hosted window is put
// on the control's rectangle, in the coordinates of the hosted window's own
// parent (screen coordinates for a top-level window), and shown or hidden
// with the control. Moves of the control's ancestors are followed too.
#pragma once

#include <QPointer>
#include <QWidget>

class QWindow;

namespace vandrel::ui {

class CWndUI : public QWidget {
    Q_OBJECT

public:
    explicit CWndUI(QWidget* parent = nullptr);

    // The hosted widget stays owned by whoever made it; nullptr hosts nothing.
    void SetHostedWindow(QWidget* window);
    // Hosts a native window in a container that the control owns.
    QWidget* HostNativeWindow(QWindow* window);
    QWidget* HostedWindow() const { return hosted_.data(); }

    // Places and shows or hides the hosted window now.
    void PlaceHostedWindow();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchAncestors();

    QPointer<QWidget> hosted_;
};

}  // namespace vandrel::ui
