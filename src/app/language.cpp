#include "app/language.h"

#include <array>

#include <QApplication>
#include <QFont>

#include "app/private_fonts.h"
#include "platform/folders.h"
#include "platform/messages_locale.h"
#include "platform/trace.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {

constexpr int kDefaultFontPixels = 12;

struct FaceRow {
    int languageId;
    std::size_t fontSlot;  // in the private font table
    const char* face;      // the family asked for when that font is missing
};
constexpr std::array<FaceRow, 3> kFaces{{
    {2052, 0, "Noto Sans CJK SC"},  // Simplified Chinese
    {1028, 3, "Noto Sans CJK TC"},  // Traditional Chinese
    {1054, 2, "Noto Sans Thai"},    // Thai
}};
constexpr FaceRow kGeneralFace{0, 1, "Sans Serif"};

QString FaceOf(const FaceRow& row, const PrivateFonts* fonts) {
    if (fonts != nullptr) {
        const QStringList families = fonts->Families(row.fontSlot);
        if (!families.isEmpty()) return families.front();
    }
    return QString::fromLatin1(row.face);
}

}  // namespace

int LanguageIdForLocale(std::string_view locale) {
    return locale == "zh" || locale.starts_with("zh_") ? kSimplifiedChineseId : kEnglishId;
}

QString FaceForLanguage(int languageId, const PrivateFonts* fonts) {
    for (const FaceRow& row : kFaces)
        if (row.languageId == languageId) return FaceOf(row, fonts);
    return FaceOf(kGeneralFace, fonts);
}

LanguageSwitcher::LanguageSwitcher(platform::SettingsIni settings, const PrivateFonts* fonts)
    : settings_(std::move(settings)), fonts_(fonts) {}

void LanguageSwitcher::LoadCatalogue() {
    catalogue_.Load(platform::JoinPath(platform::DefaultDataFolder(), "Language.config"));
}

int LanguageSwitcher::RememberedIndex() {
    settings_.Load();
    const auto value = settings_.Get(kSettingsSection, kLanguageKey);
    if (!value) return catalogue_.IndexOfId(LanguageIdForLocale(platform::MessagesLocale()));
    int id = kNoLanguageId;
    try {
        id = std::stoi(*value);
    } catch (const std::exception&) {
        id = kNoLanguageId;
    }
    return catalogue_.IndexOfId(id);
}

void LanguageSwitcher::Apply(int index, const Changed& changed) {
    auto entry = catalogue_.At(index);
    if (!entry) {
        index = ui::kFallbackLanguageIndex;
        entry = catalogue_.At(index);
    }
    if (index == current_) return;
    current_ = index;

    const int languageId = entry ? entry->id : 0;
    const QString face = FaceForLanguage(languageId, fonts_);
    if (face != face_ && qApp != nullptr) {
        face_ = face;
        QFont font(face);
        font.setPixelSize(kDefaultFontPixels);
        QApplication::setFont(font);
    }

    ui::TextResources& texts = ui::TextResources::Instance();
    // The file name comes from a file: it must name a file inside the skin.
    if (entry && platform::IsPlainFileName(entry->file)) {
        texts.SetLanguage(QString::fromStdString(entry->name));
        texts.LoadLanguage(
            ui::Skin::Instance().FilePath(QStringLiteral("lang/") + QString::fromStdString(entry->file)));
        settings_.Load();
        settings_.Set(kSettingsSection, kLanguageKey, std::to_string(entry->id));
        if (settings_.Save()) platform::Trace("写成功！");
    } else {
        texts.LoadLanguage(QString());
    }
    texts.ReloadText();
    if (changed) changed();
}

}  // namespace vandrel::app
