#pragma once

#include <QApplication>

class Prompter;

// The application object: an exception that escapes an event handler is shown
// in an error box and the program goes on with the next event.
class QvApplication : public QApplication {
public:
    QvApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Where the error box goes; without one (the default) a message box with
    // the stop icon titled with the application's display name is shown.
    // The prompter is not owned and must outlive its use.
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    // Shows text in the error box.
    void showError(const QString &text);

private:
    Prompter *m_prompter = nullptr;
    bool m_showing = false;
};
