#include "operations/TDuplicateForm.h"

#include "platform/WindowFont.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TDuplicateForm::TDuplicateForm(const DuplicateGroups &groups, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TDuplicateForm"));
    setWindowTitle(QStringLiteral("重複ファイルの検出"));
    setFont(windowFont());
    setModal(true);
    resize(720, 420);

    auto *layout = new QVBoxLayout(this);
    LblDuplicateInfo = new QLabel(
        QStringLiteral("同じリプレイが入っているファイルです（リプレイのデータをバイト単位で比較済み）。"
                       "各グループで更新日時の最も古いファイルを残し、ほかに削除マークを付けられます。"
                       "削除は本体の「削除　実行」で確認してから行います。"),
        this);
    LblDuplicateInfo->setObjectName(QStringLiteral("LblDuplicateInfo"));
    LblDuplicateInfo->setTextFormat(Qt::PlainText);
    LblDuplicateInfo->setWordWrap(true);
    layout->addWidget(LblDuplicateInfo);

    TvDuplicates = new QTreeWidget(this);
    TvDuplicates->setObjectName(QStringLiteral("TvDuplicates"));
    TvDuplicates->setColumnCount(ColumnCount);
    TvDuplicates->setHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("プレイヤー名"), QStringLiteral("サイズ"),
                                   QStringLiteral("更新日時"), QString()});
    TvDuplicates->setRootIsDecorated(true);
    TvDuplicates->setUniformRowHeights(true);
    TvDuplicates->setSelectionMode(QAbstractItemView::NoSelection);
    TvDuplicates->setWordWrap(false);
    layout->addWidget(TvDuplicates, 1);

    int toMark = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        const std::vector<DuplicateFile> &files = groups[g].files;
        auto *branch = new QTreeWidgetItem(TvDuplicates);
        branch->setText(FileNameColumn,
                        QStringLiteral("グループ %1（%2 ファイル）").arg(g + 1).arg(files.size()));
        branch->setFirstColumnSpanned(true);
        for (size_t i = 0; i < files.size(); ++i) {
            const DuplicateFile &file = files[i];
            auto *item = new QTreeWidgetItem(branch);
            item->setText(FileNameColumn, file.fileName);
            item->setText(PlayerColumn, file.playerName);
            item->setText(SizeColumn, sizeText(file.size));
            item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
            item->setText(ModifiedColumn, modifiedText(file.modified));
            item->setText(StateColumn, i == 0 ? QStringLiteral("残す（最も古い）") : QStringLiteral("削除マーク"));
            if (i > 0)
                ++toMark;
        }
    }
    TvDuplicates->expandAll();
    for (int c = 0; c < ColumnCount; ++c)
        TvDuplicates->resizeColumnToContents(c);

    LblDuplicateCount = new QLabel(
        QStringLiteral("%1 グループ、削除マークを付けるファイル %2 件").arg(groups.size()).arg(toMark), this);
    LblDuplicateCount->setObjectName(QStringLiteral("LblDuplicateCount"));
    layout->addWidget(LblDuplicateCount);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BtnMarkDuplicates = new QPushButton(QStringLiteral("最も古いもの以外に削除マークを付ける"), this);
    BtnMarkDuplicates->setObjectName(QStringLiteral("BtnMarkDuplicates"));
    BtnMarkDuplicates->setEnabled(toMark > 0);
    BtnClose = new QPushButton(QStringLiteral("閉じる"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setDefault(true);
    buttons->addWidget(BtnMarkDuplicates);
    buttons->addWidget(BtnClose);
    layout->addLayout(buttons);

    connect(BtnMarkDuplicates, &QPushButton::clicked, this, [this] {
        m_mark = true;
        accept();
    });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

QString TDuplicateForm::sizeText(qint64 size)
{
    QLocale grouped = QLocale::c();
    grouped.setNumberOptions({});
    return QStringLiteral("%1 バイト").arg(grouped.toString(size));
}

QString TDuplicateForm::modifiedText(const QDateTime &modified)
{
    return modified.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}
