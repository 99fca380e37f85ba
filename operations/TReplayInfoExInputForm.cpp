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

} // namespace

TReplayInfoExInputForm::TReplayInfoExInputForm(const ReplayTextRequest &request, QWidget *parent)
    : FixedDialog("ReplayInfoExInputForm", QStringLiteral("プレイヤー名・コメント入力"), QSize(551, 245), parent),
      m_nameLimit(request.playerName, PlayerNameSize, false),
      m_commentLimit(request.comment, CommentSize, true)
{
    Label3 = makeLabel("Label3", QStringLiteral("ファイル名："), 24, 24);
    LblFileName = makeValueLabel("LblFileName", QRect(104, 24, 425, 12));
    LblFileName->setText(request.fileName);

    Label1 = makeLabel("Label1", QStringLiteral("プレイヤー名"), 24, 56);
    EdtPlayerName = new QLineEdit(this);
    EdtPlayerName->setObjectName(QStringLiteral("EdtPlayerName"));
    EdtPlayerName->setGeometry(104, 52, 233, 20);
    // Every character takes at least one byte; the byte limit is kept below.
    EdtPlayerName->setMaxLength(PlayerNameSize);
    LblPlayerNameNote = makeNote(this, "LblPlayerNameNote", QRect(104, 76, 417, 12));

    Label2 = makeLabel("Label2", QStringLiteral("コメント"), 24, 96);
    MemComment = new QPlainTextEdit(this);
    MemComment->setObjectName(QStringLiteral("MemComment"));
    MemComment->setGeometry(104, 96, 417, 97);
    MemComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemComment->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemComment->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemComment->setTabChangesFocus(true);
    LblCommentNote = makeNote(this, "LblCommentNote", QRect(104, 195, 417, 12));

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
    EdtPlayerName->setFocus();

    connect(EdtPlayerName, &QLineEdit::textChanged, this, &TReplayInfoExInputForm::playerNameChanged);
    connect(MemComment, &QPlainTextEdit::textChanged, this, &TReplayInfoExInputForm::commentChanged);
    connect(BtnOk, &QPushButton::clicked, this, &TReplayInfoExInputForm::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TReplayInfoExInputForm::BtnCancelClick);
}

void TReplayInfoExInputForm::showNote(QLabel *note, const ShiftJisFieldLimit::Fit &fit, int maxBytes)
{
    if (fit.refused)
        note->setText(QStringLiteral("シフトJISで表せない文字は入力できません。"));
    else if (fit.cut)
        note->setText(QStringLiteral("これ以上は入力できません（最大 %1 バイト）。").arg(maxBytes));
    else if (fit.removed)
        note->clear(); // the user is making room; the note has been read
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
    showNote(LblPlayerNameNote, fit, m_nameLimit.maxBytes());
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
    showNote(LblCommentNote, fit, m_commentLimit.maxBytes());
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
