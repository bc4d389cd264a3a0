#include "ui/skin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "platform/folders.h"

namespace vandrel::ui {

Skin& Skin::Instance() {
    static Skin skin;
    return skin;
}

// Beside the program in a build tree; under share/vandrel/ once installed.
QString DefaultSkinFolder() { return QString::fromStdString(platform::ProgramDataFolder("skin")); }

void Skin::SetFolder(const QString& folder) {
    folder_ = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    index_.clear();
    QFile file(folder_ + QStringLiteral("res.xml"));
    if (!file.open(QIODevice::ReadOnly)) return;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("layout")) continue;
        const QString key = xml.attributes().value(QLatin1String("key")).toString();
        const QString path = xml.attributes().value(QLatin1String("file")).toString();
        // The index names files inside the skin only.
        if (!key.isEmpty() && !path.isEmpty() && !path.contains(QLatin1String("..")) && !QDir::isAbsolutePath(path))
            index_[key] = path;
    }
}

QString Skin::FilePath(const QString& relative) const {
    QString path = relative;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folder_ + path;
}

QString Skin::LayoutPath(const QString& keyOrFile) const {
    if (const auto it = index_.find(keyOrFile); it != index_.end()) return FilePath(it->second);
    for (const QString& candidate : {FilePath(QStringLiteral("XML/") + keyOrFile), FilePath(keyOrFile)})
        if (QFileInfo(candidate).isFile()) return candidate;
    return {};
}

QString Skin::StyleSheet() const {
    QFile file(folder_ + QStringLiteral("style.qss"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // Pictures in the sheet are named "$SKIN/power/power.png".
    return QString::fromUtf8(file.readAll()).replace(QStringLiteral("$SKIN/"), folder_);
}

}  // namespace vandrel::ui
