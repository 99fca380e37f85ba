#include "operations/TReplayCopyForm1.h"

#include "operations/CopyTargetName.h"
#include "platform/WidgetKit.h"
#include "platform/PlainToolTip.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString slotName(int slot)
{
    return QStringLiteral("qv_replay%1.dat").arg(slot);
}

} // namespace

TReplayCopyForm1::TReplayCopyForm1(const CopyTargetRequest &request, Prompter &prompter, QWidget *parent)
    : FixedDialog("ReplayCopyForm1", QStringLiteral("リプレイファイルコピー"), QSize(357, 176), parent),
      m_request(request),
      m_prompter(prompter)
{
    Label1 = makeLabel("Label1", QStringLiteral("コピーするファイル"), 16, 16);
    LblCopyMotoName = makeValueLabel("LblCopyMotoName", QRect(128, 16, 201, 12));
    Label2 = makeLabel("Label2", QStringLiteral("コピー後のファイル名"), 16, 48);

    EdtCopySakiFileName = new QLineEdit(this);
    EdtCopySakiFileName->setObjectName(QStringLiteral("EdtCopySakiFileName"));
    EdtCopySakiFileName->setGeometry(56, 64, 273, 20);
    EdtCopySakiFileName->hide();

    CmbCopySakiFileName = new QComboBox(this);
    CmbCopySakiFileName->setObjectName(QStringLiteral("CmbCopySakiFileName"));
    CmbCopySakiFileName->setEditable(false);
    CmbCopySakiFileName->setGeometry(104, 64, 169, 20);
    for (int slot = 0; slot < int(m_request.slotTexts.size()); ++slot)
        CmbCopySakiFileName->addItem(slotName(slot));
    CmbCopySakiFileName->setCurrentIndex(0);
    CmbCopySakiFileName->hide();

    Label3 = makeLabel("Label3", QStringLiteral("ダンジョン名："), 16, 88);
    LblDungeonName = makeValueLabel("LblDungeonName", QRect(96, 88, 121, 12));
    LblKaisu = makeValueLabel("LblKaisu", QRect(224, 88, 51, 12));
    Label4 = makeLabel("Label4", QStringLiteral("使用キャラ："), 16, 104);
    LblCharaName = makeValueLabel("LblCharaName", QRect(96, 104, 81, 12));
    Label6 = makeLabel("Label6", QStringLiteral("スコア："), 224, 104);
    LblScore = makeValueLabel("LblScore", QRect(264, 104, 57, 12));
    LblScore->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label5 = makeLabel("Label5", QStringLiteral("プレイヤー名："), 16, 120);
    LblPlayerName = makeValueLabel("LblPlayerName", QRect(96, 120, 233, 12));
    for (QLabel *label : {Label3, LblDungeonName, LblKaisu, Label4, LblCharaName, Label6, LblScore, Label5, LblPlayerName})
        label->hide();

    LblStoredNote = new QLabel(this);
    LblStoredNote->setObjectName(QStringLiteral("LblStoredNote"));
    LblStoredNote->setTextFormat(Qt::PlainText);
    LblStoredNote->setGeometry(16, 116, 325, 20);
    LblStoredNote->hide();

    BtnTemplateName = makeButton("BtnTemplateName", QStringLiteral("形式で命名"), QRect(240, 64, 89, 20));
    BtnTemplateName->setToolTip(QStringLiteral("格納ファイル名の形式（設定メニュー）で作った名前を入れます"));
    BtnTemplateName->setAutoDefault(false);
    BtnTemplateName->hide();
    connect(BtnTemplateName, &QPushButton::clicked, this, [this] {
        EdtCopySakiFileName->setText(m_request.templateName);
        EdtCopySakiFileName->setFocus();
    });

    BtnOk = makeButton("BtnOk", QStringLiteral("Ｏ　Ｋ"), QRect(56, 144, 89, 25));
    BtnOk->setDefault(true);
    BtnCancel = makeButton("BtnCancel", QStringLiteral("キャンセル"), QRect(216, 144, 89, 25));
    BtnCancel->setAutoDefault(false);

    setTabOrder(EdtCopySakiFileName, CmbCopySakiFileName);
    setTabOrder(CmbCopySakiFileName, BtnOk);
    setTabOrder(BtnOk, BtnCancel);
    setTabOrder(BtnCancel, BtnTemplateName); // after the dialog's own order

    connect(CmbCopySakiFileName, &QComboBox::currentIndexChanged, this, &TReplayCopyForm1::CmbCopySakiFileNameChange);
    connect(BtnOk, &QPushButton::clicked, this, &TReplayCopyForm1::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TReplayCopyForm1::BtnCancelClick);

    WidgetKit::setNameText(LblCopyMotoName, m_request.sourceName, Qt::ElideMiddle);
    FormShow();
}

// The layout depends only on the request, so it is arranged once, before the
// dialog is first shown.
void TReplayCopyForm1::FormShow()
{
    if (!m_request.slotMode) {
        Label1->move(Label1->x(), 32);
        LblCopyMotoName->move(LblCopyMotoName->x(), 32);
        Label2->move(Label2->x(), 72);
        EdtCopySakiFileName->move(EdtCopySakiFileName->x(), 88);
        EdtCopySakiFileName->setText(m_request.typedName); // back from a declined replace: the name stays
        EdtCopySakiFileName->show();
        EdtCopySakiFileName->setFocus();
        BtnTemplateName->setVisible(!m_request.templateName.isEmpty());
        showStoredNote();
        return;
    }
    if (m_request.slot > 0 && m_request.slot < CmbCopySakiFileName->count())
        CmbCopySakiFileName->setCurrentIndex(m_request.slot); // shows that slot
    else
        showSlot(0);
    for (QWidget *widget : std::initializer_list<QWidget *>{Label3, Label4, Label5, Label6, LblDungeonName, LblKaisu,
                                                            LblCharaName, LblScore, LblPlayerName, CmbCopySakiFileName})
        widget->show();
    CmbCopySakiFileName->setFocus();
}

void TReplayCopyForm1::showStoredNote()
{
    const QStringList &names = m_request.storedNames;
    if (names.isEmpty())
        return;
    const QString more = names.size() > 1 ? QStringLiteral("ほか %1 件").arg(names.size() - 1) : QString();
    const QString pattern = QStringLiteral("このリプレイは「%1」%2として格納済みです。");
    // A long name gives way, never the rest of the sentence.
    const QFontMetrics metrics(LblStoredNote->font());
    const int room = LblStoredNote->width() - metrics.horizontalAdvance(pattern.arg(QString(), more));
    const QString name = metrics.elidedText(names.first(), Qt::ElideMiddle, qMax(room, 40));
    LblStoredNote->setText(pattern.arg(name, more));
    LblStoredNote->setToolTip(plainToolTip(QStringLiteral("格納済み：\n") + names.join(QLatin1Char('\n'))));
    LblStoredNote->show();
}

void TReplayCopyForm1::showSlot(int slot)
{
    const SlotSummary empty;
    const SlotSummary &info = slot >= 0 && slot < int(m_request.slotTexts.size()) ? m_request.slotTexts[size_t(slot)] : empty;
    LblDungeonName->setText(info.dungeon);
    // A number is never cut: its label widens as far as it needs.
    WidgetKit::setWholeText(LblKaisu, info.floors);
    LblCharaName->setText(info.chara);
    WidgetKit::setWholeText(LblScore, info.score);
    WidgetKit::setNameText(LblPlayerName, info.player);
}

void TReplayCopyForm1::CmbCopySakiFileNameChange()
{
    showSlot(CmbCopySakiFileName->currentIndex());
}

bool TReplayCopyForm1::refuse(const QString &message)
{
    if (message.isEmpty())
        return false;
    m_prompter.error(this, message);
    return true;
}

void TReplayCopyForm1::BtnOkClick()
{
    QString fileName;
    if (m_request.slotMode) {
        fileName = slotName(CmbCopySakiFileName->currentIndex());
    } else {
        const QString typed = EdtCopySakiFileName->text();
        if (typed.isEmpty()) {
            m_prompter.error(this, QStringLiteral("ファイル名が入力されていません。"));
            return;
        }
        if (refuse(typedNameRefusal(typed)))
            return;
        fileName = copyTargetFileName(typed);
    }
    if (refuse(destinationRefusal(m_request.destinationDir + fileName, m_request.sourcePath)))
        return;
    m_copySakiFileName = fileName;
    m_okFlag = true;
    accept();
}

void TReplayCopyForm1::BtnCancelClick()
{
    reject();
}

std::optional<QString> TReplayCopyForm1::result() const
{
    if (!m_okFlag)
        return std::nullopt;
    return m_copySakiFileName;
}

QString TReplayCopyForm1::typedName() const
{
    return m_request.slotMode ? QString() : EdtCopySakiFileName->text();
}
