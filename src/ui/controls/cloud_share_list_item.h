// CCloudShareListItemUI ("CloudShareListItemUI"): a list item with the
// activation, context menu and hover frame of every list item; nothing of the
// program fills it.
#pragma once

#include "ui/controls/list_container_element.h"

namespace vandrel::ui {

class CCloudShareListItemUI : public CListContainerElementUI {
    Q_OBJECT

public:
    explicit CCloudShareListItemUI(QWidget* parent = nullptr) : CListContainerElementUI(parent) {}
};

}  // namespace vandrel::ui
