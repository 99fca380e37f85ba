#include "operations/TReplayInfoExInputForm.h"

#include "platform/WidgetKit.h"
#include "replay/ReplayInfo.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextCursor>

namespace {

QLabel *makeNote(QWidget *parent, const char *name, const QRect &geometry)
{
    return WidgetKit::valueLabel(parent, name, geometry, Qt::darkRed);
}

// What is left of a field, under its right end.
QLabel *makeCount(QWidget *parent, const char *name, const QRect &geometry)
{
    QLabel *count = WidgetKit::label(parent, name, QString(), geometry);
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return count;
}

} // namespace

TReplayInfoExInputForm::TReplayInfoExInputForm(const ReplayTextRequest &request, QWidget *parent)
    : FixedDialog("ReplayInfoExInputForm", QStringLiteral("プレイヤー名・コメント入力"), QSize(551, 245), parent),
      m_nameLimit(request.playerName, PlayerNameSize, false),
      m_commentLimit(request.comment, CommentSize, true)
{
    Label3 = makeLabel("Label3", QStringLiteral("ファイル名："), 24, 24);
    LblFileName = makeValueLabel("LblFileName", QRect(104, 24, 425, 12));
    WidgetKit::setNameText(LblFileName, request.fileName, Qt::ElideMiddle);

    Label1 = makeLabel("Label1", QStringLiteral("プレイヤー名"), 24, 56);
    EdtPlayerName = new QLineEdit(this);
    EdtPlayerName->setObjectName(QStringLiteral("EdtPlayerName"));
    EdtPlayerName->setGeometry(104, 52, 233, 20);
    // Every character takes at least one byte; the byte limit is kept below.
    EdtPlayerName->setMaxLength(PlayerNameSize);
    LblPlayerNameNote = makeNote(this, "LblPlayerNameNote", QRect(104, 76, 220, 12));
    LblPlayerNameLeft = makeCount(this, "LblPlayerNameLeft", QRect(332, 76, 189, 12));

    Label2 = makeLabel("Label2", QStringLiteral("コメント"), 24, 96);
    MemComment = new QPlainTextEdit(this);
    MemComment->setObjectName(QStringLiteral("MemComment"));
    MemComment->setGeometry(104, 96, 417, 97);
    MemComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemComment->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemComment->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemComment->setTabChangesFocus(true);
    LblCommentNote = makeNote(this, "LblCommentNote", QRect(104, 195, 220, 12));
    LblCommentLeft = makeCount(this, "LblCommentLeft", QRect(332, 195, 189, 12));

    BtnOk = makeButton("BtnOk", QStringLiteral("Ｏ　Ｋ"), QRect(120, 208, 97, 25));
    BtnOk->setDefault(true);
    BtnCancel = makeButton("BtnCancel", QStringLiteral("キャンセル"), QRect(336, 208, 97, 25));
    BtnCancel->setAutoDefault(false);

    setTabOrder(EdtPlayerName, MemComment);
    setTabOrder(MemComment, BtnOk);
    setTabOrder(BtnOk, BtnCancel);

    // What the widgets show for the stored texts counts as unchanged.
    EdtPlayerName->setText(m_nameLimit.shownText());
    MemComment->setPlainText(m_commentLimit.shownText());
    m_lastName = EdtPlayerName->text();
    m_lastComment = MemComment->toPlainText();
    m_nameLimit.setInitialShown(m_lastName);
    m_commentLimit.setInitialShown(m_lastComment);
    showLeft(LblPlayerNameLeft, m_nameLimit, m_lastName);
    showLeft(LblCommentLeft, m_commentLimit, m_lastComment);
    EdtPlayerName->setFocus();

    connect(EdtPlayerName, &QLineEdit::textChanged, this, &TReplayInfoExInputForm::playerNameChanged);
    connect(MemComment, &QPlainTextEdit::textChanged, this, &TReplayInfoExInputForm::commentChanged);
    connect(BtnOk, &QPushButton::clicked, this, &TReplayInfoExInputForm::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TReplayInfoExInputForm::BtnCancelClick);
}

void TReplayInfoExInputForm::showNote(QLabel *note, const ShiftJisFieldLimit::Fit &fit)
{
    // A warning stays until the next edit that is taken as typed.
    if (fit.refused)
        note->setText(QStringLiteral("Shift-JISで表せない文字は入力できません。"));
    else if (fit.cut)
        note->setText(QStringLiteral("これ以上は入力できません。"));
    else
        note->clear();
}

void TReplayInfoExInputForm::showLeft(QLabel *count, const ShiftJisFieldLimit &limit, const QString &text)
{
    // Counted the way the player counts: a full-width character takes two
    // of the field's bytes, a half-width one one.
    const int left = qMax(0, limit.maxBytes() - int(limit.bytesFor(text).size()));
    count->setText(QStringLiteral("残り：全角%1文字（半角%2文字）").arg(left / 2).arg(left));
}

void TReplayInfoExInputForm::playerNameChanged()
{
    if (m_fixing)
        return;
    const ShiftJisFieldLimit::Fit fit = m_nameLimit.fit(m_lastName, EdtPlayerName->text());
    if (fit.changed) {
        QScopedValueRollback<bool> fixing(m_fixing, true);
        EdtPlayerName->setText(fit.text);
        EdtPlayerName->setCursorPosition(fit.cursor);
    }
    m_lastName = EdtPlayerName->text();
    showNote(LblPlayerNameNote, fit);
    showLeft(LblPlayerNameLeft, m_nameLimit, m_lastName);
}

void TReplayInfoExInputForm::commentChanged()
{
    if (m_fixing)
        return;
    const QString edited = MemComment->toPlainText();
    if (edited == m_lastComment)
        return; // a change of format only
    const ShiftJisFieldLimit::Fit fit = m_commentLimit.fit(m_lastComment, edited);
    if (fit.changed) {
        // Replace only the inserted stretch, so the view keeps its place.
        QScopedValueRollback<bool> fixing(m_fixing, true);
        QTextCursor cursor(MemComment->document());
        cursor.setPosition(fit.start);
        cursor.setPosition(fit.end, QTextCursor::KeepAnchor);
        cursor.insertText(fit.kept);
        MemComment->setTextCursor(cursor);
    }
    m_lastComment = MemComment->toPlainText();
    showNote(LblCommentNote, fit);
    showLeft(LblCommentLeft, m_commentLimit, m_lastComment);
}

ReplayTextAnswer TReplayInfoExInputForm::texts() const
{
    return ReplayTextAnswer{m_nameLimit.bytesFor(EdtPlayerName->text()),
                            m_commentLimit.bytesFor(MemComment->toPlainText())};
}

void TReplayInfoExInputForm::BtnOkClick()
{
    m_okFlag = true;
    accept();
}

void TReplayInfoExInputForm::BtnCancelClick()
{
    reject();
}

std::optional<ReplayTextAnswer> TReplayInfoExInputForm::result() const
{
    if (!m_okFlag)
        return std::nullopt;
    return texts();
}
