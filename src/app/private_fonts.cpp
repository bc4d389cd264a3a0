#include "app/private_fonts.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>

namespace vandrel::app {

namespace {
constexpr qint64 kMaxFontBytes = 64 * 1024 * 1024;
}

PrivateFonts::PrivateFonts(const QString& folder) {
    for (std::size_t i = 0; i < kPrivateFontFiles.size(); ++i) {
        const std::string_view name = kPrivateFontFiles[i];
        QFile file(QDir(folder).filePath(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFontBytes) continue;
        // The whole file goes to the font database, which keeps its own copy.
        ids_[i] = QFontDatabase::addApplicationFontFromData(file.readAll());
    }
}

PrivateFonts::~PrivateFonts() {
    for (auto id = ids_.rbegin(); id != ids_.rend(); ++id)
        if (*id >= 0) QFontDatabase::removeApplicationFont(*id);
}

QStringList PrivateFonts::Families(std::size_t slot) const {
    return Loaded(slot) ? QFontDatabase::applicationFontFamilies(ids_[slot]) : QStringList{};
}

}  // namespace vandrel::app
