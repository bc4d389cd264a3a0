// What the program's small windows share (message box, about window, and
// later the settings and palette windows): a frameless dialog built from a
// skin layout, its controls read and written through a page view, notify
// events from its controls, caption buttons, moving by the caption area, and
// re-laying itself out when its pixel density changes.
#pragma once

#include <memory>

#include <QDialog>
#include <QPoint>
#include <QString>

#include "platform/page_view.h"
#include "ui/widget_page_view.h"

namespace vandrel::app {

// A message to a secondary window that the language changed: it reloads its texts.
inline constexpr int kLanguageChangedMessage = 0x0C11;

class SecondaryWindow : public QDialog {
    Q_OBJECT

public:
    // owner may be nullptr. The layout comes from the skin (a key of the
    // resource index or a file name below "XML/"); a missing layout leaves
    // the window empty.
    SecondaryWindow(QWidget* owner, const QString& layout, const QString& className);
    ~SecondaryWindow() override;

    bool Loaded() const { return root_ != nullptr; }
    QWidget* Root() const { return root_; }
    platform::IPageView& Page() { return *view_; }
    const QString& ClassName() const { return className_; }

    // The window's DPI; re-lays the window out at it.
    void SetWindowDpi(int dpi);
    int WindowDpi() const { return dpi_; }

    // Reloads the texts of the window's controls and redraws.
    virtual void OnLanguageChanged();

protected:
    // A notify event of one of the window's controls.
    virtual void OnNotify(const platform::NotifyEvent& event);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void WatchScreen();

    QString className_;
    QWidget* root_ = nullptr;  // owned by the dialog
    std::unique_ptr<ui::WidgetPageView> view_;
    int dpi_ = 96;
    QPoint dragOffset_;
    bool dragging_ = false;
    bool watchingScreen_ = false;
};

// True when name equals expected, ignoring case (clicks are matched that way).
bool SameName(const std::string& name, const char* expected);

}  // namespace vandrel::app
