// The program's own fonts, from its "Font/" folder (beside it in a build tree,
// installed under share/vandrel/), registered for this process only and
// removed again, in reverse order, when the holder goes.
// A missing or unreadable file leaves its slot empty and is not reported.
// Each font is registered by its path, so the font database reads the file
// itself, when a face is needed, instead of holding a copy of it; slots whose
// names lead to one file (links to the same font) share one registration.
#pragma once

#include <array>
#include <string_view>

#include <QString>
#include <QStringList>

namespace vandrel::app {

// In loading order.
inline constexpr std::array<std::string_view, 4> kPrivateFontFiles{
    "Simplified_Chinese.ttf",
    "Halvard-Regular.otf",
    "NotoSansThai-Regular.ttf",
    "NotoSansCJKtc-Regular.otf",
};

class PrivateFonts {
public:
    // Loads every file of the table from `folder` (with or without a trailing '/').
    explicit PrivateFonts(const QString& folder);
    ~PrivateFonts();
    PrivateFonts(const PrivateFonts&) = delete;
    PrivateFonts& operator=(const PrivateFonts&) = delete;

    bool Loaded(std::size_t slot) const { return slot < ids_.size() && ids_[slot] >= 0; }
    // The families the font of a slot registered; empty when it did not load.
    QStringList Families(std::size_t slot) const;

private:
    // The font database's id of each slot; shared slots hold the same id.
    std::array<int, kPrivateFontFiles.size()> ids_{-1, -1, -1, -1};
};

}  // namespace vandrel::app
