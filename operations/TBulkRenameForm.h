#pragma once

#include "operations/BulkRenameQuery.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// The preview of a bulk rename: each file's name now and the name it gets,
// numbered names flagged. It is given the rows and gives back whether the
// user chose to rename.
class TBulkRenameForm : public QDialog {
    Q_OBJECT
public:
    enum Column { OldNameColumn, NewNameColumn, NoteColumn, ColumnCount };

    TBulkRenameForm(const BulkRenameQuery &query, QWidget *parent = nullptr);

    bool applyRequested() const { return m_apply; }

    QLabel *LblBulkRenameInfo;
    QTreeWidget *TvBulkRename;
    QPushButton *BtnBulkRenameApply;
    QPushButton *BtnCancel;

private:
    bool m_apply = false;
};
