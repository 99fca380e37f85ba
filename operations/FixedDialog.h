#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Base of the command dialogs: a modal dialog with a fixed border and a
// client area placed by pixel in the window font, centred on the window that
// opens it. Escape cancels it, as the close box and Cancel do.
class FixedDialog : public QDialog {
    Q_OBJECT
public:
    FixedDialog(const char *name, const QString &caption, const QSize &clientSize, QWidget *parent);

protected:
    // A label sized to its caption.
    QLabel *makeLabel(const char *name, const QString &caption, int left, int top);
    // A value label of fixed size with blue text.
    QLabel *makeValueLabel(const char *name, const QRect &geometry);
    QPushButton *makeButton(const char *name, const QString &caption, const QRect &geometry);

    void showEvent(QShowEvent *event) override;
};
