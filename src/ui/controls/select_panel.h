// CSelectPanelUI ("SelectPanel"): the device picture whose key buttons (its
// direct children, placed freely) are chosen with a rubber band. A left press
// on the enabled panel starts a drag; moving with the button held keeps the
// normalised rectangle from the start to the pointer and shows it; releasing
// after a drag sets every direct child key button's rectangle-selection flag
// to whether its geometry intersects the rectangle, then sends
// "click_select_end". A press and release without a move selects nothing.
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QRubberBand;

namespace vandrel::ui {

class CSelectPanelUI : public QWidget {
    Q_OBJECT

public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);

    bool Dragging() const { return dragging_; }
    // The rectangle of the current or last drag, in panel coordinates.
    QRect SelectionRect() const { return selection_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void MarkKeys();

    QRubberBand* band_ = nullptr;  // owned by the panel
    QPoint start_;
    QRect selection_;
    bool dragging_ = false;
    bool moved_ = false;
};

}  // namespace vandrel::ui
