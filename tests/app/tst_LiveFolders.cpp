// The window following its folders as other programs change them: what it
// shows, what it keeps of the view, when it waits, and the notice over a
// table whose folder is missing.

#include "tests/app/MainFormHarness.h"

#include "app/FolderNotice.h"
#include "app/FolderWatcher.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>

#include <cstdio>

using namespace MainFormTest;
using namespace Qt::StringLiterals;

namespace {

// Generous for a loaded machine; the timings under test are a few hundred ms.
constexpr int Timeout = 10000;
// Longer than a look at a changed folder takes with the short timings.
constexpr int Quiet = 900;

bool appendTo(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size();
}

} // namespace

class TestLiveFolders : public MainFormHarness {
    Q_OBJECT

private slots:
    void init() override;

    void storageKeepsTheView_data();
    void storageKeepsTheView();
    void rowAddedBelowKeepsTheTopRow_data();
    void rowAddedBelowKeepsTheTopRow();
    void gameSlotsFollow();
    void fileWrittenSlowly();
    void waitsForDialogs();
    void ownChangesReadOnce_data();
    void ownChangesReadOnce();
    void autoReloadSwitch();
    void missingFolders();

private:
    void startLive();
    QStringList sortedNames() const
    {
        QStringList names = storageColumn0();
        names.sort();
        return names;
    }
    QString selectedName() const { return model(1).cell(m_form->ReplayRow(), 0); }
    QString m_home;
};

void TestLiveFolders::init()
{
    MainFormHarness::init();
    // Deleted files go to a trash of the test's own.
    m_home = m_dir->filePath(u"home"_s);
    QVERIFY(QDir().mkpath(m_home));
    qputenv("HOME", QFile::encodeName(m_home));
    qunsetenv("XDG_DATA_HOME");
}

void TestLiveFolders::startLive()
{
    m_form = start();
    QVERIFY(m_form);
    m_form->folderWatcher().setTimings({100, 100, 200, 8000});
    m_form->workspace().setWriteTimes(50, 1500);
    QVERIFY(m_form->ActAutoReload->isChecked());
}

void TestLiveFolders::storageKeepsTheView_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("order"); // the first rows, highest score first
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("marks");

    const QStringList both{u"gamma.dat"_s, u"alpha.dat"_s};
    QTest::newRow("added") << u"add"_s
                           << QStringList{u"delta.dat"_s, u"beta.dat"_s, u"epsilon.dat"_s, u"gamma.dat"_s,
                                          u"alpha.dat"_s}
                           << u"alpha.dat"_s << both;
    QTest::newRow("replaced in place") << u"rewrite"_s
                                       << QStringList{u"delta.dat"_s, u"gamma.dat"_s, u"alpha.dat"_s, u"beta.dat"_s}
                                       << u"alpha.dat"_s << both;
    QTest::newRow("replaced by a rename") << u"rename"_s
                                          << QStringList{u"delta.dat"_s, u"gamma.dat"_s, u"alpha.dat"_s,
                                                         u"beta.dat"_s}
                                          << u"alpha.dat"_s << both;
    QTest::newRow("marked file removed") << u"remove gamma"_s
                                         << QStringList{u"delta.dat"_s, u"beta.dat"_s, u"alpha.dat"_s}
                                         << u"alpha.dat"_s << QStringList{u"alpha.dat"_s};
    // The row in its place is selected.
    QTest::newRow("selected file removed") << u"remove alpha"_s
                                           << QStringList{u"delta.dat"_s, u"beta.dat"_s, u"gamma.dat"_s,
                                                          u"f20.dat"_s}
                                           << u"f20.dat"_s << QStringList{u"gamma.dat"_s};
}

void TestLiveFolders::storageKeepsTheView()
{
    QFETCH(QString, change);
    QFETCH(QStringList, order);
    QFETCH(QString, selected);
    QFETCH(QStringList, marks);

    // Enough rows to scroll; the fillers f01..f20 score 1..20, below the four.
    QList<StorageFile> files{{u"alpha.dat"_s, 100}, {u"beta.dat"_s, 300}, {u"gamma.dat"_s, 200}, {u"delta.dat"_s, 400}};
    for (int i = 1; i <= 20; ++i)
        files.append({u"f%1.dat"_s.arg(i, 2, 10, QLatin1Char('0')), i});
    prepare(files);
    startLive();
    clickTab(1);
    m_form->storagePage().SbtSortScore2->click();
    clickRow(1, 3); // gamma
    m_form->storagePage().BtnFileDelete->click();
    clickRow(1, 4); // alpha
    QCOMPARE(m_form->DelFileList(), (QStringList{u"gamma.dat"_s, u"alpha.dat"_s}));
    QScrollBar *scroll = table(1)->verticalScrollBar();
    scroll->setValue(2);
    const int rowsBefore = int(storageColumn0().size());

    const auto replay = [](const QByteArray &name, qint32 score) {
        return ReplayMaker::replayFile(makeSpec("QVreplay Ver107 ", score), name, "");
    };
    if (change == u"add"_s) {
        QVERIFY(ReplayMaker::writeFile(m_storage + u"epsilon.dat"_s, replay("epsilon", 250)));
    } else if (change == u"rewrite"_s) {
        QVERIFY(ReplayMaker::writeFile(m_storage + u"beta.dat"_s, replay("beta", 50)));
    } else if (change == u"rename"_s) {
        QVERIFY(ReplayMaker::writeFile(m_storage + u".beta.part"_s, replay("beta", 50)));
        QVERIFY(renameOver(m_storage + u".beta.part"_s, m_storage + u"beta.dat"_s));
    } else {
        QVERIFY(QFile::remove(m_storage + change.mid(7) + u".dat"_s));
    }

    const int rowsAfter = rowsBefore + int(change == u"add"_s) - int(change.startsWith(u"remove"_s));
    QTRY_COMPARE_WITH_TIMEOUT(int(storageColumn0().size()), rowsAfter, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(storageColumn0().mid(0, order.size()), order, Timeout);
    QCOMPARE(m_form->SortMode(), 4);
    QVERIFY(m_form->storagePage().SbtSortScore2->isChecked());
    QCOMPARE(selectedName(), selected);
    QCOMPARE(m_form->storagePage().gridRowOf(table(1)->currentIndex()), m_form->ReplayRow());
    QCOMPARE(label("LblReplayName"), QFileInfo(selected).completeBaseName());
    QVERIFY(m_form->DeleteMode());
    QCOMPARE(m_form->DelFileList(), marks);
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QString::number(marks.size()));
    QCOMPARE(scroll->value(), 2);
    QCOMPARE(m_prompter.calls().size(), size_t(0));
}

void TestLiveFolders::rowAddedBelowKeepsTheTopRow_data()
{
    QTest::addColumn<int>("sortMode");
    QTest::addColumn<bool>("atBottom");
    QTest::newRow("file order, scrolled to the bottom") << 1 << true;
    QTest::newRow("file order, scrolled down a little") << 1 << false;
    QTest::newRow("folder order, scrolled to the bottom") << 0 << true;
}

// A file that sorts below everything shown moves nothing in view: the top
// row and the scroll position stay.
void TestLiveFolders::rowAddedBelowKeepsTheTopRow()
{
    QFETCH(int, sortMode);
    QFETCH(bool, atBottom);
    QList<StorageFile> files;
    for (int i = 1; i <= 30; ++i)
        files.append({u"f%1.dat"_s.arg(i, 2, 10, QLatin1Char('0')), i});
    prepare(files);
    startLive();
    clickTab(1);
    m_form->storagePage().ReplayTblSortClick(sortMode);
    clickRow(1, 3);
    QScrollBar *scroll = table(1)->verticalScrollBar();
    scroll->setValue(atBottom ? scroll->maximum() : 4);
    QTest::qWait(50);
    const int value = scroll->value();
    const int top = table(1)->rowAt(0);

    QVERIFY(writeReplay(m_storage + u"zz.dat"_s, makeSpec("QVreplay Ver107 ", 99), "zz"));
    QTRY_COMPARE_WITH_TIMEOUT(int(storageColumn0().size()), 31, Timeout);
    QTest::qWait(50); // the view lays itself out after the rows changed
    QCOMPARE(table(1)->rowAt(0), top);
    if (!atBottom)
        QCOMPARE(scroll->value(), value);
    QCOMPARE(m_form->ReplayRow(), 3);
}

void TestLiveFolders::gameSlotsFollow()
{
    prepare({{u"alpha.dat"_s, 10}});
    startLive();
    clickRow(0, 5); // slot 4, empty
    QCOMPARE(label("LblReplayName"), QString());

    // The game saves into the selected slot: its row and the panel show it.
    QVERIFY(writeReplay(m_game + u"qv_replay4.dat"_s, makeSpec("QVreplay Ver107 ", 4444, 2), "Fred"));
    QTRY_COMPARE_WITH_TIMEOUT(label("LblReplayName"), u"Fred"_s, Timeout);
    QCOMPARE(model(0).cell(5, 1), u"4,444"_s);
    QCOMPARE(m_form->TarnelRow(), 5);
    QCOMPARE(table(0)->currentIndex().row(), 4);
    QVERIFY(m_form->gamePage().BtnToReplayCopy->isEnabled());

    // Another slot changes: its row shows it, the panel stays with slot 4.
    QVERIFY(writeReplay(m_game + u"qv_replay0.dat"_s, makeSpec("QVreplay Ver107 ", 7), "Gina"));
    QTRY_COMPARE_WITH_TIMEOUT(model(0).cell(1, 5), u"Gina"_s, Timeout);
    QCOMPARE(label("LblReplayName"), u"Fred"_s);

    // The selected slot's file goes: the row keeps its file name only.
    QVERIFY(QFile::remove(m_game + u"qv_replay4.dat"_s));
    QTRY_COMPARE_WITH_TIMEOUT(label("LblReplayName"), QString(), Timeout);
    QCOMPARE(model(0).cell(5, 0), u"qv_replay4.dat"_s);
    QCOMPARE(model(0).cell(5, 1), QString());
    QCOMPARE(m_form->TarnelRow(), 5);
    QVERIFY(!m_form->gamePage().BtnToReplayCopy->isEnabled());
}

void TestLiveFolders::fileWrittenSlowly()
{
    prepare({{u"alpha.dat"_s, 10}});
    startLive();
    clickTab(1);
    ReplayMaker::ReplayRecipe recipe = makeSpec("QVreplay Ver107 ", 77);
    recipe.runRecords = 4000;
    const QByteArray bytes = ReplayMaker::replayFile(recipe, "slow", "");
    const qsizetype cut = ReplayMaker::compressedStream(recipe).size() / 2;

    // Half of it now, the rest a moment later: it is neither listed nor
    // taken for a broken file in between.
    QVERIFY(appendTo(m_storage + u"slow.dat"_s, bytes.left(cut)));
    QTest::qWait(Quiet);
    QCOMPARE(storageColumn0(), QStringList{u"alpha.dat"_s});
    QVERIFY(m_form->workspace().leftOutFiles().empty());
    QVERIFY(appendTo(m_storage + u"slow.dat"_s, bytes.mid(cut)));
    QTRY_COMPARE_WITH_TIMEOUT(sortedNames(), (QStringList{u"alpha.dat"_s, u"slow.dat"_s}), Timeout);
    QVERIFY(m_form->workspace().leftOutFiles().empty());
    QCOMPARE(selectedName(), u"alpha.dat"_s);

    // One that stays cut short is taken for what it is once it has rested.
    QVERIFY(appendTo(m_storage + u"cut.dat"_s, bytes.left(cut)));
    QTRY_COMPARE_WITH_TIMEOUT(int(m_form->workspace().leftOutFiles().size()), 1, Timeout);
    QCOMPARE(m_form->workspace().leftOutFiles().front().name, u"cut.dat"_s);
    QCOMPARE(sortedNames(), (QStringList{u"alpha.dat"_s, u"slow.dat"_s}));
}

void TestLiveFolders::waitsForDialogs()
{
    prepare({{u"alpha.dat"_s, 10}, {u"beta.dat"_s, 20}});
    startLive();
    clickTab(1);
    const QStringList before = sortedNames();

    // A file arrives while the name and comment dialog is open: nothing moves
    // until it has been answered.
    bool asked = false;
    m_prompter.whileAsking([&] {
        asked = true;
        QVERIFY(writeReplay(m_storage + u"gamma.dat"_s, makeSpec("QVreplay Ver107 ", 30), "gamma"));
        QTest::qWait(Quiet);
        QCOMPARE(sortedNames(), before);
    });
    m_prompter.answerReplayTextCancel();
    m_form->storagePage().BtnReplayInfoEdit2->click();
    QVERIFY(asked);
    QTRY_COMPARE_WITH_TIMEOUT(sortedNames(), before + QStringList{u"gamma.dat"_s}, Timeout);

    // The same under a modal window of the toolkit's own.
    QDialog dialog(m_form.get());
    dialog.setModal(true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(QFile::remove(m_storage + u"gamma.dat"_s));
    QTest::qWait(Quiet);
    QCOMPARE(sortedNames(), before + QStringList{u"gamma.dat"_s});
    dialog.close();
    QTRY_COMPARE_WITH_TIMEOUT(sortedNames(), before, Timeout);
}

void TestLiveFolders::ownChangesReadOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("copy into storage") << u"copy"_s;
    QTest::newRow("edit of a stored replay") << u"edit"_s;
    QTest::newRow("edit of a game slot") << u"edit slot"_s;
    QTest::newRow("delete") << u"delete"_s;
}

void TestLiveFolders::ownChangesReadOnce()
{
    QFETCH(QString, command);
    prepare({{u"alpha.dat"_s, 10}, {u"beta.dat"_s, 20}});
    startLive();
    const bool slot = command == u"edit slot"_s;
    QSignalSpy updates(&m_form->workspace(),
                       slot ? &ReplayWorkspace::tarnelContentChanged : &ReplayWorkspace::storageContentChanged);
    if (command == u"copy"_s) {
        m_prompter.answerCopyTarget(u"copied.dat"_s);
        m_form->gamePage().BtnToReplayCopy->click();
        QVERIFY(storageColumn0().contains(u"copied.dat"_s));
    } else if (command == u"delete"_s) {
        clickTab(1);
        const QString first = storageColumn0().constFirst();
        m_form->storagePage().BtnFileDelete->click();
        m_prompter.answerDelete(true);
        m_form->storagePage().BtnDeleteExec->click();
        QCOMPARE(storageColumn0().size(), 1);
        QVERIFY(!storageColumn0().contains(first));
    } else {
        clickTab(slot ? 0 : 1);
        m_prompter.answerReplayText({"mine", "comment"});
        (slot ? m_form->gamePage().BtnReplayInfoEdit : m_form->storagePage().BtnReplayInfoEdit2)->click();
        QCOMPARE(label("LblReplayName"), u"mine"_s);
    }
    QCOMPARE(m_prompter.pendingAnswers(), 0);
    QVERIFY(m_prompter.errors().isEmpty());
    const int shown = int(updates.count());

    // The watcher's report of the program's own change brings no second update...
    QTest::qWait(Quiet);
    QCOMPARE(int(updates.count()), shown);
    // ...while another program's change still does.
    QVERIFY(writeReplay(slot ? m_game + u"qv_replay4.dat"_s : m_storage + u"other.dat"_s,
                        makeSpec("QVreplay Ver107 ", 5), "other"));
    QTRY_COMPARE_WITH_TIMEOUT(int(updates.count()), shown + 1, Timeout);
}

void TestLiveFolders::autoReloadSwitch()
{
    prepare({{u"alpha.dat"_s, 10}});
    startLive();
    QAction *autoReload = m_form->ActAutoReload;
    QCOMPARE(autoReload->text(), u"フォルダの自動更新(&A)"_s);
    QVERIFY(autoReload->isCheckable());
    QVERIFY(m_form->S1->actions().contains(autoReload));

    autoReload->trigger(); // off
    QVERIFY(!m_form->folderWatcher().isEnabled());
    QVERIFY(writeReplay(m_storage + u"beta.dat"_s, makeSpec("QVreplay Ver107 ", 20), "beta"));
    QTest::qWait(Quiet);
    QCOMPARE(storageColumn0(), QStringList{u"alpha.dat"_s});
    autoReload->trigger(); // on: what changed meanwhile is shown at once
    QTRY_COMPARE_WITH_TIMEOUT(sortedNames(), (QStringList{u"alpha.dat"_s, u"beta.dat"_s}), Timeout);

    // Remembered at the close question.
    autoReload->trigger();
    m_prompter.answerQuestion(false);
    m_form->close();
    QVERIFY(readAll(m_settings).contains("\r\nAutoReload=0\r\n"));
    m_form.reset();
    m_form = start();
    QVERIFY(m_form);
    QVERIFY(!m_form->ActAutoReload->isChecked());
    QVERIFY(!m_form->folderWatcher().isEnabled());
}

void TestLiveFolders::missingFolders()
{
    prepare({{u"alpha.dat"_s, 10}});
    const QString nowhere = m_dir->filePath(u"nowhere/"_s);
    QVERIFY(ReplayMaker::writeFile(m_settings, settingsText(m_game, nowhere)));
    startLive();
    FolderNotice *gameNotice = notice(0);
    FolderNotice *storageNotice = notice(1);
    QVERIFY(gameNotice->isHidden());
    QVERIFY(!storageNotice->isHidden());
    QCOMPARE(storageNotice->text(), u"フォルダが見つかりません："_s + QDir::toNativeSeparators(nowhere));
    QVERIFY(storageColumn0().join(QString()).isEmpty());

    // Another folder is chosen from the notice: the notice goes, nothing was
    // ever written where the missing folder would be.
    clickTab(1);
    m_prompter.answerFolder(m_storage.chopped(1));
    storageNotice->BtnChooseFolder->click();
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseFolder), 1);
    QVERIFY(storageNotice->isHidden());
    QCOMPARE(storageColumn0(), QStringList{u"alpha.dat"_s});
    QVERIFY(!QFileInfo::exists(nowhere));

#ifdef Q_OS_WIN
    QSKIP("Windows (wine): a watched folder that is removed is not reported by the watch");
#endif
    // The game folder is removed while the program runs, and made again: the
    // notice comes and goes, and the new folder is watched.
    clickTab(0);
    clickRow(0, 1);
    QVERIFY(QDir(m_game).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(!gameNotice->isHidden(), Timeout);
    QCOMPARE(gameNotice->text(), u"フォルダが見つかりません："_s + m_game);
    QCOMPARE(label("LblReplayName"), QString());
    QVERIFY(QDir().mkpath(m_game));
    QTRY_VERIFY_WITH_TIMEOUT(gameNotice->isHidden(), Timeout);
    QVERIFY(writeReplay(m_game + u"qv_replay0.dat"_s, makeSpec("QVreplay Ver107 ", 8), "Hana"));
    QTRY_COMPARE_WITH_TIMEOUT(label("LblReplayName"), u"Hana"_s, Timeout);
    QVERIFY(m_form->folderWatcher().isWatching(FolderKind::Game));
}

QTEST_MAIN(TestLiveFolders)
#include "tst_LiveFolders.moc"
