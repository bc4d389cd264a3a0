// CComboEditContainerElementUI ("ComboEditContainerElement"): a list item
// built from "XML/CustomControlXML/ComboEditElementItem.xml" (below the skin
// folder) with the controls "text1", "text2" and "delay_edit". The Enter key
// takes the focus to it and sends "return". A missing layout leaves it empty.
#pragma once

#include <QPointer>

#include "ui/controls/list_container_element.h"

namespace vandrel::ui {

class CComboEditContainerElementUI : public CListContainerElementUI {
    Q_OBJECT

public:
    explicit CComboEditContainerElementUI(QWidget* parent = nullptr, const ControlFactory* factory = nullptr);

    QWidget* Content() const { return content_.data(); }
    QWidget* Text1() const { return text1_.data(); }
    QWidget* Text2() const { return text2_.data(); }
    QWidget* DelayEdit() const { return delayEdit_.data(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> content_;
    QPointer<QWidget> text1_;
    QPointer<QWidget> text2_;
    QPointer<QWidget> delayEdit_;
};

}  // namespace vandrel::ui
