#include "app/TRecordForm.h"

#include "app/ReplayWorkspace.h"
#include "catalogue/ScoreChart.h"
#include "platform/PlainToolTip.h"
#include "platform/WindowFont.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// stretch: the column that takes the width left over.
QTableView *makeTable(QWidget *parent, const char *name, QStandardItemModel *model, int stretch)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setSectionResizeMode(stretch, QHeaderView::Stretch);
    return view;
}

QStandardItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    item->setTextAlignment(alignment);
    return item;
}

QStandardItem *number(int value)
{
    return cell(QString::number(value), Qt::AlignRight | Qt::AlignVCenter);
}

// One count table: the groups in table order (the unknown group only when it
// has runs), then the total.
template <size_t N>
void fillCountTable(QStandardItemModel *model, const std::array<RecordCount, N> &counts, int unknown,
                    QString (*name)(int))
{
    model->removeRows(0, model->rowCount());
    RecordCount total;
    for (int group = 0; group < int(N); ++group) {
        const RecordCount &count = counts[size_t(group)];
        total.runs += count.runs;
        total.cleared += count.cleared;
        if (group == unknown && count.runs == 0)
            continue;
        model->appendRow({cell(name(group)), number(count.runs), number(count.cleared)});
    }
    model->appendRow({cell(QStringLiteral("合計")), number(total.runs), number(total.cleared)});
}

} // namespace

TRecordForm::TRecordForm(const ReplayWorkspace &workspace, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_workspace(workspace)
{
    setObjectName(QStringLiteral("TRecordForm"));
    setWindowTitle(QStringLiteral("記録"));
    setFont(windowFont());
    resize(760, 480);

    auto *layout = new QVBoxLayout(this);
    PcRecord = new QTabWidget(this);
    PcRecord->setObjectName(QStringLiteral("PcRecord"));
    layout->addWidget(PcRecord, 1);
    LblRecordCount = new QLabel(this);
    LblRecordCount->setObjectName(QStringLiteral("LblRecordCount"));
    LblRecordCount->setTextFormat(Qt::PlainText);
    layout->addWidget(LblRecordCount);

    // Best runs.
    m_bestModel = new QStandardItemModel(this);
    m_bestModel->setHorizontalHeaderLabels({QStringLiteral("ダンジョン名"), QStringLiteral("使用キャラ"),
                                            QStringLiteral("スコア"), QStringLiteral("達成階数"),
                                            QStringLiteral("リプレイ日時"), QStringLiteral("プレイヤー名"),
                                            QStringLiteral("件数")});
    StgBestTbl = makeTable(PcRecord, "StgBestTbl", m_bestModel, 5); // player name
    PcRecord->addTab(StgBestTbl, QStringLiteral("最高スコア"));
    // activated: a double click, or Return on the current row.
    connect(StgBestTbl, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        const QString fileName = index.data(FileNameRole).toString();
        if (!fileName.isEmpty())
            emit replayChosen(FolderKind(index.data(TagRole).toInt()), fileName);
    });

    // Counts.
    auto *counts = new QWidget(PcRecord);
    counts->setObjectName(QStringLiteral("TabRecordCount"));
    auto *countLayout = new QHBoxLayout(counts);
    m_charaModel = new QStandardItemModel(this);
    m_charaModel->setHorizontalHeaderLabels(
        {QStringLiteral("使用キャラ"), QStringLiteral("件数"), QStringLiteral("クリア")});
    m_dungeonModel = new QStandardItemModel(this);
    m_dungeonModel->setHorizontalHeaderLabels(
        {QStringLiteral("ダンジョン名"), QStringLiteral("件数"), QStringLiteral("クリア")});
    StgCharaCountTbl = makeTable(counts, "StgCharaCountTbl", m_charaModel, 0);
    StgDungeonCountTbl = makeTable(counts, "StgDungeonCountTbl", m_dungeonModel, 0);
    countLayout->addWidget(StgCharaCountTbl, 2);
    countLayout->addWidget(StgDungeonCountTbl, 3);
    PcRecord->addTab(counts, QStringLiteral("件数"));

    // Chart.
    auto *chart = new QWidget(PcRecord);
    chart->setObjectName(QStringLiteral("TabRecordChart"));
    auto *chartLayout = new QVBoxLayout(chart);
    auto *choice = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("ダンジョン："), chart);
    CmbDungeon = new QComboBox(chart);
    CmbDungeon->setObjectName(QStringLiteral("CmbDungeon"));
    CmbDungeon->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    label->setBuddy(CmbDungeon);
    choice->addWidget(label);
    choice->addWidget(CmbDungeon);
    choice->addStretch(1);
    chartLayout->addLayout(choice);
    ImgScoreChart = new ScoreChart(chart);
    ImgScoreChart->setObjectName(QStringLiteral("ImgScoreChart"));
    chartLayout->addWidget(ImgScoreChart, 1);
    PcRecord->addTab(chart, QStringLiteral("スコアの推移"));
    connect(CmbDungeon, &QComboBox::currentIndexChanged, this, &TRecordForm::showChart);

    // Reloads and edits often come in pairs (both folders at once): one
    // refresh after them is enough.
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(0);
    connect(m_refreshTimer, &QTimer::timeout, this, [this] {
        if (m_stale)
            refresh();
    });
    connect(&m_workspace, &ReplayWorkspace::tarnelContentChanged, this, &TRecordForm::scheduleRefresh);
    connect(&m_workspace, &ReplayWorkspace::storageContentChanged, this, &TRecordForm::scheduleRefresh);
}

void TRecordForm::scheduleRefresh()
{
    m_stale = true;
    if (isVisible())
        m_refreshTimer->start();
}

void TRecordForm::showEvent(QShowEvent *event)
{
    if (m_stale)
        refresh();
    QWidget::showEvent(event);
}

void TRecordForm::refresh()
{
    m_stale = false;
    m_records = ReplayRecords::compute(m_workspace.Slots(), m_workspace.Replays());
    fillBest();
    fillCounts();
    fillDungeonChoice();

    const int runs = int(m_records.runs().size());
    if (runs == m_records.fileCount())
        LblRecordCount->setText(QStringLiteral("リプレイ %1 件").arg(runs));
    else
        LblRecordCount->setText(QStringLiteral("リプレイ %1 件（ファイル %2 件：同じリプレイのファイルは1件と数えます）")
                                    .arg(runs)
                                    .arg(m_records.fileCount()));
}

void TRecordForm::fillBest()
{
    m_bestModel->removeRows(0, m_bestModel->rowCount());
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    for (const RecordBest &best : m_records.best()) {
        const RecordRun &run = best.run;
        const QList<QStandardItem *> items{
            cell(ReplayRecords::dungeonGroupName(best.dungeon)),
            cell(ReplayRecords::charaGroupName(best.chara)),
            cell(FormatScore(run.score), right),
            cell(FormatFloor(run.dungeonNumber, run.floor, FloorForm::Table)),
            cell(FormatPlayDate(run.playDate)),
            cell(run.playerName),
            number(best.runs),
        };
        const bool inSlot = run.slot >= 0;
        const QString tip =
            QStringLiteral("%1：%2\nダブルクリックでメインウィンドウのこのファイルを選択します。")
                .arg(folderCaption(inSlot ? FolderKind::Game : FolderKind::Storage), run.fileName);
        for (QStandardItem *item : items) {
            item->setToolTip(plainToolTip(tip));
            item->setData(folderIndex(inSlot ? FolderKind::Game : FolderKind::Storage), TagRole);
            item->setData(run.fileName, FileNameRole);
        }
        m_bestModel->appendRow(items);
    }
    StgBestTbl->resizeColumnsToContents();
}

void TRecordForm::fillCounts()
{
    fillCountTable(m_charaModel, m_records.charaCounts(), ReplayRecords::CharaGroups - 1,
                   &ReplayRecords::charaGroupName);
    fillCountTable(m_dungeonModel, m_records.dungeonCounts(), ReplayRecords::DungeonGroups - 1,
                   &ReplayRecords::dungeonGroupName);
    StgCharaCountTbl->resizeColumnsToContents();
    StgDungeonCountTbl->resizeColumnsToContents();
}

void TRecordForm::fillDungeonChoice()
{
    // The dungeon shown stays when it still has runs; otherwise the one with
    // the most runs.
    const int previous = chartDungeon();
    const auto &counts = m_records.dungeonCounts();
    {
        const QSignalBlocker quiet(CmbDungeon);
        CmbDungeon->clear();
        int choose = -1;
        int most = 0;
        bool kept = false;
        for (int dungeon = 0; dungeon < ReplayRecords::DungeonGroups; ++dungeon) {
            const int runs = counts[size_t(dungeon)].runs;
            if (runs == 0)
                continue;
            CmbDungeon->addItem(ReplayRecords::dungeonGroupName(dungeon), dungeon);
            if (dungeon == previous) {
                kept = true;
                choose = CmbDungeon->count() - 1;
            } else if (!kept && runs > most) {
                most = runs;
                choose = CmbDungeon->count() - 1;
            }
        }
        CmbDungeon->setCurrentIndex(choose);
        CmbDungeon->setEnabled(CmbDungeon->count() > 0);
    }
    showChart();
}

int TRecordForm::chartDungeon() const
{
    return CmbDungeon->currentIndex() < 0 ? -1 : CmbDungeon->currentData().toInt();
}

void TRecordForm::showChart()
{
    const int dungeon = chartDungeon();
    std::vector<ScoreChart::Series> lines;
    if (dungeon >= 0) {
        for (RecordSeries &series : m_records.series(dungeon))
            lines.push_back(ScoreChart::Series{ReplayRecords::charaGroupName(series.chara),
                                               ScoreChart::charaColor(series.chara), std::move(series.points)});
    }
    ImgScoreChart->setChart(dungeon >= 0 ? ReplayRecords::dungeonGroupName(dungeon) : QString(), std::move(lines));
}
