#include "ui/controls/update_info_list_item.h"

#include <algorithm>
#include <array>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include "ui/find_control.h"
#include "ui/text_resources.h"

namespace vandrel::ui {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kGrey = 0xFF666666;
constexpr std::uint32_t kBlue = 0xFF0099FF;
constexpr std::uint32_t kDarkBlue = 0xFF0078C8;

constexpr std::array<UpdateStateLook, 9> kStateLooks{{
    {0, "LessUpdateText", false, false, false, kWhite, kGrey},
    {1, "NeedUpdateText", false, false, true, kBlue, kDarkBlue},
    {2, "NeedUpdateText", false, false, true, kBlue, kDarkBlue},
    {3, "DownloadWaitText", false, false, false, kBlue, kDarkBlue},
    {4, "DownloadIngText", true, false, false, kBlue, kDarkBlue},
    {5, "DownloadOkText", false, true, false, kBlue, kDarkBlue},
    {6, "UpdateIngText", true, false, false, kBlue, kDarkBlue},
    {7, "UpdateOkText", false, false, false, kWhite, kGrey},
    {8, "UpdateFailText", false, false, true, kBlue, kDarkBlue},
}};

constexpr const char* kItemLayout = "XML/CustomControlXML/device_Update_list_item.xml";

QString Rgba(std::uint32_t argb) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg((argb >> 24) & 0xFF);
}

void SetTextOf(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(text);
}

// The check's text colours, kept also as its "textcolor", "selectedtextcolor"
// and "disabledtextcolor" properties.
void SetCheckColours(QAbstractButton* check, std::uint32_t text, std::uint32_t disabled) {
    check->setProperty("textcolor", static_cast<uint>(text));
    check->setProperty("selectedtextcolor", static_cast<uint>(text));
    check->setProperty("disabledtextcolor", static_cast<uint>(disabled));
    const QString self = QStringLiteral("#") + check->objectName();
    check->setStyleSheet(QStringLiteral("%1 { color: %2; } %1:checked { color: %2; } %1:disabled { color: %3; }")
                             .arg(self, Rgba(text), Rgba(disabled)));
}

}  // namespace

const UpdateStateLook* UpdateStateLookOf(int state) {
    const auto it = std::find_if(kStateLooks.begin(), kStateLooks.end(),
                                 [state](const UpdateStateLook& look) { return look.state == state; });
    return it == kStateLooks.end() ? nullptr : &*it;
}

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent, const ControlFactory* factory)
    : CListContainerElementUI(parent) {
    setFixedHeight(kUpdateItemHeight);
    content_ = LoadContent(QString::fromLatin1(kItemLayout), factory);
}

QWidget* CUpdateInfoListItemUI::SubControl(const char* name, QPointer<QWidget>& kept) const {
    if (kept.isNull() && content_ != nullptr) kept = FindControl(content_, QString::fromLatin1(name));
    return kept.data();
}

QAbstractButton* CUpdateInfoListItemUI::Check() const {
    if (check_.isNull() && content_ != nullptr)
        check_ = qobject_cast<QAbstractButton*>(FindControl(content_, QStringLiteral("check_name_select")));
    return check_.data();
}

void CUpdateInfoListItemUI::SetState(int state) {
    if (state == state_) return;
    state_ = state;
    const UpdateStateLook* look = UpdateStateLookOf(state);
    if (look == nullptr) return;
    if (QWidget* text = SubControl("update_status_text", statusText_))
        SetTextId(text, QString::fromLatin1(look->textId));
    if (QWidget* progress = SubControl("update_status_ing", statusIng_)) progress->setVisible(look->progressShown);
    if (QWidget* done = SubControl("update_status_ok", statusOk_)) done->setVisible(look->doneShown);
    if (QAbstractButton* check = Check()) {
        check->setEnabled(look->checkEnabled);
        SetCheckColours(check, look->textColour, look->disabledTextColour);
    }
    update();
}

void CUpdateInfoListItemUI::SetInstalledText(const QString& text) { SetTextOf(SubControl("OldRev", oldRev_), text); }

void CUpdateInfoListItemUI::SetOfferedText(const QString& text) {
    QWidget* offered = SubControl("updateRev", updateRev_);
    if (offered == nullptr) return;
    SetTextOf(offered, text);
    offered->setVisible(!text.isEmpty());
}

void CUpdateInfoListItemUI::SetName(const QString& text) { SetTextOf(Check(), text); }

void CUpdateInfoListItemUI::SetProgress(int percent) {
    SetTextOf(SubControl("update_progress_value", progressValue_), QStringLiteral("%1%").arg(percent));
}

void CUpdateInfoListItemUI::EnableCheck(bool on) {
    if (QAbstractButton* check = Check()) check->setEnabled(on);
}

void CUpdateInfoListItemUI::SelectCheck(bool on) {
    QAbstractButton* check = Check();
    if (check == nullptr) return;
    if (on && !check->isCheckable()) check->setCheckable(true);
    check->setChecked(on);
    update();
}

bool CUpdateInfoListItemUI::IsCheckSelected() const {
    const QAbstractButton* check = Check();
    return check != nullptr && check->isChecked();
}

bool CUpdateInfoListItemUI::WantsHoverFrame() const {
    return CListContainerElementUI::WantsHoverFrame() && !IsCheckSelected();
}

}  // namespace vandrel::ui
