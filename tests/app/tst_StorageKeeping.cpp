// Keeping every replay, in the main window: auto-store following the game
// folder, its switch and its failures, the bulk rename of the storage page,
// and the undo of the last trash operation.

#include "tests/app/MainFormHarness.h"

#include "app/FolderWatcher.h"
#include "app/StorageKeeping.h"
#include "app/StoredMarks.h"
#include "app/IniFile.h"

#include <QAction>
#include <QStatusBar>
#include <QToolButton>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

using namespace MainFormTest;
using namespace Qt::StringLiterals;

namespace {

constexpr int Timeout = 10000;

ReplayMaker::ReplayRecipe newRun(qint32 floor, qint64 runRecords)
{
    ReplayMaker::ReplayRecipe recipe = makeSpec("QVreplay Ver107 ", 4242, 4, 7, floor);
    recipe.playDate = 1300000000;
    recipe.runRecords = runRecords;
    recipe.compressionLevel = 0; // a large stream from a short run
    return recipe;
}

} // namespace

class TestStorageKeeping : public MainFormHarness {
    Q_OBJECT

private slots:
    void slotWrittenInPieces();
    void decides_data();
    void decides();
    void failures_data();
    void failures();
    void switchAsksAndIsRemembered();
    void bulkRename();
    void undo();

private:
    // The default folders; the storage folder holds `storage`, or a copy of
    // every slot with copiesOfSlots; auto-store as the settings file says.
    void startWith(bool autoStore, const QList<StorageFile> &storage = {}, bool copiesOfSlots = false);
    QStringList storageFiles() const
    {
        return QDir(m_storage).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString said() const { return m_form->statusBar()->currentMessage(); }
    QAction *action(const char *name) const { return m_form->findChild<QAction *>(QLatin1StringView(name)); }
    // The name the template gives slot's replay now, beside the files taken.
    QString templateName(int slot, const QStringList &taken) const
    {
        return m_form->keeping().autoStore().nameTemplate().fileName(
            NameSource{&m_form->workspace().Slots()[size_t(slot)], slot, slotFileName(slot)},
            [&](const QString &name) { return taken.contains(name); });
    }
};

void TestStorageKeeping::startWith(bool autoStore, const QList<StorageFile> &storage, bool copiesOfSlots)
{
    prepare(storage);
    if (copiesOfSlots) {
        for (const QString &slot : QDir(m_game).entryList(QDir::Files))
            QVERIFY(QFile::copy(m_game + slot, m_storage + u"copy of "_s + slot));
    }
    QVERIFY(ReplayMaker::writeFile(m_settings, settingsText(m_game, m_storage) + (autoStore ? "AutoStore=1\r\n" : "")));
    m_form = start();
    QVERIFY(m_form);
    m_form->folderWatcher().setTimings({100, 100, 200, 8000});
    m_form->workspace().setWriteTimes(50, 1500);
    QCOMPARE(action("ActAutoStore")->isChecked(), autoStore);
}

// The game writes a new slot in three pieces: the parts still being written
// are waited for, and the run is stored once, under the template's name.
void TestStorageKeeping::slotWrittenInPieces()
{
    startWith(true);
    // At the start, the five slots the storage folder lacks are stored.
    QTRY_COMPARE_WITH_TIMEOUT(storageFiles().size(), 5, Timeout);
    QVERIFY(said().contains(u"として格納しました（ほか 4 件）"_s));

    const QStringList before = storageFiles();
    const QByteArray bytes = ReplayMaker::replayFile(newRun(3, 20000), "Gina", "three pieces");
    const qsizetype third = bytes.size() / 3;
    const QString slot = m_game + u"qv_replay4.dat"_s;
    QVERIFY(writeAll(slot, bytes.left(third)));
    QTest::qWait(300);
    QFile file(slot);
    QVERIFY(file.open(QIODevice::Append) && file.write(bytes.mid(third, third)) == third && file.flush());
    QTest::qWait(300);
    QVERIFY(file.write(bytes.mid(2 * third)) == bytes.size() - 2 * third && file.flush());
    file.close();

    QTRY_COMPARE_WITH_TIMEOUT(storageFiles().size(), 6, Timeout);
    const QString name = templateName(4, before);
    QVERIFY(storageFiles().contains(name));
    QCOMPARE(readAll(m_storage + name), bytes);
    QCOMPARE(said(), u"スロット4 を「%1」として格納しました"_s.arg(name));
    QTRY_COMPARE_WITH_TIMEOUT(model(FolderKind::Game).storedNames(5), QStringList{name}, Timeout);
    QVERIFY(model(FolderKind::Storage).rowCountWithHeader() == 7);
    QTest::qWait(1000); // nothing more comes of it
    QCOMPARE(storageFiles().size(), 6);
}

void TestStorageKeeping::decides_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("added"); // files the storage folder gains in all
    QTest::newRow("already stored") << u"stored"_s << 0;
    QTest::newRow("switch off") << u"off"_s << 0;
    // A later write of the same run takes the place of the first copy, which
    // goes to the trash; a copy the player changed stays beside it.
    QTest::newRow("same run, longer stream") << u"longer"_s << 1;
    QTest::newRow("same run, copy changed by the player") << u"edited"_s << 2;
}

void TestStorageKeeping::decides()
{
    QFETCH(QString, scenario);
    QFETCH(int, added);
    startWith(scenario != u"off"_s, {}, true);
    const int before = int(storageFiles().size());
    const auto reload = [this] {
        m_form->BtnReloadClick();
        QTest::qWait(200); // auto-store runs once the window has shown the slots
    };
    reload();
    QCOMPARE(storageFiles().size(), before);
    if (scenario == u"stored"_s)
        return;

    const QString slot = m_game + u"qv_replay4.dat"_s;
    QVERIFY(writeAll(slot, ReplayMaker::replayFile(newRun(3, 100), "Gina", "")));
    reload();
    if (scenario == u"off"_s) {
        QCOMPARE(storageFiles().size(), before);
        return;
    }
    QStringList now = storageFiles();
    QCOMPARE(now.size(), before + 1);
    QString firstName;
    for (const QString &name : std::as_const(now)) {
        if (!name.startsWith(u"copy of"_s))
            firstName = name;
    }
    if (scenario == u"edited"_s) {
        QVERIFY(writeAll(m_storage + firstName, readAll(m_storage + firstName) + "edited"));
        m_form->workspace().reloadStorageFolder(nullptr);
    }

    const QByteArray later = ReplayMaker::replayFile(newRun(5, 300), "Gina", "");
    QVERIFY(writeAll(slot, later));
    reload();
    QCOMPARE(storageFiles().size(), before + added);
    const QStringList stored = m_form->gamePage().storedNames(5);
    QCOMPARE(stored.size(), 1);
    QVERIFY(stored.front() != firstName); // the floors are in the name
    QCOMPARE(readAll(m_storage + stored.front()), later);
    QCOMPARE(QFileInfo::exists(m_storage + firstName), scenario == u"edited"_s);
}

// A full disk or a storage folder gone: no file (no partial one, no
// temporary one), the failure said once in the status bar and kept on the
// storage table's notice, no message box, the switch stays on, and the next
// reload stores the slots once the cause is gone.
void TestStorageKeeping::failures_data()
{
    QTest::addColumn<bool>("folderGone");
    QTest::addColumn<QString>("notice");
    QTest::newRow("full disk") << false << u"自動格納できません"_s;
    QTest::newRow("storage folder gone") << true << u"フォルダが見つかりません"_s;
}

void TestStorageKeeping::failures()
{
    QFETCH(bool, folderGone);
    QFETCH(QString, notice);
#ifdef Q_OS_WIN
    if (!folderGone)
        QSKIP("POSIX only: file-size limits (setrlimit) stand in for a full disk");
#endif
    startWith(false);
    const QString away = QDir::cleanPath(m_storage) + u".away"_s;
#ifndef Q_OS_WIN
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 100;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (folderGone)
        QVERIFY(QDir().rename(m_storage, away));
#ifndef Q_OS_WIN
    else
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
#endif
    m_prompter.answerQuestion(true);
    action("ActAutoStore")->trigger();
    const QString first = said();
    m_form->statusBar()->clearMessage();
    m_form->BtnReloadClick();
    QTest::qWait(200);
    const QString shown = m_form->storagePage().notice()->text();
    const QString afterSecond = said();
#ifndef Q_OS_WIN
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, oldHandler);
#endif
    if (folderGone)
        QVERIFY(QDir().rename(away, m_storage));

    QVERIFY(storageFiles().isEmpty());
    QVERIFY(action("ActAutoStore")->isChecked());
    QVERIFY2(first.contains(u"自動格納できませんでした"_s), qPrintable(first));
    QVERIFY2(shown.contains(notice), qPrintable(shown));
    QVERIFY2(afterSecond.isEmpty(), qPrintable(afterSecond)); // said once, at the first failure
    QCOMPARE(m_prompter.errors(), QStringList());

    m_form->BtnReloadClick();
    QTRY_COMPARE_WITH_TIMEOUT(storageFiles().size(), 5, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(m_form->storagePage().notice()->text().isEmpty(), Timeout);
}

void TestStorageKeeping::switchAsksAndIsRemembered()
{
    startWith(false);
    QAction *autoStore = action("ActAutoStore");
    m_prompter.answerQuestion(false);
    autoStore->trigger();
    QVERIFY(m_prompter.questions().constLast().contains(u"5 件"_s));
    QVERIFY(!autoStore->isChecked());
    QTest::qWait(100);
    QVERIFY(storageFiles().isEmpty());

    m_prompter.answerNameTemplate(u"{score}_{player}"_s);
    action("ActNameTemplate")->trigger();
    QCOMPARE(m_prompter.calls().back().sample->fileName, u"qv_replay0.dat"_s); // the selected slot
    m_prompter.answerQuestion(true);
    autoStore->trigger();
    QCOMPARE(storageFiles(), (QStringList{u"0_Dave.dat"_s, u"1000_Carol.dat"_s, u"1234567_Alice.dat"_s,
                                          u"5_Eve.dat"_s, u"999_Bob.dat"_s}));
    QCOMPARE(m_form->gamePage().storedNames(1), QStringList{u"1234567_Alice.dat"_s});

    m_prompter.answerQuestion(true);
    QVERIFY(m_form->close());
    const IniFile ini(m_settings);
    QCOMPARE(ini.readString(u"qvReplayInfo"_s, u"AutoStore"_s), u"1"_s);
    QCOMPARE(ini.readString(u"qvReplayInfo"_s, u"AutoStoreName"_s), u"{score}_{player}"_s);
}

// The rows shown get template names; a file that appears between the preview
// and the renaming is never replaced; the table keeps its selected replay.
void TestStorageKeeping::bulkRename()
{
    startWith(false, {{u"a.dat"_s, 100}, {u"b.dat"_s, 200}, {u"c.dat"_s, 300}, {u"400.dat"_s, 400},
                      {u"x.dat"_s, 100}});
    m_prompter.answerNameTemplate(u"{score}"_s);
    action("ActNameTemplate")->trigger();
    clickTab(1);
    m_form->storagePage().SbtSortFile1->click(); // the rows in the order shown get names in turn
    clickRow(1, m_form->storagePage().findRow(u"b.dat"_s));
    QVERIFY(action("ActBulkRename")->isEnabled());

    const QByteArray intruder = "not to be replaced";
    m_prompter.whileAsking([&] { QVERIFY(writeAll(m_storage + u"300.dat"_s, intruder)); });
    m_prompter.answerBulkRename(true);
    action("ActBulkRename")->trigger();

    const ScriptedPrompter::Call &preview = m_prompter.calls()[1];
    QCOMPARE(preview.kind, ScriptedPrompter::Kind::ReviewBulkRename);
    QCOMPARE(preview.text, u"1"_s); // 400.dat keeps its name
    QStringList rows;
    for (const BulkRenameRow &row : preview.renames)
        rows.append(row.oldName + u" > "_s + row.newName + (row.suffixed ? u" *"_s : QString()));
    QCOMPARE(rows, (QStringList{u"a.dat > 100.dat"_s, u"b.dat > 200.dat"_s, u"c.dat > 300.dat"_s,
                                u"x.dat > 100 (2).dat *"_s}));
    QCOMPARE(readAll(m_storage + u"300.dat"_s), intruder);
    QVERIFY(QFileInfo::exists(m_storage + u"c.dat"_s));
    QCOMPARE(m_prompter.errors().size(), 1);
    QVERIFY(m_prompter.errors().front().contains(u"c.dat"_s));
    QCOMPARE(m_form->storagePage().selectedName(), u"200.dat"_s);
    QStringList names = storageColumn0();
    names.sort();
    QCOMPARE(names, (QStringList{u"100 (2).dat"_s, u"100.dat"_s, u"200.dat"_s, u"400.dat"_s, u"c.dat"_s}));
}

// Three files deleted come back with Ctrl+Z; so does a file a copy replaced.
void TestStorageKeeping::undo()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: the Recycle Bin's shell call does not tell where a file went, so nothing can be taken back");
#endif
    startWith(false, {{u"a.dat"_s, 1}, {u"b.dat"_s, 2}, {u"c.dat"_s, 3}, {u"d.dat"_s, 4}});
    QAction *undo = action("ActUndo");
    QVERIFY(!undo->isEnabled());
    QMap<QString, QByteArray> bytes;
    for (const QString &name : storageFiles())
        bytes.insert(name, readAll(m_storage + name));
    clickTab(1);
    m_form->vSetDeleteMode(true);
    m_form->session().markExactly({u"a.dat"_s, u"b.dat"_s, u"c.dat"_s});
    QVERIFY(!undo->isEnabled()); // not in deletion mode
    m_prompter.answerDelete(true);
    m_form->BtnDeleteExecClick();
    QCOMPARE(storageColumn0(), QStringList{u"d.dat"_s});
    QVERIFY(undo->isEnabled());

    m_form->activateWindow(); // keys reach the window's shortcuts only while it is active
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(table(1), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(storageFiles(), bytes.keys());
    for (const QString &name : bytes.keys())
        QCOMPARE(readAll(m_storage + name), bytes[name]);
    QCOMPARE(storageColumn0().size(), 4);
    QCOMPARE(said(), u"3 件をごみ箱から元に戻しました"_s);
    QCOMPARE(m_prompter.errors(), QStringList()); // a full success shows no box
    QVERIFY(!undo->isEnabled());

    // A copy over d.dat keeps the old d.dat in the trash; undo brings it back.
    clickTab(0);
    m_prompter.answerCopyTarget(u"d.dat"_s);
    m_prompter.answerReplace(true);
    m_form->gamePage().BtnToReplayCopy->click();
    QCOMPARE(readAll(m_storage + u"d.dat"_s), readAll(m_game + u"qv_replay0.dat"_s));
    undo->trigger();
    QCOMPARE(readAll(m_storage + u"d.dat"_s), bytes[u"d.dat"_s]);
}

QTEST_MAIN(TestStorageKeeping)
#include "tst_StorageKeeping.moc"
