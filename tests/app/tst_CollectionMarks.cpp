// What the collection holds, in the main window: the "already stored" marks of
// the game page following both folders, the copy dialog's note, and the
// duplicate finder marking files in deletion mode.

#include "tests/app/MainFormHarness.h"

#include "app/StoredMarks.h"
#include "catalogue/ReplayDetailPanel.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>

using namespace MainFormTest;

class TestCollectionMarks : public MainFormHarness {
    Q_OBJECT

private slots:

    void storedMarkFollowsBothFolders();
    void noDuplicates();
    void duplicatesMarked_data();
    void duplicatesMarked();

private:
    QStringList storedOf(int gridRow) const { return model(FolderKind::Game).storedNames(gridRow); }
    bool storedLineShown() const { return m_form->PnlInfoView->LblStoredName->isVisibleTo(m_form->PnlInfoView); }
};

void TestCollectionMarks::storedMarkFollowsBothFolders()
{
    prepare({{QStringLiteral("other.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    for (int row = 1; row <= 10; ++row)
        QVERIFY(storedOf(row).isEmpty());
    clickRow(FolderKind::Game, 3); // slot 2, Carol
    QVERIFY(!storedLineShown());

    // A copy into storage marks the slot; the panel names the file.
    m_prompter.answerCopyTarget(QStringLiteral("記録.dat"));
    m_form->gamePage().BtnToReplayCopy->click();
    QCOMPARE(m_prompter.calls().back().copyTarget.storedNames, QStringList());
    QCOMPARE(storedOf(3), QStringList{QStringLiteral("記録.dat")});
    QVERIFY(storedOf(2).isEmpty());
    QVERIFY(storedLineShown());
    QCOMPARE(label("LblStoredName"), QStringLiteral("記録.dat"));

    // The copy dialog says where it is stored, and copies all the same.
    m_prompter.answerCopyTarget(QStringLiteral("again.dat"));
    m_form->gamePage().BtnToReplayCopy->click();
    QCOMPARE(m_prompter.calls().back().copyTarget.storedNames, QStringList{QStringLiteral("記録.dat")});
    QCOMPARE(storedOf(3).size(), 2);
    QVERIFY(storedOf(3).contains(QStringLiteral("again.dat")));

    // Another slot and the storage page show no line.
    clickRow(FolderKind::Game, 1);
    QVERIFY(!storedLineShown());
    clickRow(FolderKind::Game, 3);
    QVERIFY(storedLineShown());

    // Files removed behind the program's back: the next read of the folder
    // drops the mark and the line at once.
    QVERIFY(QFile::remove(m_storage + QStringLiteral("記録.dat")));
    QVERIFY(QFile::remove(m_storage + QStringLiteral("again.dat")));
    m_form->workspace().reloadStorageFolder(nullptr);
    QVERIFY(storedOf(3).isEmpty());
    QVERIFY(!storedLineShown());

    // The game overwrites slot 0 with a replay that is in storage.
    QVERIFY(QFile::copy(m_storage + QStringLiteral("other.dat"), m_game + QStringLiteral("qv_replay0.dat.new")));
    QVERIFY(QFile::remove(m_game + QStringLiteral("qv_replay0.dat")));
    QVERIFY(QFile::rename(m_game + QStringLiteral("qv_replay0.dat.new"), m_game + QStringLiteral("qv_replay0.dat")));
    m_form->gamePage().BtnReload->click();
    QCOMPARE(storedOf(1), QStringList{QStringLiteral("other.dat")});
    QCOMPARE(m_form->gamePage().storedMarks().namesOfSlot(0), QStringList{QStringLiteral("other.dat")});
}

void TestCollectionMarks::noDuplicates()
{
    prepare({{QStringLiteral("a.dat"), 100}, {QStringLiteral("b.dat"), 200}});
    m_form = start();
    QVERIFY(m_form);
    m_form->ActFindDuplicates->trigger();
    QCOMPARE(m_prompter.informations(), QStringList{QStringLiteral("重複したリプレイはありません。")});
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ReviewDuplicates), 0);
    QVERIFY(!m_form->DeleteMode());
}

// a, b and c hold one replay (other player names); c is the oldest, then a.
void TestCollectionMarks::duplicatesMarked_data()
{
    QTest::addColumn<bool>("mark");            // the answer in the list
    QTest::addColumn<bool>("alreadyDeleting"); // deletion mode on before, with d.dat marked
    QTest::addColumn<QString>("filter");       // filter text set before

    QTest::newRow("closed: nothing marked") << false << false << QString();
    QTest::newRow("marked from the game page") << true << false << QString();
    QTest::newRow("marks replace those of deletion mode") << true << true << QString();
    QTest::newRow("a filter hiding a mark is cleared") << true << false << QStringLiteral("d.dat");
}

void TestCollectionMarks::duplicatesMarked()
{
    QFETCH(bool, mark);
    QFETCH(bool, alreadyDeleting);
    QFETCH(QString, filter);
    prepare({{QStringLiteral("a.dat"), 100}, {QStringLiteral("b.dat"), 100}, {QStringLiteral("c.dat"), 100},
             {QStringLiteral("d.dat"), 200}});
    const QDateTime base = QDateTime::currentDateTime().addDays(-5);
    for (const auto &[name, day] : {std::pair{"c.dat", 1}, {"a.dat", 2}, {"b.dat", 3}}) {
        QFile file(m_storage + QLatin1String(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(base.addDays(day), QFileDevice::FileModificationTime));
    }
    m_form = start();
    QVERIFY(m_form);
    if (alreadyDeleting) {
        clickTab(1);
        clickRow(FolderKind::Storage, int(storageColumn0().indexOf(QStringLiteral("d.dat"))) + 1);
        m_form->storagePage().BtnFileDelete->click();
        QCOMPARE(m_form->DelFileList(), QStringList{QStringLiteral("d.dat")});
    }
    if (!filter.isEmpty())
        m_form->storagePage().EdtFilter->setText(filter);

    m_prompter.answerDuplicates(mark);
    m_form->ActFindDuplicates->trigger();
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ReviewDuplicates), 1);
    const DuplicateGroups &groups = m_prompter.calls().back().duplicates;
    QCOMPARE(groups.size(), size_t(1));
    QCOMPARE(groups[0].files.size(), size_t(3));
    QCOMPARE(groups[0].files[0].fileName, QStringLiteral("c.dat"));
    QCOMPARE(groups[0].files[1].playerName, QStringLiteral("a"));

    if (!mark) {
        QVERIFY(!m_form->DeleteMode());
        QCOMPARE(m_form->ActiveTab(), 0);
        return;
    }
    QVERIFY(m_form->DeleteMode());
    QCOMPARE(m_form->ActiveTab(), 1);
    QCOMPARE(m_form->DelFileList(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
    QCOMPARE(label("LblDelFileCnt"), QStringLiteral("2"));
    QVERIFY(m_form->storagePage().EdtFilter->text().isEmpty());
    QVERIFY(model(FolderKind::Storage).isMarked(m_form->ReplayRow())); // the first mark is selected
    QCOMPARE(model(FolderKind::Storage).cell(m_form->ReplayRow(), 0), QStringLiteral("a.dat"));

    // The deletion mode's own buttons carry it out: the confirmation lists exactly these.
    m_prompter.answerDelete(false);
    m_form->storagePage().BtnDeleteExec->click();
    QCOMPARE(m_prompter.calls().back().paths,
             (QStringList{m_storage + QStringLiteral("a.dat"), m_storage + QStringLiteral("b.dat")}));
    QVERIFY(m_form->DeleteMode());
    QCOMPARE(m_form->DelFileList().size(), 2);
}

QTEST_MAIN(TestCollectionMarks)
#include "tst_CollectionMarks.moc"
