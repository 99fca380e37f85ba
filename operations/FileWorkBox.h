#pragma once

#include "operations/FileWorkRunner.h"

#include <QPointer>

class QWidget;
class TFileLoadDlg;

// The scans' progress box shown for file work (FileWorkRunner's display):
// centred on the main window, blocking every other window while it is up,
// with the heading, "k / n" and the name of the file worked on, on its bar
// the files done and the bytes of the one under way, and a Cancel that stops
// the work at the next file or chunk.
class FileWorkBox : public FileWorkDisplay {
public:
    explicit FileWorkBox(QWidget *mainWindow);
    ~FileWorkBox() override;

    void show(const QString &heading, const std::function<void()> &cancel) override;
    void update(int index, int count, const QString &name, qint64 done, qint64 total) override;
    void hide() override;

    // The box while it is shown, else null.
    TFileLoadDlg *dialog() const;

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<TFileLoadDlg> m_dialog;
};
