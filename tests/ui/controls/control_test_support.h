// Shared pieces of the control tests: a layout loaded through the factory with
// the custom controls, its notify events as a page view reports them, and
// pictures written into a scratch skin folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/page_view.h"
#include "ui/control_factory.h"
#include "ui/widget_page_view.h"

namespace vandrel::ui::test {

inline QString DataPath(const QString& name) { return QStringLiteral(UI_CONTROLS_TEST_DATA_DIR "/") + name; }

// A loaded layout with its page view; every notify event lands in Events().
class LoadedPage {
public:
    explicit LoadedPage(const QString& layoutFile);
    ~LoadedPage();

    QWidget* Root() const { return root_.get(); }
    template <typename T>
    T* Find(const QString& name) const {
        return dynamic_cast<T*>(FindWidget(name));
    }
    QWidget* FindWidget(const QString& name) const;

    const std::vector<platform::NotifyEvent>& Events() const { return events_; }
    // The types of the events one control sent, in order.
    std::vector<std::string> EventsOf(const std::string& control) const;
    void ClearEvents() { events_.clear(); }
    WidgetPageView& View() { return *view_; }

private:
    ControlFactory factory_;
    std::unique_ptr<QWidget> root_;
    std::unique_ptr<WidgetPageView> view_;
    std::vector<platform::NotifyEvent> events_;
};

// A scratch skin folder, made the image folder while it lives.
class ScratchSkin {
public:
    ScratchSkin();
    ~ScratchSkin();

    const QString& Folder() const { return folder_; }
    // Writes a picture of one colour, size w x h, at a path below the folder.
    void WritePicture(const QString& relative, int w, int h, const QColor& colour) const;
    // A picture whose left half is one colour and right half another.
    void WriteSplitPicture(const QString& relative, int w, int h, const QColor& left, const QColor& right) const;

private:
    QTemporaryDir dir_;
    QString folder_;
    QString previous_;
};

// The widget drawn into an image of its size.
QImage Render(QWidget& widget);

}  // namespace vandrel::ui::test
