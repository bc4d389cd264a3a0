// skin_render: renders an SVG picture to a transparent PNG.
//
//   skin_render IN.svg OUT.png SCALE          size = the SVG's width/height x SCALE
//   skin_render IN.svg OUT.png WIDTH HEIGHT   explicit size in pixels
//
// The build uses the first form twice per picture (1 and 2, the latter for
// "name@2x.png"). Exit code 0 on success, 1 on a missing or malformed SVG,
// 2 on bad arguments, 3 when the PNG cannot be written.

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <QMessageLogContext>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kMaxSide = 8192;

const char* g_input = "";

// Forwards Qt's messages to stderr, naming the picture, and drops the
// headless platform's note about a missing runtime folder (build machines
// rarely have one, and it says nothing about the picture).
void messageHandler(QtMsgType, const QMessageLogContext&, const QString& msg) {
    if (msg.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    std::fprintf(stderr, "skin_render: %s: %s\n", g_input, qPrintable(msg));
}

void usage() {
    std::fprintf(stderr,
                 "usage: skin_render IN.svg OUT.png SCALE\n"
                 "       skin_render IN.svg OUT.png WIDTH HEIGHT\n");
}

bool parsePositive(const char* text, double& out) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v) || v <= 0.0) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        usage();
        return 2;
    }
    const QString inPath = QString::fromLocal8Bit(argv[1]);
    const QString outPath = QString::fromLocal8Bit(argv[2]);

    double a = 0.0, b = 0.0;
    if (!parsePositive(argv[3], a) || (argc == 5 && !parsePositive(argv[4], b))) {
        std::fprintf(stderr, "skin_render: size arguments must be positive numbers\n");
        usage();
        return 2;
    }

    // Rendering needs no display; force the headless platform before the
    // application object reads the environment.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_input = argv[1];
    qInstallMessageHandler(messageHandler);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    if (!QFileInfo::exists(inPath)) {
        std::fprintf(stderr, "skin_render: %s: no such file\n", argv[1]);
        return 1;
    }
    QSvgRenderer renderer(inPath);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "skin_render: %s: not a valid SVG picture\n", argv[1]);
        return 1;
    }

    int width = 0, height = 0;
    if (argc == 4) {
        const QSize base = renderer.defaultSize();
        if (base.isEmpty()) {
            std::fprintf(stderr, "skin_render: %s: the SVG has no width/height to scale\n", argv[1]);
            return 1;
        }
        width = static_cast<int>(std::lround(base.width() * a));
        height = static_cast<int>(std::lround(base.height() * a));
    } else {
        width = static_cast<int>(std::lround(a));
        height = static_cast<int>(std::lround(b));
    }
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        std::fprintf(stderr, "skin_render: %s: output size %dx%d out of range\n", argv[1], width, height);
        return 2;
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        renderer.render(&painter, QRectF(0, 0, width, height));
    }

    const QFileInfo outInfo(outPath);
    if (!QDir().mkpath(outInfo.absolutePath())) {
        std::fprintf(stderr, "skin_render: cannot create folder for %s\n", argv[2]);
        return 3;
    }
    if (!image.convertToFormat(QImage::Format_ARGB32).save(outPath, "PNG")) {
        std::fprintf(stderr, "skin_render: cannot write %s\n", argv[2]);
        return 3;
    }
    return 0;
}
