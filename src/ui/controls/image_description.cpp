#include "ui/controls/image_description.h"

#include <algorithm>
#include <array>
#include <optional>

#include <QBitmap>
#include <QColor>
#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "ui/skin.h"

namespace vandrel::ui {
namespace {

struct Attribute {
    QStringView name;
    QStringView value;
};

// Reads one name='value' pair from the front of text, consuming it.
std::optional<Attribute> NextAttribute(QStringView& text) {
    text = text.trimmed();
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0) return std::nullopt;
    const QStringView name = text.left(equals).trimmed();
    QStringView rest = text.mid(equals + 1).trimmed();
    if (rest.isEmpty()) return std::nullopt;
    const QChar quote = rest.front();
    QStringView value;
    if (quote == u'\'' || quote == u'"') {
        const qsizetype close = rest.indexOf(quote, 1);
        if (close < 0) return std::nullopt;
        value = rest.mid(1, close - 1);
        rest = rest.mid(close + 1);
    } else {
        // An unquoted value runs to the next blank.
        qsizetype end = 0;
        while (end < rest.size() && !rest[end].isSpace()) ++end;
        value = rest.left(end);
        rest = rest.mid(end);
    }
    text = rest;
    return Attribute{name, value};
}

// "left,top,right,bottom"
std::optional<std::array<int, 4>> ParseFour(QStringView text) {
    const auto parts = text.split(u',');
    if (parts.size() != 4) return std::nullopt;
    std::array<int, 4> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        bool ok = false;
        v[i] = parts[static_cast<qsizetype>(i)].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return v;
}

std::optional<QRect> ParseRect(QStringView text) {
    const auto v = ParseFour(text);
    if (!v) return std::nullopt;
    return QRect((*v)[0], (*v)[1], (*v)[2] - (*v)[0], (*v)[3] - (*v)[1]);
}

bool ParseBool(QStringView text) { return text.trimmed().compare(u"true", Qt::CaseInsensitive) == 0; }

using Setter = void (*)(ImageDescription&, QStringView);

struct AttributeRule {
    const char16_t* name;
    Setter set;
};

const std::array<AttributeRule, 11> kAttributes{{
    {u"file", [](ImageDescription& d, QStringView v) { d.file = v.trimmed().toString(); }},
    // A resource name: this layer has no resource packs, so it is a file too.
    {u"res",
     [](ImageDescription& d, QStringView v) {
         if (d.file.isEmpty()) d.file = v.trimmed().toString();
     }},
    {u"dest", [](ImageDescription& d, QStringView v) { d.dest = ParseRect(v); }},
    {u"source", [](ImageDescription& d, QStringView v) { d.source = ParseRect(v); }},
    {u"corner",
     [](ImageDescription& d, QStringView v) {
         if (const auto m = ParseFour(v)) d.corner = QMargins((*m)[0], (*m)[1], (*m)[2], (*m)[3]);
     }},
    {u"mask", [](ImageDescription& d, QStringView v) { d.mask = ParseColourAttribute(v); }},
    {u"fade",
     [](ImageDescription& d, QStringView v) {
         bool ok = false;
         const int fade = v.trimmed().toInt(&ok);
         if (ok) d.fade = std::clamp(fade, 0, 255);
     }},
    {u"hole", [](ImageDescription& d, QStringView v) { d.hole = ParseBool(v); }},
    {u"xtiled", [](ImageDescription& d, QStringView v) { d.xtiled = ParseBool(v); }},
    {u"ytiled", [](ImageDescription& d, QStringView v) { d.ytiled = ParseBool(v); }},
    {u"hsl", [](ImageDescription& d, QStringView v) { d.hsl = ParseBool(v); }},
}};

QHash<QString, QPixmap>& PixmapCache() {
    static QHash<QString, QPixmap> cache;
    return cache;
}

int Scaled(int length, int dpi) { return length * dpi / 96; }

QRect ScaledRect(const QRect& r, int dpi) {
    return QRect(Scaled(r.left(), dpi), Scaled(r.top(), dpi), Scaled(r.width(), dpi), Scaled(r.height(), dpi));
}

// The nine parts of a rectangle cut by margins, row by row; part 4 is the middle.
std::array<QRect, 9> NinePatch(const QRect& r, const QMargins& m) {
    const std::array<int, 4> xs{r.left(), r.left() + m.left(), r.left() + r.width() - m.right(), r.left() + r.width()};
    const std::array<int, 4> ys{r.top(), r.top() + m.top(), r.top() + r.height() - m.bottom(), r.top() + r.height()};
    std::array<QRect, 9> parts;
    for (std::size_t row = 0; row < 3; ++row)
        for (std::size_t col = 0; col < 3; ++col)
            parts[row * 3 + col] = QRect(QPoint(xs[col], ys[row]), QPoint(xs[col + 1] - 1, ys[row + 1] - 1));
    return parts;
}

QPixmap Masked(const QPixmap& picture, std::uint32_t mask) {
    QPixmap copy = picture;
    copy.setMask(picture.createMaskFromColor(QColor::fromRgb(mask & 0x00FFFFFFu), Qt::MaskInColor));
    return copy;
}

// Restores the painter's state when drawing ends, whichever way.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : painter_(painter) { painter_.save(); }
    ~PainterState() { painter_.restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter& painter_;
};

}  // namespace

ImageDescription ParseImageDescription(QStringView text) {
    ImageDescription image;
    if (!text.contains(u'=')) {
        image.file = text.trimmed().toString();
        return image;
    }
    QStringView rest = text;
    while (const auto attribute = NextAttribute(rest)) {
        const auto rule = std::find_if(kAttributes.begin(), kAttributes.end(), [&](const AttributeRule& r) {
            return attribute->name.compare(QStringView(r.name), Qt::CaseInsensitive) == 0;
        });
        if (rule != kAttributes.end()) rule->set(image, attribute->value);
    }
    return image;
}

std::optional<std::uint32_t> ParseColourAttribute(QStringView text) {
    QStringView digits = text.trimmed();
    if (digits.startsWith(u'#')) digits = digits.mid(1);
    if (digits.startsWith(u"0x", Qt::CaseInsensitive)) digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() > 8) return std::nullopt;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// The skin's folder is the one the program's skin uses.
void SetSkinFolder(const QString& folder) { Skin::Instance().SetFolder(folder); }

QString SkinFolder() {
    const QString& folder = Skin::Instance().Folder();
    return folder.isEmpty() ? DefaultSkinFolder() : folder;
}

QPixmap SkinPixmap(const QString& file) {
    if (file.isEmpty()) return {};
    const QString path = QDir::isAbsolutePath(file) ? file : SkinFolder() + file;
    auto& cache = PixmapCache();
    if (const auto it = cache.constFind(path); it != cache.constEnd()) return *it;
    // Read through QImageReader rather than QPixmap(path): Qt's own pixmap
    // cache keys files by their modification second and would hand back a
    // picture replaced within that second after ClearImageCache().
    QImageReader reader(path);
    QPixmap picture = QPixmap::fromImage(reader.read());
    // Only pictures that loaded are kept, so a file that appears later is found.
    if (!picture.isNull()) cache.insert(path, picture);
    return picture;
}

void ClearImageCache() { PixmapCache().clear(); }

int ControlDpi(const QWidget* control) {
    if (control == nullptr) return 96;
    const QWidget* window = control->window();
    bool ok = false;
    const int dpi = window == nullptr ? 0 : window->property("dpi").toInt(&ok);
    return ok && dpi > 0 ? dpi : 96;
}

void DrawImage(QPainter& painter, const QRect& control, const ImageDescription& image, int dpi) {
    if (image.Empty() || image.fade <= 0 || control.isEmpty()) return;
    QPixmap picture = SkinPixmap(image.file);
    if (picture.isNull()) return;
    if (image.mask) picture = Masked(picture, *image.mask);
    const QRect source = image.source ? image.source->intersected(picture.rect()) : picture.rect();
    const QRect target = image.dest ? ScaledRect(*image.dest, dpi).translated(control.topLeft()) : control;
    if (source.isEmpty() || target.isEmpty()) return;

    const PainterState state(painter);
    painter.setClipRect(control, Qt::IntersectClip);
    painter.setOpacity(painter.opacity() * image.fade / 255.0);

    if (!image.corner.isNull()) {
        const QMargins scaledCorner(Scaled(image.corner.left(), dpi), Scaled(image.corner.top(), dpi),
                                    Scaled(image.corner.right(), dpi), Scaled(image.corner.bottom(), dpi));
        const auto from = NinePatch(source, image.corner);
        const auto to = NinePatch(target, scaledCorner);
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (i == 4 && image.hole) continue;
            if (!from[i].isEmpty() && !to[i].isEmpty()) painter.drawPixmap(to[i], picture, from[i]);
        }
    } else if (image.xtiled || image.ytiled) {
        // Tiled along the flagged directions, stretched along the others.
        const QSize tile(image.xtiled ? Scaled(source.width(), dpi) : target.width(),
                         image.ytiled ? Scaled(source.height(), dpi) : target.height());
        if (tile.isEmpty()) return;
        painter.drawTiledPixmap(target,
                                picture.copy(source).scaled(tile, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        painter.drawPixmap(target, picture, source);
    }
}

void DrawImage(QPainter& painter, const QRect& control, const QString& description, int dpi) {
    if (description.isEmpty()) return;
    DrawImage(painter, control, ParseImageDescription(description), dpi);
}

}  // namespace vandrel::ui
