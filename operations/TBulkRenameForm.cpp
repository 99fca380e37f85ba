#include "operations/TBulkRenameForm.h"

#include "platform/WindowFont.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TBulkRenameForm::TBulkRenameForm(const BulkRenameQuery &query, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TBulkRenameForm"));
    setWindowTitle(QStringLiteral("名前の一括変更"));
    setFont(windowFont());
    setModal(true);
    resize(900, 460);

    auto *layout = new QVBoxLayout(this);
    int numbered = 0;
    for (const BulkRenameRow &row : query.rows)
        numbered += row.suffixed ? 1 : 0;
    QString info = QStringLiteral("表示中の %1 件のうち、次の %2 件の名前を変更します。")
                       .arg(query.rows.size() + query.unchanged)
                       .arg(query.rows.size());
    if (query.unchanged > 0)
        info += QStringLiteral("（%1 件は名前が変わりません）").arg(query.unchanged);
    if (numbered > 0)
        info += QStringLiteral("\n「番号付き」の %1 件は、同じ名前のファイルがあるため番号を付けます。").arg(numbered);
    info += QStringLiteral("\nほかのファイルを上書きすることはありません。");
    LblBulkRenameInfo = new QLabel(info, this);
    LblBulkRenameInfo->setObjectName(QStringLiteral("LblBulkRenameInfo"));
    LblBulkRenameInfo->setTextFormat(Qt::PlainText);
    LblBulkRenameInfo->setWordWrap(true);
    layout->addWidget(LblBulkRenameInfo);

    TvBulkRename = new QTreeWidget(this);
    TvBulkRename->setObjectName(QStringLiteral("TvBulkRename"));
    TvBulkRename->setColumnCount(ColumnCount);
    TvBulkRename->setHeaderLabels({QStringLiteral("今の名前"), QStringLiteral("新しい名前"), QString()});
    TvBulkRename->setRootIsDecorated(false);
    TvBulkRename->setUniformRowHeights(true);
    TvBulkRename->setSelectionMode(QAbstractItemView::NoSelection);
    TvBulkRename->setWordWrap(false);
    for (const BulkRenameRow &row : query.rows) {
        auto *item = new QTreeWidgetItem(TvBulkRename);
        item->setText(OldNameColumn, row.oldName);
        item->setText(NewNameColumn, row.newName);
        item->setToolTip(OldNameColumn, row.oldName);
        item->setToolTip(NewNameColumn, row.newName);
        if (row.suffixed) {
            item->setText(NoteColumn, QStringLiteral("番号付き"));
            item->setForeground(NoteColumn, Qt::darkRed);
        }
    }
    // Whole names, where the dialog has room for them.
    for (int column : {OldNameColumn, NewNameColumn}) {
        TvBulkRename->resizeColumnToContents(column);
        TvBulkRename->header()->resizeSection(column, qBound(120, TvBulkRename->columnWidth(column) + 16, 420));
    }
    layout->addWidget(TvBulkRename, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BtnBulkRenameApply = new QPushButton(QStringLiteral("名前を変更(&R)"), this);
    BtnBulkRenameApply->setObjectName(QStringLiteral("BtnBulkRenameApply"));
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setDefault(true);
    buttons->addWidget(BtnBulkRenameApply);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(BtnBulkRenameApply, &QPushButton::clicked, this, [this] {
        m_apply = true;
        accept();
    });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}
