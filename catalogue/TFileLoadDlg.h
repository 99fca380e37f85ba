#pragma once

#include "catalogue/FolderScan.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

// Small borderless box shown while a folder is read: heading, current file
// name, progress bar and "k / n" count.
class TFileLoadDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFileLoadDlg(QWidget *parent = nullptr);

    // Replaces the caption of Label1, widening it to fit the text.
    void setHeading(const QString &heading);
    // The count and the file being read. A count too wide for its label
    // takes room from the bar's right end; a long file name is shortened
    // in its middle.
    void showStep(const QString &countText, const QString &fileName);

    // Adds BtnCancel below the bar (file work can be stopped), the box
    // growing to hold it.
    QPushButton *addCancelButton();

    // Escape presses BtnCancel where there is one; the box never closes itself.
    void reject() override;

    QLabel *Label1;
    QLabel *Label2;
    QLabel *LblFileCnt;
    QLabel *LblLoadFileName;
    QProgressBar *PbrFileLoad;
    QPushButton *BtnCancel = nullptr;

private:
    QFrame *m_bevel;
};

// Shows a TFileLoadDlg centred on the main window for the length of one scan,
// with the main window disabled meanwhile, and keeps it drawn.
class FileLoadProgress : public ScanProgress {
public:
    explicit FileLoadProgress(QWidget *mainWindow);
    ~FileLoadProgress() override;

    void start(int maximum, const QString &heading) override;
    void step(int position, const QString &countText, const QString &fileName) override;
    void waiting() override;
    void finish() override;

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<TFileLoadDlg> m_dialog; // exists from start() to finish()
    int m_maximum = 0;
    QElapsedTimer m_sinceRedraw;
};
