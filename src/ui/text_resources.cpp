#include "ui/text_resources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>

namespace vandrel::ui {
namespace {

void ApplyText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setPlaceholderText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(text);
    else if (w->isWindow()) w->setWindowTitle(text);
}

void ApplyOne(const TextResources& texts, QWidget* w) {
    const QString textId = w->property(kTextIdProperty).toString();
    if (!textId.isEmpty() && texts.Has(textId)) ApplyText(w, texts.Text(textId));
    const QString tipId = w->property(kTooltipIdProperty).toString();
    if (!tipId.isEmpty()) w->setToolTip(texts.Text(tipId));
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker quiet(combo);
        for (int i = 0; i < combo->count(); ++i) {
            const QString itemId = combo->itemData(i, kItemTextIdRole).toString();
            if (!itemId.isEmpty()) combo->setItemText(i, texts.Text(itemId));
        }
    }
}

}  // namespace

TextResources& TextResources::Instance() {
    static TextResources resources;
    return resources;
}

bool TextResources::LoadLanguage(const QString& path) { return texts_.Load(path.toStdString()); }

QString TextResources::Text(const QString& id) const { return QString::fromStdString(texts_.Text(id.toStdString())); }

bool TextResources::Has(const QString& id) const { return texts_.Text(id.toStdString()) != id.toStdString(); }

void TextResources::ApplyTexts(QWidget* root) const {
    if (root == nullptr) return;
    ApplyOne(*this, root);
    for (QWidget* w : root->findChildren<QWidget*>()) ApplyOne(*this, w);
}

void TextResources::ReloadText() const {
    for (QWidget* window : QApplication::topLevelWidgets()) ApplyTexts(window);
}

void SetTextId(QWidget* control, const QString& id) {
    if (control == nullptr) return;
    control->setProperty(kTextIdProperty, id);
    ApplyOne(TextResources::Instance(), control);
}

void SetTooltipId(QWidget* control, const QString& id) {
    if (control == nullptr) return;
    control->setProperty(kTooltipIdProperty, id);
    ApplyOne(TextResources::Instance(), control);
}

}  // namespace vandrel::ui
