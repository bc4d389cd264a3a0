// Text across the Qt boundary: the logic keeps UTF-8, Qt keeps UTF-16.
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace vandrel::ui {

inline QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace vandrel::ui
