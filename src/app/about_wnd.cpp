#include "app/about_wnd.h"

#include "platform/build_info.h"
#include "ui/find_control.h"
#include "ui/text_format.h"
#include "ui/text_resources.h"

namespace vandrel::app {

CAboutWnd::CAboutWnd(QWidget* owner)
    : SecondaryWindow(owner, QStringLiteral("AboutWnd.xml"), QStringLiteral("AboutWnd")) {
    setWindowTitle(QStringLiteral("  "));
    resize(800, 572);
    ShowLicence();
}

// The program's own version and its licence, under the catalogue's version.
void CAboutWnd::ShowLicence() {
    const std::string text =
        ui::FormatText(ui::TextResources::Instance().Text(QStringLiteral("about_licence_text")).toStdString(),
                       {std::string(platform::build::kProgramVersion), std::string(platform::build::kLicence)});
    Page().SetText("about_licence", text);
}

void CAboutWnd::SetVersion(const QString& version) {
    version_ = version;
    // The prefix is the language text, read back through the hidden label so
    // that it is the text the layout would show.
    ui::SetTextId(ui::FindControl(Root(), QStringLiteral("text_test")), QStringLiteral("software_rev_text"));
    const std::string prefix =
        Page().HasControl("text_test")
            ? Page().Text("text_test")
            : ui::TextResources::Instance().Text(QStringLiteral("software_rev_text")).toStdString();
    Page().SetText("software_ver_label", prefix + version.toStdString());
}

void CAboutWnd::OnLanguageChanged() {
    SecondaryWindow::OnLanguageChanged();
    SetVersion(version_);
    ShowLicence();
}

void CAboutWnd::OnNotify(const platform::NotifyEvent& event) {
    if (event.type != "click") return;
    if (SameName(event.control, "closebtn")) done(0);
    else if (SameName(event.control, "minbtn")) showMinimized();
    else if (SameName(event.control, "maxbtn")) showMaximized();
    else if (SameName(event.control, "restorebtn")) showNormal();
}

}  // namespace vandrel::app
