#include "app/private_fonts.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFontDatabase>

namespace vandrel::app {

namespace {

constexpr qint64 kMaxFontBytes = 64 * 1024 * 1024;

// Which file a name leads to, after links.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Only a regular file of a sane size is handed to the font database (a named
// pipe in a font's place must not block the start); nothing otherwise.
std::optional<FileIdentity> UsableFontFile(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return std::nullopt;
    if (!S_ISREG(status.st_mode) || status.st_size > kMaxFontBytes) return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

}  // namespace

PrivateFonts::PrivateFonts(const QString& folder) {
    std::array<std::optional<FileIdentity>, kPrivateFontFiles.size()> files;
    for (std::size_t i = 0; i < kPrivateFontFiles.size(); ++i) {
        const std::string_view name = kPrivateFontFiles[i];
        const QString path =
            QDir(folder).filePath(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        files[i] = UsableFontFile(path);
        if (!files[i]) continue;
        const auto same = std::find(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(i), files[i]);
        const auto earlier = static_cast<std::size_t>(same - files.begin());
        ids_[i] = earlier < i ? ids_[earlier] : QFontDatabase::addApplicationFont(path);
    }
}

PrivateFonts::~PrivateFonts() {
    for (auto id = ids_.rbegin(); id != ids_.rend(); ++id) {
        // A shared registration goes with the first slot that holds it.
        const bool sharedWithEarlier = std::find(std::next(id), ids_.rend(), *id) != ids_.rend();
        if (*id >= 0 && !sharedWithEarlier) QFontDatabase::removeApplicationFont(*id);
    }
}

QStringList PrivateFonts::Families(std::size_t slot) const {
    return Loaded(slot) ? QFontDatabase::applicationFontFamilies(ids_[slot]) : QStringList{};
}

}  // namespace vandrel::app
