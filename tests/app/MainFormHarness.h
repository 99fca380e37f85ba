#pragma once

// What the main-window tests share: a game folder and a storage folder made
// by the replay maker, a settings file naming them, a scripted prompter, the
// window itself, and the clicks a user makes.

#include "app/FolderNotice.h"
#include "app/GamePage.h"
#include "app/StoragePage.h"
#include "app/TMainForm.h"
#include "operations/DeletionSession.h"
#include "operations/FileWorkRunner.h"
#include "catalogue/ReplayTableModel.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMetaType>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A storage replay: file name, score, character, dungeon; the player name is
// the file's base name, so the panel tells which replay it shows.
struct StorageFile {
    QString name;
    qint32 score = 0;
    qint32 chara = 0;
    qint32 dungeon = 0;
};

Q_DECLARE_METATYPE(StorageFile)

namespace MainFormTest {

inline const QString Caption = QStringLiteral("Tarnelリプレイファイル情報");
inline const QString GameKind = QStringLiteral("Tarnelリプレイフォルダ");
inline const QString StorageKind = QStringLiteral("リプレイ格納フォルダ");

inline ReplayMaker::ReplayRecipe makeSpec(const QByteArray &version, qint32 score, qint32 chara = 0,
                                          qint32 dungeon = 0, qint32 floor = 3)
{
    ReplayMaker::ReplayRecipe recipe;
    recipe.version = version;
    recipe.score = score;
    recipe.chara = chara;
    recipe.dungeon = dungeon;
    recipe.floor = floor;
    return recipe;
}

inline bool writeReplay(const QString &path, const ReplayMaker::ReplayRecipe &recipe, const QByteArray &name,
                        const QByteArray &comment = QByteArrayLiteral("comment"))
{
    return ReplayMaker::writeFile(path, ReplayMaker::replayFile(recipe, name, comment));
}

inline QByteArray settingsText(const QString &tarnelDir, const QString &storageDir, const QByteArray &extra = {})
{
    QByteArray text = extra;
    if (!tarnelDir.isNull())
        text += "[Tarnel]\r\nReplayDir=" + tarnelDir.toUtf8() + "\r\n";
    if (!storageDir.isNull())
        text += "[qvReplayInfo]\r\nReplayDir=" + storageDir.toUtf8() + "\r\n";
    return text;
}

} // namespace MainFormTest

// The base of the window tests: the fixtures run for every test class
// (a class may override them and call these), and the clicks a user makes.
class MainFormHarness : public QObject {
    Q_OBJECT
protected slots:
    virtual void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    virtual void init()
    {
        m_prompter.reset();
        m_openedUrls.clear();
        m_openSucceeds = true;
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_game = m_dir->filePath(QStringLiteral("game")) + QLatin1Char('/');
        m_storage = m_dir->filePath(QStringLiteral("storage")) + QLatin1Char('/');
        m_settings = m_dir->filePath(QStringLiteral("qvReplayInfo.dat"));
        // Files moved to the trash (deleted or replaced) go to a trash of the test's own.
        qputenv("HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(QDir().mkpath(m_game));
        QVERIFY(QDir().mkpath(m_storage));
    }

    virtual void cleanup()
    {
        m_form.reset();
        QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(QStringLiteral("; "))));
        m_dir.reset();
    }

    // Builds the default game folder (slots 0..3 and 5; slot 4 absent) and
    // the storage files given; writes a settings file naming both folders.
    void prepare(const QList<StorageFile> &storage)
    {
        using namespace MainFormTest;
        // Slot 0: version 107, character 1, cleared dungeon 0 (15 floors).
        QVERIFY(writeReplay(m_game + QStringLiteral("qv_replay0.dat"),
                            makeSpec("QVreplay Ver107 ", 1234567, 1, 0, 16), "Alice", "first\r\nsecond"));
        QVERIFY(writeReplay(m_game + QStringLiteral("qv_replay1.dat"), makeSpec("QVreplay Ver105 ", 999, 2, 1, 7),
                            "Bob"));
        // Letter case of the version does not matter for the edit lock.
        QVERIFY(writeReplay(m_game + QStringLiteral("qv_replay2.dat"), makeSpec("QVreplay VER106 ", 1000, 3, 2, 4),
                            "Carol"));
        QVERIFY(writeReplay(m_game + QStringLiteral("qv_replay3.dat"), makeSpec("QVreplay Ver107 ", 0, 9, 20, 5),
                            "Dave"));
        QVERIFY(writeReplay(m_game + QStringLiteral("qv_replay5.dat"), makeSpec("QVreplay Ver106 ", 5, 5, 3, 2),
                            "Eve"));
        for (const StorageFile &file : storage) {
            const QByteArray base = QFileInfo(file.name).completeBaseName().toUtf8();
            QVERIFY(writeReplay(m_storage + file.name,
                                makeSpec("QVreplay Ver107 ", file.score, file.chara, file.dungeon), base));
        }
        QVERIFY(ReplayMaker::writeFile(m_settings, settingsText(m_game, m_storage)));
    }

    std::unique_ptr<TMainForm> start()
    {
        auto form = std::make_unique<TMainForm>(m_prompter, m_settings);
        // No test ever starts a file manager.
        form->setUrlOpener([this](const QUrl &url) {
            m_openedUrls.append(url);
            return m_openSucceeds;
        });
        if (!form->startUp())
            return {};
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return {};
        return form;
    }

protected:
    QTableView *table(FolderKind folder) const { return m_form->page(folder).view(); }
    QTableView *table(int tag) const { return table(FolderKind(tag)); }
    ReplayTableModel &model(FolderKind folder) const { return m_form->page(folder).model(); }
    ReplayTableModel &model(int tag) const { return model(FolderKind(tag)); }
    QMenu *menu(int tag) const { return m_form->page(FolderKind(tag)).tableMenu(); }
    FolderNotice *notice(int tag) const { return m_form->page(FolderKind(tag)).notice(); }

    QStringList storageColumn0() const
    {
        QStringList names;
        const ReplayTableModel &storage = model(FolderKind::Storage);
        for (int r = 1; r < storage.rowCountWithHeader(); ++r)
            names.append(storage.cell(r, 0));
        return names;
    }

    // Text of a label or of the comment box.
    QString label(const char *name) const
    {
        if (auto *memo = m_form->findChild<QPlainTextEdit *>(QLatin1String(name)))
            return memo->toPlainText();
        auto *widget = m_form->findChild<QLabel *>(QLatin1String(name));
        return widget ? widget->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
    }

    bool enabled(const char *name) const
    {
        auto *button = m_form->findChild<QPushButton *>(QLatin1String(name));
        return button && button->isEnabled();
    }

    void clickRow(FolderKind folder, int gridRow) { clickRow(folderIndex(folder), gridRow); }
    void clickRow(int tag, int gridRow)
    {
        QTableView *view = table(tag);
        const QModelIndex index = view->model()->index(gridRow - 1, 2);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    void clickTab(int index)
    {
        QTabBar *bar = m_form->PcReplayDat->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_game;    // with trailing "/"
    QString m_storage; // with trailing "/"
    QString m_settings;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TMainForm> m_form;
    QList<QUrl> m_openedUrls; // what the window asked the desktop to open
    bool m_openSucceeds = true;
};
