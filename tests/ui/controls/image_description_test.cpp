// The image description syntax and its drawing.
#include <QFile>
#include <QPainter>
#include <QtTest>

#include "control_test_support.h"
#include "ui/controls/image_description.h"

using vandrel::ui::ImageDescription;

namespace vandrel::ui {
// Lets QCOMPARE show both descriptions when they differ.
char* toString(const ImageDescription& d) {
    const auto rect = [](const std::optional<QRect>& r) {
        return r ? QStringLiteral("%1,%2 %3x%4").arg(r->x()).arg(r->y()).arg(r->width()).arg(r->height())
                 : QStringLiteral("-");
    };
    const QString text =
        QStringLiteral("file=%1 dest=%2 source=%3 corner=%4,%5,%6,%7 mask=%8 fade=%9 hole=%10 x=%11 y=%12 hsl=%13")
            .arg(d.file, rect(d.dest), rect(d.source))
            .arg(d.corner.left())
            .arg(d.corner.top())
            .arg(d.corner.right())
            .arg(d.corner.bottom())
            .arg(d.mask ? QString::number(*d.mask, 16) : QStringLiteral("-"))
            .arg(d.fade)
            .arg(d.hole)
            .arg(d.xtiled)
            .arg(d.ytiled)
            .arg(d.hsl);
    return qstrdup(qPrintable(text));
}
}  // namespace vandrel::ui

namespace {

struct Probe {
    QPoint at;
    QRgb colour;
};

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kNothing = 0x00000000;

ImageDescription Described(const QString& file) {
    ImageDescription d;
    d.file = file;
    return d;
}

}  // namespace

Q_DECLARE_METATYPE(ImageDescription)
Q_DECLARE_METATYPE(std::optional<std::uint32_t>)
Q_DECLARE_METATYPE(QList<Probe>)

class ImageDescriptionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<vandrel::ui::test::ScratchSkin> skin_;

    // The control is the 20 x 20 square at (10, 10) of a 40 x 40 canvas.
    static QImage Drawn(const QString& description, int dpi = 96) {
        QImage canvas(40, 40, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        vandrel::ui::DrawImage(painter, QRect(10, 10, 20, 20), description, dpi);
        return canvas;
    }

private slots:
    void initTestCase() {
        skin_ = std::make_unique<vandrel::ui::test::ScratchSkin>();
        skin_->WritePicture(QStringLiteral("img/red.png"), 10, 10, Qt::red);
        skin_->WriteSplitPicture(QStringLiteral("img/split.png"), 20, 10, Qt::red, Qt::blue);
        skin_->WritePicture(QStringLiteral("img/frame.png"), 30, 30, Qt::red);
        skin_->WritePicture(QStringLiteral("img/magenta.png"), 10, 10, QColor(0xFF, 0x00, 0xFF));
    }

    void cleanupTestCase() { skin_.reset(); }

    void parsesDescriptions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ImageDescription>("expected");

        QTest::newRow("plain file name") << QStringLiteral(" power/powered.png ")
                                         << Described(QStringLiteral("power/powered.png"));

        ImageDescription all = Described(QStringLiteral("power/powered.png"));
        all.dest = QRect(0, 0, 20, 20);
        all.source = QRect(10, 5, 20, 20);
        all.corner = QMargins(1, 2, 3, 4);
        all.mask = 0xFFFF00FFu;
        all.fade = 200;
        all.hole = true;
        all.xtiled = true;
        all.hsl = true;
        QTest::newRow("every attribute")
            << QStringLiteral(
                   "file='power/powered.png' dest='0,0,20,20' source='10,5,30,25' corner='1,2,3,4' "
                   "mask='#FFFF00FF' fade='200' hole='true' xtiled='true' ytiled='false' hsl='true'")
            << all;

        ImageDescription loose = Described(QStringLiteral("a.png"));
        loose.fade = 255;
        loose.dest = QRect(2, 3, 8, 9);
        QTest::newRow("any case, blanks, double quotes, fade clamped")
            << QStringLiteral("  FILE='a.png'   Fade = \"300\" DEST=' 2, 3, 10, 12 '") << loose;

        QTest::newRow("malformed values keep their defaults")
            << QStringLiteral("file='b.png' dest='1,2,3' source='a,b,c,d' fade='half' corner='1,2'")
            << Described(QStringLiteral("b.png"));

        ImageDescription unknown = Described(QStringLiteral("c.png"));
        unknown.fade = 0;
        QTest::newRow("unknown attributes skipped")
            << QStringLiteral("restype='PNG' file='c.png' colour='red' fade='-5'") << unknown;

        QTest::newRow("resource name stands for the file")
            << QStringLiteral("res='r.png' restype='PNG'") << Described(QStringLiteral("r.png"));
        QTest::newRow("unterminated quote yields nothing") << QStringLiteral("file='d.png") << ImageDescription{};
        QTest::newRow("empty") << QString() << ImageDescription{};
    }

    void parsesDescriptions() {
        QFETCH(QString, text);
        QFETCH(ImageDescription, expected);
        QCOMPARE(vandrel::ui::ParseImageDescription(text), expected);
    }

    void parsesColourAttributes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<std::uint32_t>>("expected");
        QTest::newRow("hash") << QStringLiteral("#FF0099FF") << std::optional<std::uint32_t>(0xFF0099FFu);
        QTest::newRow("bare") << QStringLiteral("ff0078c8") << std::optional<std::uint32_t>(0xFF0078C8u);
        QTest::newRow("0x") << QStringLiteral(" 0xFF666666 ") << std::optional<std::uint32_t>(0xFF666666u);
        QTest::newRow("six digits have no alpha")
            << QStringLiteral("#0099FF") << std::optional<std::uint32_t>(0x000099FFu);
        QTest::newRow("empty") << QString() << std::optional<std::uint32_t>();
        QTest::newRow("not hexadecimal") << QStringLiteral("#GG0000") << std::optional<std::uint32_t>();
        QTest::newRow("too long") << QStringLiteral("#1FF0099FF") << std::optional<std::uint32_t>();
    }

    void parsesColourAttributes() {
        QFETCH(QString, text);
        QFETCH(std::optional<std::uint32_t>, expected);
        QCOMPARE(vandrel::ui::ParseColourAttribute(text), expected);
    }

    void drawsIntoTheControl_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QList<Probe>>("probes");

        QTest::newRow("whole control without dest")
            << QStringLiteral("img/red.png") << 96
            << QList<Probe>{{{10, 10}, kRed}, {{29, 29}, kRed}, {{9, 9}, kNothing}, {{30, 30}, kNothing}};
        QTest::newRow("dest relative to the control")
            << QStringLiteral("file='img/red.png' dest='5,5,15,15'") << 96
            << QList<Probe>{{{15, 15}, kRed}, {{24, 24}, kRed}, {{14, 14}, kNothing}, {{25, 25}, kNothing}};
        QTest::newRow("dest scaled by the dpi") << QStringLiteral("file='img/red.png' dest='0,0,5,5'") << 192
                                                << QList<Probe>{{{19, 19}, kRed}, {{20, 20}, kNothing}};
        QTest::newRow("cut to the control")
            << QStringLiteral("file='img/red.png' dest='-10,-10,40,40'") << 96
            << QList<Probe>{{{10, 10}, kRed}, {{29, 29}, kRed}, {{5, 5}, kNothing}, {{35, 35}, kNothing}};
        QTest::newRow("source part only") << QStringLiteral("file='img/split.png' source='10,0,20,10'") << 96
                                          << QList<Probe>{{{10, 10}, kBlue}, {{29, 29}, kBlue}};
        QTest::newRow("whole picture without source")
            << QStringLiteral("img/split.png") << 96 << QList<Probe>{{{12, 20}, kRed}, {{27, 20}, kBlue}};
        QTest::newRow("corners with a hole")
            << QStringLiteral("file='img/frame.png' corner='5,5,5,5' hole='true'") << 96
            << QList<Probe>{{{10, 10}, kRed}, {{20, 12}, kRed}, {{27, 20}, kRed}, {{20, 20}, kNothing}};
        QTest::newRow("corners without a hole")
            << QStringLiteral("file='img/frame.png' corner='5,5,5,5'") << 96 << QList<Probe>{{{20, 20}, kRed}};
        QTest::newRow("mask colour is transparent")
            << QStringLiteral("file='img/magenta.png' mask='#FFFF00FF'") << 96 << QList<Probe>{{{20, 20}, kNothing}};
        QTest::newRow("missing file draws nothing")
            << QStringLiteral("file='img/absent.png'") << 96 << QList<Probe>{{{20, 20}, kNothing}};
        QTest::newRow("fade 0 draws nothing")
            << QStringLiteral("file='img/red.png' fade='0'") << 96 << QList<Probe>{{{20, 20}, kNothing}};
    }

    void drawsIntoTheControl() {
        QFETCH(QString, description);
        QFETCH(int, dpi);
        QFETCH(QList<Probe>, probes);
        const QImage canvas = Drawn(description, dpi);
        for (const Probe& probe : probes) {
            const QString where = QStringLiteral("at %1,%2").arg(probe.at.x()).arg(probe.at.y());
            QVERIFY2(canvas.pixel(probe.at) == probe.colour,
                     qPrintable(where + QStringLiteral(": %1").arg(canvas.pixel(probe.at), 8, 16, QLatin1Char('0'))));
        }
    }

    void fadeIsOpacity() {
        const QImage canvas = Drawn(QStringLiteral("file='img/red.png' fade='128'"));
        const QColor shown = canvas.pixelColor(20, 20);
        QVERIFY2(qAbs(shown.alpha() - 128) <= 2, qPrintable(QString::number(shown.alpha())));
        QCOMPARE(shown.red(), 255);
    }

    void picturesAreCachedByPath() {
        skin_->WritePicture(QStringLiteral("img/once.png"), 4, 4, Qt::red);
        QCOMPARE(Drawn(QStringLiteral("img/once.png")).pixel(20, 20), kRed);
        QVERIFY(QFile::remove(skin_->Folder() + QStringLiteral("img/once.png")));
        QCOMPARE(Drawn(QStringLiteral("img/once.png")).pixel(20, 20), kRed);
        vandrel::ui::ClearImageCache();
        QCOMPARE(Drawn(QStringLiteral("img/once.png")).pixel(20, 20), kNothing);
        // A file that was missing is found once it appears.
        skin_->WritePicture(QStringLiteral("img/once.png"), 4, 4, Qt::blue);
        QCOMPARE(Drawn(QStringLiteral("img/once.png")).pixel(20, 20), kBlue);
    }

    void skinFolderEndsInSlash() {
        const QString before = vandrel::ui::SkinFolder();
        vandrel::ui::SetSkinFolder(QStringLiteral("/opt/vandrel/skin"));
        QCOMPARE(vandrel::ui::SkinFolder(), QStringLiteral("/opt/vandrel/skin/"));
        vandrel::ui::SetSkinFolder(before);
    }
};

std::unique_ptr<QObject> MakeImageDescriptionTest() { return std::make_unique<ImageDescriptionTest>(); }

#include "image_description_test.moc"
