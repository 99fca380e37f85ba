#pragma once

#include "catalogue/FolderKind.h"
#include "catalogue/ReplayRecords.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QTimer;
class ReplayWorkspace;
class ScoreChart;

// The records of the collection, modeless beside the main window: the best
// score of every dungeon and character (double click: show that file in the
// main window), the runs per character and per dungeon, and a chart of the
// scores of one dungeon over play date. It follows every change of the
// workspace's folders while it is shown, and catches up when shown again.
class TRecordForm : public QWidget {
    Q_OBJECT
public:
    // Roles of the best table's cells: the folder of the best run's file
    // (folderIndex of its FolderKind) and its file name.
    static constexpr int TagRole = Qt::UserRole + 1;
    static constexpr int FileNameRole = Qt::UserRole + 2;

    explicit TRecordForm(const ReplayWorkspace &workspace, QWidget *parent = nullptr);

    // Computes the records again from the workspace and shows them.
    void refresh();
    const ReplayRecords &records() const { return m_records; }
    // The dungeon group the chart shows, or -1 when there is none.
    int chartDungeon() const;

    QTabWidget *PcRecord;
    QTableView *StgBestTbl;
    QTableView *StgCharaCountTbl;
    QTableView *StgDungeonCountTbl;
    QComboBox *CmbDungeon;
    ScoreChart *ImgScoreChart;
    QLabel *LblRecordCount;

signals:
    // The user asked to see this file of this folder in the main window.
    void replayChosen(FolderKind folder, const QString &fileName);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scheduleRefresh();
    void fillBest();
    void fillCounts();
    void fillDungeonChoice();
    void showChart();

    const ReplayWorkspace &m_workspace;
    ReplayRecords m_records;
    QStandardItemModel *m_bestModel;
    QStandardItemModel *m_charaModel;
    QStandardItemModel *m_dungeonModel;
    QTimer *m_refreshTimer;
    bool m_stale = true; // the workspace changed since the last refresh
};
