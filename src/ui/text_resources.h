// The texts of the chosen language for every window of the process. Controls
// of a layout name their text by id in the dynamic property "textid" (and
// their tooltip in "tooltipid"); ReloadText puts the current language's text
// on every such control of every open window, so switching the language
// changes every open window at once.
#pragma once

#include <QString>

#include "ui/language_texts.h"

class QWidget;

namespace vandrel::ui {

inline constexpr const char* kTextIdProperty = "textid";
inline constexpr const char* kTooltipIdProperty = "tooltipid";
// The item data role under which a combo keeps its items' text ids.
inline constexpr int kItemTextIdRole = 0x0100 + 77;  // Qt::UserRole + 77

class TextResources {
public:
    static TextResources& Instance();

    void SetLanguage(const QString& name) { language_ = name; }
    const QString& Language() const { return language_; }
    // Loads a language file; a missing or malformed file keeps no texts, and
    // every control then shows its layout's own text.
    bool LoadLanguage(const QString& path);

    // The text of an id; the id itself when the language has none.
    QString Text(const QString& id) const;
    bool Has(const QString& id) const;

    // Applies the texts to one control tree, or to every top-level window.
    void ApplyTexts(QWidget* root) const;
    void ReloadText() const;

private:
    QString language_;
    LanguageTexts texts_;
};

// Gives a control a text id and shows its text at once.
void SetTextId(QWidget* control, const QString& id);
void SetTooltipId(QWidget* control, const QString& id);

}  // namespace vandrel::ui
