// Images in the toolkit's image description syntax, as layouts and controls
// name them:
//   file='power/powered.png' dest='0,0,20,20' source='0,0,40,40'
//   corner='4,4,4,4' mask='#FFFF00FF' fade='200' hole='false'
//   xtiled='false' ytiled='false' hsl='false'
// or just a file name. Rectangles are "left,top,right,bottom"; files are
// relative to the skin folder. Also the toolkit's colour attribute syntax.
#pragma once

#include <cstdint>
#include <optional>

#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringView>

class QPainter;
class QPixmap;
class QWidget;

namespace vandrel::ui {

struct ImageDescription {
    QString file;
    std::optional<QRect> dest;          // relative to the control; the whole control when absent
    std::optional<QRect> source;        // part of the picture; all of it when absent
    QMargins corner;                    // nine-patch margins in picture pixels
    std::optional<std::uint32_t> mask;  // 0xAARRGGBB drawn transparent (alpha ignored)
    int fade = 255;                     // opacity 0..255
    bool hole = false;                  // with corners: leave the middle out
    bool xtiled = false;
    bool ytiled = false;
    bool hsl = false;  // accepted; pictures are drawn as they are

    bool Empty() const { return file.isEmpty(); }
    bool operator==(const ImageDescription&) const = default;
};

// Unknown attributes are skipped; malformed values keep their defaults.
ImageDescription ParseImageDescription(QStringView text);

// A colour attribute: hexadecimal 0xAARRGGBB with an optional '#' (or "0x").
// Six digits leave the alpha at 0, as the toolkit reads them.
std::optional<std::uint32_t> ParseColourAttribute(QStringView text);

// The folder image files are relative to (ends in '/'): the program's skin
// folder (Skin), "skin/" beside the program until one is set.
void SetSkinFolder(const QString& folder);
QString SkinFolder();

// The picture of an image file (relative to the skin folder, or absolute),
// cached by path; a null pixmap when the file is missing or unreadable.
QPixmap SkinPixmap(const QString& file);
void ClearImageCache();

// The DPI a control is drawn at: its window's "dpi" property, 96 without one.
int ControlDpi(const QWidget* control);

// Draws the image into the control's rectangle `control` (dest is relative to
// its top-left corner, scaled by dpi / 96), clipped to that rectangle. A
// missing file draws nothing.
void DrawImage(QPainter& painter, const QRect& control, const ImageDescription& image, int dpi = 96);
void DrawImage(QPainter& painter, const QRect& control, const QString& description, int dpi = 96);

}  // namespace vandrel::ui
