// CAboutWnd: the about window, with the version of the device catalogue,
// the program's own version and its licence.
#pragma once

#include <QString>

#include "app/secondary_window.h"

namespace vandrel::app {

class CAboutWnd : public SecondaryWindow {
    Q_OBJECT

public:
    explicit CAboutWnd(QWidget* owner);

    // "software_ver_label" shows the language text "software_rev_text"
    // followed by the version.
    void SetVersion(const QString& version);
    void OnLanguageChanged() override;

protected:
    void OnNotify(const platform::NotifyEvent& event) override;

private:
    void ShowLicence();

    QString version_;
};

}  // namespace vandrel::app
