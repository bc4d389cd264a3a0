// CListContainerElementUI: the list item that holds other controls, the base
// of the program's list items. A double click or the Enter key activates an
// enabled item, which sends "itemactivate"; a context-menu request sends
// "menu" with the pointer's screen position (wParam x, lParam y) when the
// item's "menu" attribute is on. While the pointer is over an item that wants
// it, the item draws a one-pixel frame round itself in the list's
// "itemlinecolor" (0xAARRGGBB, looked up on the item and then its ancestors).
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

namespace vandrel::ui {

class ControlFactory;

class CListContainerElementUI : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool menu READ ContextMenuUsed WRITE SetContextMenuUsed)

public:
    explicit CListContainerElementUI(QWidget* parent = nullptr);

    // Sends "itemactivate" when the item is enabled.
    void Activate();

    bool ContextMenuUsed() const { return menuUsed_; }
    void SetContextMenuUsed(bool used) { menuUsed_ = used; }

    bool Hot() const { return hot_; }
    bool HoverFrameShown() const { return hot_ && WantsHoverFrame(); }
    QColor HoverFrameColour() const;

protected:
    // Builds the item's content from a layout file below the skin folder
    // ("XML/CustomControlXML/..."): the layout's root fills the item. A
    // missing layout leaves the item empty and returns nullptr.
    QWidget* LoadContent(const QString& skinRelativePath, const ControlFactory* factory);

    virtual bool WantsHoverFrame() const { return isEnabled(); }

    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool menuUsed_ = false;
    bool hot_ = false;
};

}  // namespace vandrel::ui
