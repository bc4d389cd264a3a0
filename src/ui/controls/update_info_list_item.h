// CUpdateInfoListItemUI ("UpdateInfoListItemUI"): one entry of the update
// list, built from "XML/CustomControlXML/device_Update_list_item.xml", 50
// pixels high. Its sub-controls are found by name on first use and kept:
//   "check_name_select" the entry's check (its text is the entry name),
//   "OldRev" installed version, "updateRev" offered version (hidden while
//   empty), "update_status_text" state text, "update_status_ing" progress
//   area, "update_progress_value" percentage, "update_status_ok" done mark.
// The hover frame shows only while the check is not selected.
#pragma once

#include <cstdint>

#include <QPointer>
#include <QString>

#include "ui/controls/list_container_element.h"

class QAbstractButton;

namespace vandrel::ui {

inline constexpr int kUpdateItemHeight = 50;

// What an update state shows. Colours are 0xAARRGGBB.
struct UpdateStateLook {
    int state = 0;
    const char* textId = "";
    bool progressShown = false;
    bool doneShown = false;
    bool checkEnabled = false;
    std::uint32_t textColour = 0;  // normal and selected text of the check
    std::uint32_t disabledTextColour = 0;
};

// The look of a state 0..8; nothing for any other.
const UpdateStateLook* UpdateStateLookOf(int state);

class CUpdateInfoListItemUI : public CListContainerElementUI {
    Q_OBJECT

public:
    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr, const ControlFactory* factory = nullptr);

    // Applies the state's look; the state the item already has, or an
    // unknown one, changes nothing on screen.
    void SetState(int state);
    int State() const { return state_; }

    void SetInstalledText(const QString& text);
    void SetOfferedText(const QString& text);
    void SetName(const QString& text);
    void SetProgress(int percent);
    void EnableCheck(bool on);
    void SelectCheck(bool on);
    bool IsCheckSelected() const;

protected:
    bool WantsHoverFrame() const override;

private:
    QAbstractButton* Check() const;
    QWidget* SubControl(const char* name, QPointer<QWidget>& kept) const;

    QWidget* content_ = nullptr;  // owned through Qt's parent
    int state_ = -1;
    mutable QPointer<QAbstractButton> check_;
    mutable QPointer<QWidget> oldRev_;
    mutable QPointer<QWidget> updateRev_;
    mutable QPointer<QWidget> statusText_;
    mutable QPointer<QWidget> statusIng_;
    mutable QPointer<QWidget> progressValue_;
    mutable QPointer<QWidget> statusOk_;
};

}  // namespace vandrel::ui
