#include "catalogue/ScoreChart.h"

#include "replay/ContentTables.h"

#include <QDateTime>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int Gap = 6;
constexpr int Swatch = 12;
constexpr double DotRadius = 3.5;
constexpr double HoverDistance = 6.0;

// An axis from lo to hi with ticks every step.
struct Axis {
    double lo = 0;
    double hi = 1;
    double step = 1;
};

// Round steps (1, 2 or 5 times a power of ten, at least 1) that cover lo..hi
// in about `wanted` intervals.
Axis scoreAxis(double lo, double hi, int wanted)
{
    if (hi <= lo)
        hi = lo + 1;
    const double raw = (hi - lo) / wanted;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / magnitude;
    double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * magnitude;
    step = std::max(step, 1.0);
    Axis axis{std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
    if (axis.hi <= axis.lo)
        axis.hi = axis.lo + step;
    return axis;
}

// Scores with a comma every three digits; beyond the 32-bit range too.
QString scoreText(double value)
{
    static const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    return grouped.toString(qint64(std::llround(value)));
}

QString dateText(double seconds, bool withTime)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(qint64(std::llround(seconds)));
    return local.toString(withTime ? QStringLiteral("MM/dd hh:mm") : QStringLiteral("yyyy/MM/dd"));
}

} // namespace

ScoreChart::ScoreChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void ScoreChart::setChart(const QString &title, std::vector<Series> series)
{
    m_title = title;
    m_series = std::move(series);
    update();
}

QString ScoreChart::dateAxisTitle()
{
    return QStringLiteral("リプレイ日時");
}

QString ScoreChart::scoreAxisTitle()
{
    return QStringLiteral("スコア");
}

QString ScoreChart::emptyText()
{
    return QStringLiteral("リプレイがありません。");
}

QColor ScoreChart::charaColor(int chara)
{
    static const std::array<QColor, ReplayRecords::CharaGroups> colors{
        QColor(31, 119, 180), QColor(214, 39, 40),   QColor(44, 160, 44),   QColor(255, 127, 14),
        QColor(148, 103, 189), QColor(23, 170, 190), QColor(127, 127, 127),
    };
    return colors[size_t(std::clamp(chara, 0, ReplayRecords::CharaGroups - 1))];
}

QSize ScoreChart::sizeHint() const
{
    return {640, 360};
}

QSize ScoreChart::minimumSizeHint() const
{
    return {320, 200};
}

void ScoreChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::Text);
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    m_dots.clear();

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(text);
    const QRect titleRect(0, Gap, width(), line);
    painter.drawText(titleRect, Qt::AlignCenter, m_title);
    painter.setFont(font());

    double dateLo = std::numeric_limits<double>::max();
    double dateHi = std::numeric_limits<double>::lowest();
    double scoreLo = 0; // the score axis starts at 0 unless a score is below it
    double scoreHi = 0;
    bool any = false;
    for (const Series &series : m_series) {
        for (const RecordPoint &point : series.points) {
            any = true;
            dateLo = std::min(dateLo, double(point.playDate));
            dateHi = std::max(dateHi, double(point.playDate));
            scoreLo = std::min(scoreLo, double(point.score));
            scoreHi = std::max(scoreHi, double(point.score));
        }
    }
    if (!any) {
        painter.drawText(rect(), Qt::AlignCenter, emptyText());
        return;
    }

    const Axis scores = scoreAxis(scoreLo, scoreHi, 5);
    int labelWidth = 0;
    for (double v = scores.lo; v <= scores.hi + scores.step / 2; v += scores.step)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(scoreText(v)));
    int legendWidth = 0;
    for (const Series &series : m_series)
        legendWidth = std::max(legendWidth, Swatch + Gap + metrics.horizontalAdvance(series.name));

    const int left = Gap + line + Gap + labelWidth + Gap;
    const int top = titleRect.bottom() + Gap + line / 2;
    const int right = width() - (Gap * 3 + legendWidth);
    const int bottom = height() - (Gap + line + Gap + line + Gap);
    if (right - left < 40 || bottom - top < 40)
        return; // too small to draw anything readable
    const QRectF plot(left, top, right - left, bottom - top);

    // Dates: a little room on both sides so that no dot sits on an axis; a
    // single date gets half a day either way.
    if (dateHi <= dateLo) {
        dateLo -= 43200;
        dateHi += 43200;
    }
    const double pad = (dateHi - dateLo) * 0.04;
    dateLo -= pad;
    dateHi += pad;
    const auto xOf = [&](double date) { return plot.left() + (date - dateLo) / (dateHi - dateLo) * plot.width(); };
    const auto yOf = [&](double score) {
        return plot.bottom() - (score - scores.lo) / (scores.hi - scores.lo) * plot.height();
    };

    // Score grid and labels.
    const QColor grid = palette().color(QPalette::Mid);
    for (double v = scores.lo; v <= scores.hi + scores.step / 2; v += scores.step) {
        const double y = yOf(v);
        painter.setPen(QPen(grid, 0, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(text);
        painter.drawText(QRectF(left - Gap - labelWidth, y - line / 2.0, labelWidth, line),
                         Qt::AlignRight | Qt::AlignVCenter, scoreText(v));
    }

    // Date ticks: as many as fit, evenly spaced.
    const bool withTime = dateHi - dateLo < 2 * 86400.0;
    const int dateWidth = metrics.horizontalAdvance(dateText(dateLo, withTime)) + 2 * Gap;
    const int ticks = std::clamp(int(plot.width()) / std::max(dateWidth, 1), 2, 6);
    for (int i = 0; i < ticks; ++i) {
        const double date = dateLo + pad + (dateHi - dateLo - 2 * pad) * i / (ticks - 1);
        const double x = xOf(date);
        painter.setPen(text);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        painter.drawText(QRectF(x - dateWidth / 2.0, plot.bottom() + Gap, dateWidth, line), Qt::AlignCenter,
                         dateText(date, withTime));
    }

    painter.setPen(text);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawText(QRectF(plot.left(), plot.bottom() + Gap + line + Gap, plot.width(), line), Qt::AlignCenter,
                     dateAxisTitle());
    painter.save();
    painter.translate(Gap, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), line), Qt::AlignCenter, scoreAxisTitle());
    painter.restore();

    // Lines and dots, clipped to the plot.
    painter.save();
    painter.setClipRect(plot.adjusted(-DotRadius, -DotRadius, DotRadius, DotRadius));
    for (size_t s = 0; s < m_series.size(); ++s) {
        const Series &series = m_series[s];
        QPainterPath path;
        for (const RecordPoint &point : series.points) {
            const QPointF at(xOf(point.playDate), yOf(point.score));
            if (path.elementCount() == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
            m_dots.push_back(Dot{at, point, int(s)});
        }
        painter.setPen(QPen(series.color, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setPen(Qt::NoPen);
        painter.setBrush(series.color);
        for (const RecordPoint &point : series.points)
            painter.drawEllipse(QPointF(xOf(point.playDate), yOf(point.score)), DotRadius, DotRadius);
    }
    painter.restore();

    // Legend at the right, one line per series.
    int y = top;
    for (const Series &series : m_series) {
        const int x = right + Gap * 2;
        painter.fillRect(QRect(x, y + (line - Swatch) / 2, Swatch, Swatch), series.color);
        painter.setPen(text);
        painter.drawText(QRect(x + Swatch + Gap, y, legendWidth, line), Qt::AlignLeft | Qt::AlignVCenter, series.name);
        y += line + Gap;
    }
}

bool ScoreChart::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const Dot *nearest = nullptr;
    double distance = HoverDistance;
    for (const Dot &dot : m_dots) {
        const QPointF d = dot.at - help->pos();
        const double length = std::hypot(d.x(), d.y());
        if (length <= distance) {
            distance = length;
            nearest = &dot;
        }
    }
    if (!nearest) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(),
                       QStringLiteral("%1\n%2\n%3：%4")
                           .arg(m_series[size_t(nearest->series)].name, FormatPlayDate(nearest->point.playDate),
                                scoreAxisTitle(), FormatScore(nearest->point.score)),
                       this);
    return true;
}
