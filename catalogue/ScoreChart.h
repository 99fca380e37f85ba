#pragma once

#include "catalogue/ReplayRecords.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <vector>

// Scores over play date as lines with a dot per run, one line per series,
// with date and score axes, grid lines and a legend. Painted here: the chart
// needs no more than this. Hovering a dot shows its date and score.
class ScoreChart : public QWidget {
    Q_OBJECT
public:
    struct Series {
        QString name;
        QColor color;
        std::vector<RecordPoint> points; // by play date
    };

    explicit ScoreChart(QWidget *parent = nullptr);

    // Replaces what the chart shows; title stands above it.
    void setChart(const QString &title, std::vector<Series> series);
    const QString &title() const { return m_title; }
    const std::vector<Series> &series() const { return m_series; }

    // Axis titles.
    static QString dateAxisTitle();
    static QString scoreAxisTitle();
    // Shown instead of a chart when no series has a point.
    static QString emptyText();
    // The colour of a character group's line (0..6).
    static QColor charaColor(int chara);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct Dot {
        QPointF at;
        RecordPoint point;
        int series;
    };

    QString m_title;
    std::vector<Series> m_series;
    std::vector<Dot> m_dots; // where the last paint put each point
};
