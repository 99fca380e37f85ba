#pragma once

#include "operations/DuplicateFinder.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// The list of identical replays in the storage folder: one branch per group,
// its files with player name, size and modification time, the file kept (the
// oldest) first. It is given the groups and gives back whether the user asked
// to mark all but the oldest of each group for deletion; the deletion itself
// is reviewed and carried out in the main window.
class TDuplicateForm : public QDialog {
    Q_OBJECT
public:
    // Columns of the list.
    enum Column { FileNameColumn, PlayerColumn, SizeColumn, ModifiedColumn, StateColumn, ColumnCount };

    explicit TDuplicateForm(const DuplicateGroups &groups, QWidget *parent = nullptr);

    // True once "mark" was pressed (the dialog then closed).
    bool markRequested() const { return m_mark; }

    // "12,345 バイト" and "2024/05/01 21:03:09" (local time), as listed.
    static QString sizeText(qint64 size);
    static QString modifiedText(const QDateTime &modified);

    QLabel *LblDuplicateInfo;
    QTreeWidget *TvDuplicates;
    QLabel *LblDuplicateCount;
    QPushButton *BtnMarkDuplicates;
    QPushButton *BtnClose;

private:
    bool m_mark = false;
};
