// Deletion mode without a window: the mode, exact marks, the guard against a
// second toggle of one row, and the trash command both deletion paths share.

#include "operations/CommandState.h"
#include "operations/DeletionSession.h"
#include "operations/TrashCommand.h"
#include "replay/ReplayInfo.h"
#include "tests/support/ScriptedPrompter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>

using namespace Qt::StringLiterals;

class TestDeletionSession : public QObject {
    Q_OBJECT

private slots:
    void marksFollowTheMode();
    void guardHoldsHalfASecond();
    void enabledStates();
    void trashAsksOnceAndNamesFailures();
};

// Names compare exactly, the guard keeps one row from toggling twice, and
// every change is announced.
void TestDeletionSession::marksFollowTheMode()
{
    DeletionSession session;
    QSignalSpy modes(&session, &DeletionSession::modeChanged);
    QSignalSpy marks(&session, &DeletionSession::marksChanged);
    session.select(1, u"a.dat"_s); // off: a selection marks nothing
    QVERIFY(session.names().isEmpty());
    QCOMPARE(marks.count(), 0);

    session.start(u"a.dat"_s);
    QVERIFY(session.isOn());
    QCOMPARE(modes.count(), 1);
    QCOMPARE(session.names(), QStringList{u"a.dat"_s});
    session.select(2, u"A.dat"_s); // another file: letter case counts
    QCOMPARE(session.names(), (QStringList{u"a.dat"_s, u"A.dat"_s}));
    QCOMPARE(session.guardRow(), 2);
    QVERIFY(session.guardTimer()->isActive());
    session.select(2, u"A.dat"_s); // the same row again at once: guarded
    QCOMPARE(session.count(), 2);
    QVERIFY(session.toggle(u"a.dat"_s)); // the Delete key ignores the guard
    QCOMPARE(session.names(), QStringList{u"A.dat"_s});
    QVERIFY(!session.toggle(QString())); // an empty row is never marked

    // Rows moved: marks stay on the files still listed, the guard starts afresh.
    session.markExactly({u"x.dat"_s, u"y.dat"_s, u"z.dat"_s});
    session.select(5, u"w.dat"_s);
    session.keepListed([](const QString &name) { return name != u"y.dat"_s; });
    QCOMPARE(session.names(), (QStringList{u"x.dat"_s, u"z.dat"_s, u"w.dat"_s}));
    QCOMPARE(session.guardRow(), 0);
    QVERIFY(!session.guardTimer()->isActive());

    session.stop();
    QVERIFY(!session.isOn());
    QVERIFY(session.names().isEmpty());
    QCOMPARE(modes.count(), 2);
}

// A second selection of the row toggled last, 100 ms later, toggles nothing;
// the guard runs out after half a second, and then the row toggles again.
void TestDeletionSession::guardHoldsHalfASecond()
{
    DeletionSession session;
    session.start(QString());
    QElapsedTimer clock;
    clock.start();
    session.select(3, u"c.dat"_s);
    QTest::qWait(100);
    session.select(3, u"c.dat"_s);
    QCOMPARE(session.names(), QStringList{u"c.dat"_s});
    QTRY_COMPARE_WITH_TIMEOUT(session.guardRow(), 0, 2000);
    QVERIFY2(clock.elapsed() >= 480, qPrintable(QString::number(clock.elapsed())));
    session.select(3, u"c.dat"_s);
    QVERIFY(session.names().isEmpty());
}

// One function decides: the page in view follows its replay (none, a
// version without editing, any other), R1 is off in deletion mode, the
// list of unreadable files is offered while there are some.
void TestDeletionSession::enabledStates()
{
    ReplayInfo locked{};
    std::memcpy(locked.ReplayVer, "QVreplay Ver105 ", ReplayVerSize);
    ReplayInfo editable{};
    std::memcpy(editable.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);

    const EnabledState none = enabledState(WindowState{1, false, nullptr, 0});
    QCOMPARE(none.page, 1);
    QCOMPARE(none.commands, 0);
    QVERIFY(none.chooseStorageFolder);
    QVERIFY(!none.unreadableList);
    QCOMPARE(enabledState(WindowState{0, false, &locked, 0}).commands, CmdCopy | CmdDelete);
    const EnabledState deleting = enabledState(WindowState{1, true, &editable, 3});
    QCOMPARE(deleting.commands, CmdEdit | CmdCopy | CmdDelete);
    QVERIFY(!deleting.chooseStorageFolder);
    QVERIFY(deleting.unreadableList);
}

// One confirmation for the whole set; declined, nothing is moved. A file
// that cannot be moved is named with its reason in the one message.
void TestDeletionSession::trashAsksOnceAndNamesFailures()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(u"data"_s)));
    const QString kept = dir.filePath(u"kept.dat"_s);
    QFile file(kept);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    file.close();
    const QList<TrashItem> items{{u"kept.dat"_s, kept, QFile::encodeName(kept)},
                                 {u"gone.dat"_s, dir.filePath(u"gone.dat"_s), QFile::encodeName(dir.filePath(u"gone.dat"_s))}};

    ScriptedPrompter prompter;
    prompter.answerDelete(false);
    const CommandResult declined = TrashCommand(prompter, nullptr).run(items, 1);
    QVERIFY(declined.cancelled);
    QVERIFY(QFile::exists(kept));
    QCOMPARE(prompter.calls().back().paths, (QStringList{kept, dir.filePath(u"gone.dat"_s)}));
    QCOMPARE(prompter.calls().back().hidden, 1);

    prompter.answerDelete(true);
    const CommandResult result = TrashCommand(prompter, nullptr).run(items);
    QVERIFY(!result.cancelled);
    QVERIFY(!QFile::exists(kept));
    QCOMPARE(result.failedNames(), QStringList{u"gone.dat"_s});
    QVERIFY(result.message.startsWith(u"次のファイルをごみ箱に移動できませんでした。\n\ngone.dat："_s));
    QVERIFY(!result.message.contains(u"kept.dat"_s));
    QVERIFY(prompter.unexpected().isEmpty());
}

QTEST_GUILESS_MAIN(TestDeletionSession)
#include "tst_DeletionSession.moc"
