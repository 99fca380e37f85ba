#pragma once

#include "operations/CopyTargetQuery.h"
#include "operations/FixedDialog.h"

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The copy dialog. Name entry (a copy into the storage folder): the user types
// the new file name. Slot choice (a copy into the game folder): the user picks
// one of the ten slots and sees what it holds now, which the copy replaces.
// It is given the request and gives back the destination file name; its
// messages go through the prompter.
class TReplayCopyForm1 : public FixedDialog {
    Q_OBJECT
public:
    TReplayCopyForm1(const CopyTargetRequest &request, Prompter &prompter, QWidget *parent = nullptr);

    bool OkFlag() const { return m_okFlag; }
    bool SlotMode() const { return m_request.slotMode; }
    // The destination file name without folder; empty until OK was accepted.
    const QString &CopySakiFileName() const { return m_copySakiFileName; }
    // CopySakiFileName once OK was accepted, else nothing.
    std::optional<QString> result() const;
    // The name as typed in name entry (".dat" not added).
    QString typedName() const;

    void CmbCopySakiFileNameChange();
    void BtnOkClick();
    void BtnCancelClick();

    QLabel *Label1;
    QLabel *LblCopyMotoName;
    QLabel *Label2;
    QLineEdit *EdtCopySakiFileName;
    QComboBox *CmbCopySakiFileName;
    QLabel *Label3;
    QLabel *LblDungeonName;
    QLabel *LblKaisu;
    QLabel *Label4;
    QLabel *LblCharaName;
    QLabel *Label6;
    QLabel *LblScore;
    QLabel *Label5;
    QLabel *LblPlayerName;
    // Name entry only: a note when the replay is already in the storage
    // folder, naming the file; the copy goes ahead all the same.
    QLabel *LblStoredNote;
    // Name entry only, when the request has one: puts the template's name in the box.
    QPushButton *BtnTemplateName;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;

private:
    void FormShow();
    void showSlot(int slot);
    void showStoredNote();
    // Shows a refusal through the prompter; false when message is empty.
    bool refuse(const QString &message);

    CopyTargetRequest m_request;
    Prompter &m_prompter;
    bool m_okFlag = false;
    QString m_copySakiFileName;
};
