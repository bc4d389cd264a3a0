#include "ui/dpi.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QApplication>
#include <QLayout>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

#include "platform/trace.h"

namespace vandrel::ui {
namespace {

constexpr std::array kTakenDpis{48, 72, 96, 120, 144, 168, 192};
constexpr int kLargeScreenWidth = 1500;
constexpr int kLargeScreenHeight = 960;
constexpr int kLargeScreenDpi = 144;

// Qt's "no maximum" size must stay what it is.
constexpr int kQWidgetSizeMax = (1 << 24) - 1;

int g_dpi = kBaseDpi;
QString g_baseSheet;

int Scale(int length, int dpi) {
    if (length >= kQWidgetSizeMax || length <= 0) return length;
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(length) * dpi / kBaseDpi)));
}

QSize Scale(QSize size, int dpi) { return {Scale(size.width(), dpi), Scale(size.height(), dpi)}; }

// The value at 96 DPI, remembered the first time the widget is scaled.
template <typename T, typename Read>
T Base(QObject* object, const char* property, Read read) {
    const QVariant kept = object->property(property);
    if (kept.isValid()) return kept.value<T>();
    const T value = read();
    object->setProperty(property, QVariant::fromValue(value));
    return value;
}

void ScaleLayout(QLayout* layout, int dpi) {
    if (layout == nullptr) return;
    const auto m = Base<QMargins>(layout, "dpi_margins", [&] { return layout->contentsMargins(); });
    layout->setContentsMargins(Scale(m.left(), dpi), Scale(m.top(), dpi), Scale(m.right(), dpi),
                               Scale(m.bottom(), dpi));
    const int spacing = Base<int>(layout, "dpi_spacing", [&] { return layout->spacing(); });
    if (spacing > 0) layout->setSpacing(Scale(spacing, dpi));
}

bool PlacedFreely(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (w->isWindow() || parent == nullptr) return false;
    return parent->layout() == nullptr || parent->layout()->indexOf(w) < 0;
}

void ScaleWidget(QWidget* w, int dpi) {
    // Every base is read before anything changes: a new minimum moves the geometry.
    const auto minimum = Base<QSize>(w, "dpi_min", [&] { return w->minimumSize(); });
    const auto maximum = Base<QSize>(w, "dpi_max", [&] { return w->maximumSize(); });
    const bool free = PlacedFreely(w);
    const QRect g = free ? Base<QRect>(w, "dpi_geometry", [&] { return w->geometry(); }) : QRect();
    w->setMinimumSize(Scale(minimum, dpi));
    w->setMaximumSize(Scale(maximum, dpi));
    if (free) w->setGeometry(Scale(g.x(), dpi), Scale(g.y(), dpi), Scale(g.width(), dpi), Scale(g.height(), dpi));
    ScaleLayout(w->layout(), dpi);
}

}  // namespace

int MonitorDpi(int screenWidth, int screenHeight) {
    return screenWidth > kLargeScreenWidth && screenHeight > kLargeScreenHeight ? kLargeScreenDpi : kBaseDpi;
}

int CheckedDpi(int dpi, std::string_view traceText) {
    if (std::ranges::find(kTakenDpis, dpi) != kTakenDpis.end()) return dpi;
    platform::Trace(traceText);
    return kBaseDpi;
}

QString ScaledStyleSheet(const QString& sheet, int dpi) {
    static const QRegularExpression length(QStringLiteral("(\\d+)px"));
    QString scaled;
    qsizetype last = 0;
    for (auto it = length.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        scaled += sheet.mid(last, match.capturedStart() - last);
        scaled += QString::number(Scale(match.captured(1).toInt(), dpi)) + QStringLiteral("px");
        last = match.capturedEnd();
    }
    return scaled + sheet.mid(last);
}

void ApplyDpi(QWidget* window, int dpi) {
    if (window == nullptr) return;
    ScaleWidget(window, dpi);
    for (QWidget* child : window->findChildren<QWidget*>()) ScaleWidget(child, dpi);
    window->setProperty("dpi", dpi);
}

void SetBaseStyleSheet(const QString& sheet) {
    g_baseSheet = sheet;
    if (qApp != nullptr) qApp->setStyleSheet(ScaledStyleSheet(g_baseSheet, g_dpi));
}

void SetAllDpi(int dpi) {
    if (dpi == g_dpi) return;
    g_dpi = dpi;
    if (qApp != nullptr) qApp->setStyleSheet(ScaledStyleSheet(g_baseSheet, g_dpi));
    for (QWidget* window : QApplication::topLevelWidgets()) ApplyDpi(window, dpi);
}

int CurrentDpi() { return g_dpi; }

}  // namespace vandrel::ui
