#include "ui/controls/combo_edit_container_element.h"

#include <QKeyEvent>

#include "ui/find_control.h"
#include "ui/notify.h"

namespace vandrel::ui {

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent, const ControlFactory* factory)
    : CListContainerElementUI(parent) {
    content_ = LoadContent(QStringLiteral("XML/CustomControlXML/ComboEditElementItem.xml"), factory);
    if (content_.isNull()) return;
    text1_ = FindControl(content_, QStringLiteral("text1"));
    text2_ = FindControl(content_, QStringLiteral("text2"));
    delayEdit_ = FindControl(content_, QStringLiteral("delay_edit"));
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        CListContainerElementUI::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!isEnabled()) return;
    setFocus(Qt::OtherFocusReason);
    SendNotify(this, QStringLiteral("return"));
}

}  // namespace vandrel::ui
