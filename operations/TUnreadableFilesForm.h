#pragma once

#include "operations/FixedDialog.h"
#include "operations/UnreadableFilesQuery.h"

#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

// The list of the storage folder's files that could not be read as replays:
// name and reason of each. The user may move selected files to the trash or
// have every name that is not UTF-8 renamed; the dialog only says which, the
// window's command does it. It is given the request and gives back the
// answer.
class TUnreadableFilesForm : public FixedDialog {
    Q_OBJECT
public:
    // Shown after a name that is not UTF-8, which is shown decoded.
    static const QString &decodedMark();

    explicit TUnreadableFilesForm(const UnreadableFilesRequest &request, QWidget *parent = nullptr);

    // The user's choice once a command button was pressed, else nothing.
    std::optional<UnreadableFilesAnswer> result() const { return m_answer; }

    void BtnTrashClick();
    void BtnRenameNamesClick();

    QLabel *Label1;
    QLabel *LblFolder;
    QTableWidget *StgUnreadableTbl;
    QLabel *LblNote;
    QPushButton *BtnTrash;
    QPushButton *BtnRenameNames;
    QPushButton *BtnClose;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateButtons();

    UnreadableFilesRequest m_request;
    std::optional<UnreadableFilesAnswer> m_answer;
};
