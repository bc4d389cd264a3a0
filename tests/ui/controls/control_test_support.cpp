#include "control_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QtTest>

#include "ui/controls/image_description.h"
#include "ui/controls/register_controls.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"

namespace vandrel::ui::test {

LoadedPage::LoadedPage(const QString& layoutFile) {
    RegisterCustomControls(factory_);
    LayoutLoader loader(factory_);
    root_.reset(loader.Load(DataPath(layoutFile)));
    if (root_ == nullptr) qWarning("%s", qPrintable(loader.LastError()));
    view_ = std::make_unique<WidgetPageView>(root_.get());
    view_->SetNotifySink([this](const platform::NotifyEvent& e) { events_.push_back(e); });
}

LoadedPage::~LoadedPage() {
    view_.reset();
    root_.reset();
}

QWidget* LoadedPage::FindWidget(const QString& name) const { return FindControl(root_.get(), name); }

std::vector<std::string> LoadedPage::EventsOf(const std::string& control) const {
    std::vector<std::string> types;
    for (const platform::NotifyEvent& e : events_)
        if (e.control == control) types.push_back(e.type);
    return types;
}

ScratchSkin::ScratchSkin() : folder_(dir_.path() + QStringLiteral("/")), previous_(SkinFolder()) {
    SetSkinFolder(folder_);
    ClearImageCache();
}

ScratchSkin::~ScratchSkin() {
    SetSkinFolder(previous_);
    ClearImageCache();
}

void ScratchSkin::WritePicture(const QString& relative, int w, int h, const QColor& colour) const {
    WriteSplitPicture(relative, w, h, colour, colour);
}

void ScratchSkin::WriteSplitPicture(const QString& relative, int w, int h, const QColor& left,
                                    const QColor& right) const {
    QImage picture(w, h, QImage::Format_ARGB32);
    picture.fill(left);
    {
        QPainter painter(&picture);
        painter.fillRect(QRect(w / 2, 0, w - w / 2, h), right);
    }
    const QString path = folder_ + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY2(picture.save(path, "PNG"), qPrintable(path));
}

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

}  // namespace vandrel::ui::test
