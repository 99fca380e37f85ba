#pragma once

#include "operations/FixedDialog.h"
#include "operations/ReplayTextQuery.h"
#include "operations/ShiftJisFieldLimit.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The player name and comment dialog. The fields take no more than the 30 and
// 1024 bytes of Shift-JIS text that the replay stores: input beyond the limit
// is cut at a character boundary and characters without a Shift-JIS form are
// refused, each with a short note under the field, which goes once the next
// edit is taken as typed. What is left of each field is counted under it.
// It is given the stored bytes and gives back the bytes to store.
class TReplayInfoExInputForm : public FixedDialog {
    Q_OBJECT
public:
    explicit TReplayInfoExInputForm(const ReplayTextRequest &request, QWidget *parent = nullptr);

    bool OkFlag() const { return m_okFlag; }
    // The bytes to store for what the fields show now.
    ReplayTextAnswer texts() const;
    // texts() once OK was pressed, else nothing.
    std::optional<ReplayTextAnswer> result() const;

    void BtnOkClick();
    void BtnCancelClick();

    QLabel *Label3;
    QLabel *LblFileName;
    QLabel *Label1;
    QLineEdit *EdtPlayerName;
    QLabel *LblPlayerNameNote;
    QLabel *LblPlayerNameLeft; // "残り：全角15文字（半角30文字）"
    QLabel *Label2;
    QPlainTextEdit *MemComment;
    QLabel *LblCommentNote;
    QLabel *LblCommentLeft;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;

private:
    void playerNameChanged();
    void commentChanged();
    void showNote(QLabel *note, const ShiftJisFieldLimit::Fit &fit);
    static void showLeft(QLabel *count, const ShiftJisFieldLimit &limit, const QString &text);

    ShiftJisFieldLimit m_nameLimit;
    ShiftJisFieldLimit m_commentLimit;
    QString m_lastName;    // the name as last accepted
    QString m_lastComment; // the comment as last accepted
    bool m_fixing = false; // true while an edit is being trimmed
    bool m_okFlag = false;
};
