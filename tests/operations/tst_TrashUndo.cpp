// Undo of the last trash operation: the files come back with their bytes and
// without their notes in the trash, a name taken meanwhile is never replaced,
// and a file a copy replaced comes back in place of the copy.

#include "operations/ReplayCopyJob.h"
#include "operations/TrashCommand.h"
#include "operations/TrashUndo.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTrashUndo : public QObject {
    Q_OBJECT

private slots:
    void init();
    void bringsBack_data();
    void bringsBack();
    void replacedFileComesBack_data();
    void replacedFileComesBack();

private:
    // Moves these files of the folder to the trash as a deletion does.
    QList<TrashedFile> trash(const QStringList &names);
    QStringList trashEntries(const QString &part) const
    {
        return QDir(m_dir->filePath(u"home/.local/share/Trash/"_s + part)).entryList(QDir::Files | QDir::Hidden);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder; // with trailing "/"
};

void TestTrashUndo::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A trash of the test's own.
    QVERIFY(QDir().mkpath(m_dir->filePath(u"home"_s)));
    qputenv("HOME", QFile::encodeName(m_dir->filePath(u"home"_s)));
    qunsetenv("XDG_DATA_HOME");
    m_folder = m_dir->filePath(u"storage"_s) + u'/';
    QVERIFY(QDir().mkpath(m_folder));
}

QList<TrashedFile> TestTrashUndo::trash(const QStringList &names)
{
    QList<TrashItem> items;
    for (const QString &name : names)
        items.append(TrashItem{name, m_folder + name, QFile::encodeName(m_folder + name)});
    ScriptedPrompter prompter;
    prompter.answerDelete(true);
    return TrashCommand(prompter, nullptr).run(items).trashed;
}

void TestTrashUndo::bringsBack_data()
{
    QTest::addColumn<QString>("meanwhile"); // what happens between the deletion and the undo
    QTest::addColumn<QStringList>("back");  // the files that come back
    QTest::addColumn<bool>("remembered");   // b.dat is still to be brought back afterwards
    QTest::newRow("all three") << QString() << QStringList{u"a.dat"_s, u"b.dat"_s, u"c.dat"_s} << false;
    QTest::newRow("b.dat taken meanwhile") << u"take"_s << QStringList{u"a.dat"_s, u"c.dat"_s} << true;
    QTest::newRow("b.dat emptied from the trash") << u"empty"_s << QStringList{u"a.dat"_s, u"c.dat"_s} << false;
}

void TestTrashUndo::bringsBack()
{
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, back);
    QFETCH(bool, remembered);
    const QStringList names{u"a.dat"_s, u"b.dat"_s, u"c.dat"_s};
    for (const QString &name : names)
        QVERIFY(writeAll(m_folder + name, name.toUtf8() + QByteArray(5000, 'x')));
    TrashUndo undo;
    undo.remember(trash(names));
    QCOMPARE(undo.files().size(), 3);
    undo.remember({}); // an operation that moved nothing leaves the record
    QCOMPARE(undo.files().size(), 3);
    QVERIFY(QDir(m_folder).entryList(QDir::Files).isEmpty());
    QCOMPARE(trashEntries(u"info"_s).size(), 3);

    const QByteArray newer = QByteArrayLiteral("another file named b.dat");
    if (meanwhile == u"take"_s)
        QVERIFY(writeAll(m_folder + u"b.dat"_s, newer));
    if (meanwhile == u"empty"_s) { // the file and its note
        QVERIFY(QFile::remove(QFile::decodeName(undo.files()[1].trashPath)));
        QVERIFY(QFile::remove(m_dir->filePath(u"home/.local/share/Trash/info/b.dat.trashinfo"_s)));
    }

    const CommandResult result = undo.run();
    for (const QString &name : names) {
        if (back.contains(name))
            QCOMPARE(readAll(m_folder + name), name.toUtf8() + QByteArray(5000, 'x'));
    }
    QCOMPARE(result.anyDone(), true);
    QCOMPARE(result.failedNames(), back.size() == 3 ? QStringList() : QStringList{u"b.dat"_s});
    QCOMPARE(result.message.contains(u"b.dat"_s), back.size() < 3);
    QCOMPARE(result.message.isEmpty(), back.size() == 3); // no box after a full success
    if (meanwhile == u"take"_s) {
        QCOMPARE(readAll(m_folder + u"b.dat"_s), newer); // never replaced
        QVERIFY(result.message.contains(u"同じ名前"_s));
    }
    // The notes of the files that came back are gone from the trash.
    QCOMPARE(trashEntries(u"info"_s).size(), remembered ? 1 : 0);
    QCOMPARE(undo.files().size(), remembered ? 1 : 0);
    if (remembered) { // once the name is free, a second undo brings it back
        QVERIFY(QFile::remove(m_folder + u"b.dat"_s));
        QVERIFY(undo.run().anyDone());
        QCOMPARE(readAll(m_folder + u"b.dat"_s), u"b.dat"_s.toUtf8() + QByteArray(5000, 'x'));
        QVERIFY(undo.isEmpty());
    }
}

void TestTrashUndo::replacedFileComesBack_data()
{
    QTest::addColumn<bool>("copyChanged"); // the copy was rewritten before the undo
    QTest::newRow("the copy makes way") << false;
    QTest::newRow("a rewritten copy stays") << true;
}

void TestTrashUndo::replacedFileComesBack()
{
    QFETCH(bool, copyChanged);
    ReplayMaker::ReplayRecipe recipe;
    recipe.score = 1;
    const QByteArray old = ReplayMaker::replayFile(recipe, "old", "kept");
    recipe.score = 2;
    const QByteArray source = ReplayMaker::replayFile(recipe, "new", "");
    QVERIFY(writeAll(m_folder + u"slot.dat"_s, old));
    QVERIFY(writeAll(m_dir->filePath(u"source.dat"_s), source));

    ScriptedPrompter prompter;
    prompter.answerReplace(true);
    const CopyResult copy = ReplayCopyJob(m_dir->filePath(u"source.dat"_s), m_folder + u"slot.dat"_s).run(prompter, nullptr);
    QCOMPARE(copy.outcome, CopyResult::Outcome::Copied);
    QVERIFY(copy.replaced.has_value());
    QCOMPARE(readAll(m_folder + u"slot.dat"_s), source);
    QCOMPARE(readAll(QFile::decodeName(copy.replaced->trashPath)), old); // kept in the trash

    const QByteArray rewritten = source + "more";
    if (copyChanged)
        QVERIFY(writeAll(m_folder + u"slot.dat"_s, rewritten));
    TrashUndo undo;
    undo.remember({*copy.replaced});
    const CommandResult result = undo.run();
    QCOMPARE(result.anyDone(), !copyChanged);
    QCOMPARE(readAll(m_folder + u"slot.dat"_s), copyChanged ? rewritten : old);
    // The copy that made way is in the trash, not lost.
    if (!copyChanged) {
        const QStringList trashed = trashEntries(u"files"_s);
        QCOMPARE(trashed.size(), 1);
        QCOMPARE(readAll(m_dir->filePath(u"home/.local/share/Trash/files/"_s + trashed.front())), source);
    }
}

QTEST_GUILESS_MAIN(TestTrashUndo)
#include "tst_TrashUndo.moc"
