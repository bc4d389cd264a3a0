// Pixel density. Layouts are drawn for 96 DPI; a window set to another DPI is
// scaled by dpi / 96: fixed and minimum/maximum sizes, the geometry of
// freely placed controls, layout margins and spacing, and every "px" length
// of the application style sheet. The 96-DPI values are kept on each widget,
// so a window can be set again to any DPI without drift.
#pragma once

#include <string_view>

#include <QString>

class QWidget;

namespace vandrel::ui {

inline constexpr int kBaseDpi = 96;

// The density the main window takes on a monitor of this full size.
int MonitorDpi(int screenWidth, int screenHeight);

// 48, 72, 96, 120, 144, 168 and 192 are taken; anything else gives 96 and
// writes traceText to the trace.
int CheckedDpi(int dpi, std::string_view traceText);

// The style sheet with every "<n>px" multiplied by dpi / 96 (rounded, at least
// 1 for a non-zero length).
QString ScaledStyleSheet(const QString& sheet, int dpi);

// Scales one window's widgets to dpi.
void ApplyDpi(QWidget* window, int dpi);

// The DPI of every toolkit window: sets all open top-level windows and the
// application style sheet (from baseSheet) to dpi. Setting the current value
// again does nothing.
void SetAllDpi(int dpi);
int CurrentDpi();
void SetBaseStyleSheet(const QString& sheet);

}  // namespace vandrel::ui
