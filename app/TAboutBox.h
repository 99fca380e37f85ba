#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The version box: names the program and its version. Fixed size, centred on
// the screen; OKButton (the default button) closes it with Accepted.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    // Fills the box at once, as setTexts does.
    TAboutBox(const QString &productName, const QString &versionText, QWidget *parent = nullptr);

    // ProductName shows productName, Version shows "Version " + versionText.
    void setTexts(const QString &productName, const QString &versionText);

    QFrame *Panel1;
    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QPushButton *OKButton;

protected:
    void showEvent(QShowEvent *event) override;
};
