#include "operations/TUnreadableFilesForm.h"

#include "platform/WidgetKit.h"
#include "platform/PlainToolTip.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int ClientWidth = 600;
constexpr int RowHeight = 20;

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

const QString &TUnreadableFilesForm::decodedMark()
{
    static const QString text = QStringLiteral("（Shift-JIS）");
    return text;
}

TUnreadableFilesForm::TUnreadableFilesForm(const UnreadableFilesRequest &request, QWidget *parent)
    : FixedDialog("UnreadableFilesForm", QStringLiteral("読み込めないファイル"), QSize(ClientWidth, 380), parent),
      m_request(request)
{
    Label1 = makeLabel("Label1", QStringLiteral("格納フォルダの次のファイルは、リプレイとして読み込めませんでした。"), 8, 8);
    LblFolder = makeValueLabel("LblFolder", QRect(8, 26, ClientWidth - 16, 14));
    WidgetKit::setNameText(LblFolder, request.folder, Qt::ElideMiddle);
    LblFolder->setToolTip(plainToolTip(request.folder));

    StgUnreadableTbl = new QTableWidget(int(request.files.size()), 2, this);
    StgUnreadableTbl->setObjectName(QStringLiteral("StgUnreadableTbl"));
    StgUnreadableTbl->setGeometry(8, 46, ClientWidth - 16, 250);
    StgUnreadableTbl->setHorizontalHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("理由")});
    StgUnreadableTbl->setSelectionBehavior(QAbstractItemView::SelectRows);
    StgUnreadableTbl->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StgUnreadableTbl->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StgUnreadableTbl->setWordWrap(false);
    StgUnreadableTbl->setTabKeyNavigation(false);
    StgUnreadableTbl->verticalHeader()->hide();
    StgUnreadableTbl->verticalHeader()->setDefaultSectionSize(RowHeight);
    StgUnreadableTbl->horizontalHeader()->setFixedHeight(RowHeight);
    StgUnreadableTbl->horizontalHeader()->setHighlightSections(false);
    StgUnreadableTbl->setColumnWidth(0, 230);
    StgUnreadableTbl->horizontalHeader()->setStretchLastSection(true);
    bool anyDecoded = false;
    bool anyRenamable = false;
    for (int r = 0; r < request.files.size(); ++r) {
        const UnreadableFileRow &file = request.files[r];
        auto *name = new QTableWidgetItem(file.nameNotUtf8 ? file.name + decodedMark() : file.name);
        QString tip = file.name;
        if (file.nameNotUtf8) {
            tip += QStringLiteral("\n元の名前のバイト列：%1\n").arg(hexBytes(file.nameBytes));
            tip += file.newName.isEmpty() ? QStringLiteral("Shift-JIS として正しく読めないため、名前を変換できません。")
                                          : QStringLiteral("名前を変換すると「%1」になります。").arg(file.newName);
        }
        name->setToolTip(plainToolTip(tip));
        auto *reason = new QTableWidgetItem(file.reason);
        reason->setToolTip(plainToolTip(file.reason));
        StgUnreadableTbl->setItem(r, 0, name);
        StgUnreadableTbl->setItem(r, 1, reason);
        anyDecoded = anyDecoded || file.nameNotUtf8;
        anyRenamable = anyRenamable || !file.newName.isEmpty();
    }
    for (int r : request.selected) {
        if (r >= 0 && r < request.files.size())
            StgUnreadableTbl->selectionModel()->select(StgUnreadableTbl->model()->index(r, 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (const QModelIndexList rows = StgUnreadableTbl->selectionModel()->selectedRows(); !rows.isEmpty())
        StgUnreadableTbl->scrollTo(rows.first());

    LblNote = new QLabel(this);
    LblNote->setObjectName(QStringLiteral("LblNote"));
    LblNote->setTextFormat(Qt::PlainText);
    LblNote->setWordWrap(true);
    LblNote->setGeometry(8, 300, ClientWidth - 16, 30);
    QStringList notes;
    if (anyDecoded)
        notes << QStringLiteral("%1：名前が UTF-8 ではないため、Shift-JIS として読んだ名前です。"
                                "「名前を変換」でこの名前に変更すると、ほかのファイルと同じように読み込みます。")
                     .arg(decodedMark());
    if (!request.canChange)
        notes << QStringLiteral("削除モード中は、ごみ箱への移動と名前の変換はできません。");
    LblNote->setText(notes.join(QLatin1Char('\n')));

    BtnTrash = makeButton("BtnTrash", QStringLiteral("ごみ箱に移動"), QRect(8, 338, 153, 33));
    BtnRenameNames = makeButton("BtnRenameNames", QStringLiteral("名前を変換"), QRect(169, 338, 153, 33));
    BtnClose = makeButton("BtnClose", QStringLiteral("閉じる"), QRect(ClientWidth - 8 - 153, 338, 153, 33));
    BtnTrash->setToolTip(QStringLiteral("選択したファイルをごみ箱に移動します"));
    BtnRenameNames->setToolTip(QStringLiteral("UTF-8 ではない名前をすべて、Shift-JIS として読んだ名前に変更します"));
    for (QPushButton *button : {BtnTrash, BtnRenameNames, BtnClose})
        button->setAutoDefault(false);
    BtnClose->setDefault(true);
    BtnRenameNames->setEnabled(request.canChange && anyRenamable);
    connect(BtnTrash, &QPushButton::clicked, this, &TUnreadableFilesForm::BtnTrashClick);
    connect(BtnRenameNames, &QPushButton::clicked, this, &TUnreadableFilesForm::BtnRenameNamesClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(StgUnreadableTbl->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TUnreadableFilesForm::updateButtons);
    updateButtons();
    StgUnreadableTbl->setFocus();
}

void TUnreadableFilesForm::updateButtons()
{
    BtnTrash->setEnabled(m_request.canChange && StgUnreadableTbl->selectionModel()->hasSelection());
}

void TUnreadableFilesForm::BtnTrashClick()
{
    if (!m_request.canChange)
        return;
    QList<int> rows;
    for (const QModelIndex &index : StgUnreadableTbl->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    m_answer = UnreadableFilesAnswer{UnreadableFilesAnswer::Action::Trash, rows};
    accept();
}

void TUnreadableFilesForm::BtnRenameNamesClick()
{
    if (!m_request.canChange)
        return;
    m_answer = UnreadableFilesAnswer{UnreadableFilesAnswer::Action::RenameNames, {}};
    accept();
}

void TUnreadableFilesForm::keyPressEvent(QKeyEvent *event)
{
    // A list, not a form to fill in: Escape closes it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reject();
        return;
    }
    FixedDialog::keyPressEvent(event);
}
