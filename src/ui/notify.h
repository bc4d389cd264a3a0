// Notify events of the program's own controls. Qt's widgets report through
// their signals, which the page view turns into notify events; the custom
// controls ("click_select_end", "dbclick", "msenter" ...) send theirs through
// this one hub, and every page view whose layout holds the sender passes the
// event on under the sender's layout name.
#pragma once

#include <cstdint>

#include <QObject>
#include <QString>

class QWidget;

namespace vandrel::ui {

class NotifyHub : public QObject {
    Q_OBJECT

public:
    static NotifyHub& Instance();

signals:
    void Notified(QWidget* sender, const QString& type, qintptr wParam, qintptr lParam);
};

// Sends one notify event of `sender` (UI thread only).
void SendNotify(QWidget* sender, const QString& type, std::intptr_t wParam = 0, std::intptr_t lParam = 0);

}  // namespace vandrel::ui
