#include "app/secondary_window.h"

#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "ui/control_factory.h"
#include "ui/dpi.h"
#include "ui/layout_loader.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

namespace vandrel::app {

bool SameName(const std::string& name, const char* expected) {
    return QString::fromStdString(name).compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

SecondaryWindow::SecondaryWindow(QWidget* owner, const QString& layout, const QString& className)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), className_(className) {
    setObjectName(className);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    const QString path = ui::Skin::Instance().LayoutPath(layout);
    if (!path.isEmpty()) {
        ui::LayoutLoader loader(ui::GlobalControlFactory());
        root_ = loader.Load(path, this);
    }
    if (root_ != nullptr) {
        box->addWidget(root_);
        ui::TextResources::Instance().ApplyTexts(root_);
    }
    view_ = std::make_unique<ui::WidgetPageView>(root_);
    view_->SetNotifySink([this](const platform::NotifyEvent& event) { OnNotify(event); });
    SetWindowDpi(ui::CurrentDpi());
}

SecondaryWindow::~SecondaryWindow() = default;

void SecondaryWindow::OnNotify(const platform::NotifyEvent& /*event*/) {}

void SecondaryWindow::SetWindowDpi(int dpi) {
    dpi_ = dpi;
    ui::ApplyDpi(this, dpi);
    if (layout() != nullptr) layout()->activate();
    adjustSize();
}

void SecondaryWindow::OnLanguageChanged() {
    ui::TextResources::Instance().ApplyTexts(this);
    if (layout() != nullptr) layout()->activate();
    update();
}

void SecondaryWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    WatchScreen();
}

// The DPI-changed path: on another screen the window lays itself out again
// and stays centred where it was.
void SecondaryWindow::WatchScreen() {
    if (watchingScreen_ || windowHandle() == nullptr) return;
    watchingScreen_ = true;
    connect(windowHandle(), &QWindow::screenChanged, this, [this](QScreen*) {
        const QPoint centre = geometry().center();
        SetWindowDpi(dpi_);
        move(centre - rect().center());
    });
}

// The window has no system frame: it is moved by dragging its background.
void SecondaryWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void SecondaryWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - dragOffset_);
    else dragging_ = false;
    QDialog::mouseMoveEvent(event);
}

}  // namespace vandrel::app
