// What the drawing controls compute: the ring's sweep, the audio bars and the
// chart's slices and colours.
#include <set>

#include <QtTest>

#include "control_test_support.h"
#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"

using namespace vandrel::ui;

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(std::vector<double>)

class DrawnValuesTest : public QObject {
    Q_OBJECT

private slots:
    void ringSweepIsValueOverRange_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<double>("degrees");
        QTest::newRow("empty") << 0 << 0 << 100 << 0.0;
        QTest::newRow("quarter") << 25 << 0 << 100 << 90.0;
        QTest::newRow("a third") << 1 << 0 << 3 << 120.0;
        QTest::newRow("full") << 100 << 0 << 100 << 360.0;
        // The value is taken over the range's width, not from the minimum.
        QTest::newRow("minimum not subtracted") << 30 << 10 << 50 << 270.0;
        QTest::newRow("no range") << 5 << 7 << 7 << 0.0;
    }

    void ringSweepIsValueOverRange() {
        QFETCH(int, value);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(double, degrees);
        QCOMPARE(CircleSweepDegrees(value, minimum, maximum), degrees);
        const CircleRing ring = CircleRingGeometry(QRect(0, 0, 60, 60), value, minimum, maximum);
        QCOMPARE(ring.startAngle16, 90 * 16);
        QCOMPARE(ring.spanAngle16, -qRound(degrees * 16));
        QCOMPARE(ring.hole, QRectF(10, 10, 40, 40));
    }

    void ringIsDrawnClockwiseFromTwelve() {
        CCircleProgressUI ring;
        ring.resize(60, 60);
        ring.setRange(0, 100);
        ring.setValue(25);
        ring.SetBkColor(Qt::black);
        ring.SetForeColor(Qt::red);
        const QImage shown = test::Render(ring);
        QCOMPARE(shown.pixelColor(40, 8), QColor(Qt::red));    // upper right: inside the sweep
        QCOMPARE(shown.pixelColor(20, 8), QColor(Qt::black));  // upper left: outside it
        QCOMPARE(shown.pixelColor(40, 52), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(30, 30), QColor(Qt::white));  // the inner disc
    }

    void audioBarsRiseFromTheBottom_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("count");
        QTest::addColumn<std::vector<int>>("probeIndices");
        QTest::addColumn<std::vector<int>>("heights");
        // Level i (i < 256) rises i x height / 8192.
        QTest::newRow("8192 high shows the levels")
            << QSize(600, 8192) << 300 << std::vector<int>{0, 1, 255, 256, 299} << std::vector<int>{0, 1, 255, 0, 0};
        QTest::newRow("1000 wide holds all 500")
            << QSize(1000, 4096) << 500 << std::vector<int>{200, 255, 499} << std::vector<int>{100, 127, 0};
        QTest::newRow("odd width fits one more") << QSize(7, 100) << 4 << std::vector<int>{3} << std::vector<int>{0};
        QTest::newRow("a low label rounds down")
            << QSize(400, 50) << 200 << std::vector<int>{163, 164} << std::vector<int>{0, 1};
        QTest::newRow("no room") << QSize(0, 50) << 0 << std::vector<int>{} << std::vector<int>{};
    }

    void audioBarsRiseFromTheBottom() {
        QFETCH(QSize, size);
        QFETCH(int, count);
        QFETCH(std::vector<int>, probeIndices);
        QFETCH(std::vector<int>, heights);
        const std::vector<QRect> bars = AudioRecordBars(InitialAudioLevels(), size);
        QCOMPARE(static_cast<int>(bars.size()), count);
        for (std::size_t i = 0; i < probeIndices.size(); ++i) {
            const QRect& bar = bars[static_cast<std::size_t>(probeIndices[i])];
            QCOMPARE(bar.x(), probeIndices[i] * 2);
            QCOMPARE(bar.width(), 1);
            QCOMPARE(bar.height(), heights[i]);
            QCOMPARE(bar.y() + bar.height(), size.height());
        }
    }

    void audioLevelsStartAsARamp() {
        const AudioLevels levels = InitialAudioLevels();
        QCOMPARE(levels[0], 0);
        QCOMPARE(levels[128], 128);
        QCOMPARE(levels[255], 255);
        QVERIFY(std::all_of(levels.begin() + 256, levels.end(), [](int level) { return level == 0; }));
        QCOMPARE(CAudioRecordUI().Levels(), levels);
    }

    void pieSlicesCloseTheCircle_data() {
        QTest::addColumn<std::vector<double>>("values");
        QTest::addColumn<std::vector<int>>("spans");
        QTest::newRow("halves") << std::vector<double>{1, 1} << std::vector<int>{-2880, -2880};
        QTest::newRow("thirds, rounded to close")
            << std::vector<double>{1, 1, 1} << std::vector<int>{-1920, -1920, -1920};
        QTest::newRow("sevenths") << std::vector<double>{1, 1, 1, 1, 1, 1, 1}
                                  << std::vector<int>{-823, -823, -823, -822, -823, -823, -823};
        QTest::newRow("negative counts as nothing")
            << std::vector<double>{3, -2, 1} << std::vector<int>{-4320, 0, -1440};
        QTest::newRow("nothing to show") << std::vector<double>{0, 0} << std::vector<int>{0, 0};
    }

    void pieSlicesCloseTheCircle() {
        QFETCH(std::vector<double>, values);
        QFETCH(std::vector<int>, spans);
        QCOMPARE(PieSpans16(values), spans);
    }

    void chartColoursCycleThroughEighteen() {
        std::set<QRgb> distinct;
        for (std::size_t i = 0; i < kChartColourCount; ++i) {
            distinct.insert(ChartColour(i).rgba());
            QCOMPARE(ChartColour(i + kChartColourCount), ChartColour(i));
            QCOMPARE(ChartColour(i).alpha(), 255);
        }
        QCOMPARE(distinct.size(), kChartColourCount);
    }

    void barsTakeTheirSlotColours() {
        CChartViewUI chart;
        chart.resize(200, 100);
        chart.SetView(QStringLiteral("histpgram"));
        chart.AddItem(QStringLiteral("a"), 10);
        chart.AddItem(QStringLiteral("b"), 5);
        const QImage shown = test::Render(chart);
        QCOMPARE(shown.pixelColor(50, 95), ChartColour(0));  // first bar, full height
        QCOMPARE(shown.pixelColor(50, 5), ChartColour(0));
        QCOMPARE(shown.pixelColor(150, 95), ChartColour(1));  // second bar, half height
        QVERIFY(shown.pixelColor(150, 40) != ChartColour(1));
    }
};

std::unique_ptr<QObject> MakeDrawnValuesTest() { return std::make_unique<DrawnValuesTest>(); }

#include "drawn_values_test.moc"
