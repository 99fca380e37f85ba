// The chart paints every series it is given, whatever the spread of dates and
// scores (one point, one date, the ends of the score range), and says so when
// there is nothing to draw.

#include "catalogue/ScoreChart.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::vector<RecordPoint>)

namespace {

int pixelsOf(const QImage &image, const QColor &color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == color ? 1 : 0;
    }
    return count;
}

} // namespace

class TestScoreChart : public QObject {
    Q_OBJECT

private slots:
    void paintsEverySeries_data();
    void paintsEverySeries();
    void emptyChart();
};

void TestScoreChart::paintsEverySeries_data()
{
    QTest::addColumn<std::vector<RecordPoint>>("first");
    QTest::addColumn<std::vector<RecordPoint>>("second");
    constexpr qint32 Max = std::numeric_limits<qint32>::max();
    constexpr qint32 Min = std::numeric_limits<qint32>::min();
    QTest::newRow("spread") << std::vector<RecordPoint>{{1200000000, 100}, {1250000000, 5000}}
                            << std::vector<RecordPoint>{{1220000000, 2500}};
    QTest::newRow("one point each, same date") << std::vector<RecordPoint>{{1200000000, 0}}
                                               << std::vector<RecordPoint>{{1200000000, 10}};
    QTest::newRow("ends of the score range") << std::vector<RecordPoint>{{0, Max}, {Max, Min}}
                                             << std::vector<RecordPoint>{{Min, 0}};
    QTest::newRow("dates one second apart") << std::vector<RecordPoint>{{1200000000, 7}, {1200000001, 8}}
                                            << std::vector<RecordPoint>{{1200000001, 9}};
}

void TestScoreChart::paintsEverySeries()
{
    QFETCH(std::vector<RecordPoint>, first);
    QFETCH(std::vector<RecordPoint>, second);
    const QColor red(214, 39, 40);
    const QColor green(44, 160, 44);
    ScoreChart chart;
    chart.resize(640, 360);
    chart.setChart(u"灰の塔"_s, {{u"ケイナ"_s, red, first}, {u"ラドム"_s, green, second}});
    const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The legend's swatch alone is 144 pixels; the dots add more.
    QVERIFY2(pixelsOf(image, red) > 150, qPrintable(QString::number(pixelsOf(image, red))));
    QVERIFY2(pixelsOf(image, green) > 150, qPrintable(QString::number(pixelsOf(image, green))));
}

void TestScoreChart::emptyChart()
{
    ScoreChart chart;
    chart.resize(400, 300);
    chart.setChart(QString(), {{u"ケイナ"_s, Qt::red, {}}});
    const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(pixelsOf(image, Qt::red), 0);
    QCOMPARE(ScoreChart::emptyText(), u"リプレイがありません。"_s);
}

QTEST_MAIN(TestScoreChart)
#include "tst_ScoreChart.moc"
