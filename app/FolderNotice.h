#pragma once

#include "catalogue/FolderSnapshot.h"

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;

// Says over a table why it is empty when its folder is missing or cannot be
// read, with a button that lets the user choose another folder. It sits in
// the middle of the table's viewport, so the window's layout stays as it is.
class FolderNotice : public QFrame {
    Q_OBJECT
public:
    explicit FolderNotice(QWidget *viewport);

    // Shows the notice for a folder in this state, or hides it for one that is there.
    void showFor(FolderSnapshot::State state, const QString &dir);
    // A problem with a folder that is there (auto-store could not write to
    // it), said until it is cleared with an empty text; a missing or
    // unreadable folder is said first.
    void setProblem(const QString &text);
    // The notice's line with the whole path; empty while hidden.
    const QString &text() const { return m_text; }

    QPushButton *BtnChooseFolder;

signals:
    void chooseFolder();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void refresh();

    QLabel *m_label;
    QString m_text;
    QString m_stateText;
    QString m_problem;
};
