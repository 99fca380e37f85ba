// A page without a window: it reads its selection from its view, follows
// the filter, and shows deletion mode from the session it is given.

#include "app/GamePage.h"
#include "app/ReplayWorkspace.h"
#include "app/StoragePage.h"
#include "catalogue/ReplayTableModel.h"
#include "operations/DeletionSession.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestReplayPage : public QObject {
    Q_OBJECT

private slots:
    void init();
    void selectionAndFilter();
    void deletionModeShown();
    void gameSlotsAndCommands();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReplayWorkspace> m_workspace;
};

void TestReplayPage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString game = m_dir->filePath(u"game/"_s);
    const QString storage = m_dir->filePath(u"storage/"_s);
    QVERIFY(QDir().mkpath(game) && QDir().mkpath(storage));
    for (const char *name : {"alpha", "beta", "gamma"})
        QVERIFY(ReplayMaker::writeFile(storage + QString::fromLatin1(name) + u".dat"_s,
                                       ReplayMaker::replayFile({}, name, "comment")));
    QVERIFY(ReplayMaker::writeFile(game + u"qv_replay1.dat"_s, ReplayMaker::replayFile({}, "slot", "")));
    m_workspace = std::make_unique<ReplayWorkspace>();
    m_workspace->setFolders(FolderSettings{game, storage});
    m_workspace->reloadTarnelFolder(nullptr);
    m_workspace->reloadStorageFolder(nullptr);
}

// The selected row is the view's; the program's own selections are no
// choice of the user; a filter that hides it selects the first row shown,
// one that hides every row selects none.
void TestReplayPage::selectionAndFilter()
{
    DeletionSession session;
    StoragePage page(*m_workspace, session);
    QSignalSpy chosen(&page, &ReplayPage::rowChosen);
    page.vSetReplayTbl(true);
    QCOMPARE(page.selectedRow(), 1);
    const int beta = page.findRow(u"beta.dat"_s);
    page.selectRow(beta);
    QCOMPARE(page.selectedName(), u"beta.dat"_s);
    QCOMPARE(chosen.count(), 0);

    page.EdtFilter->setText(u"gamma"_s);
    QCOMPARE(page.selectedName(), u"gamma.dat"_s);
    QCOMPARE(page.rowsAsShown(), QList<int>{page.findRow(u"gamma.dat"_s)});
    QCOMPARE(page.countTexts()[0], u"1/3"_s);
    page.EdtFilter->setText(u"nothing"_s);
    QCOMPARE(page.selectedRow(), 0);
    ReplayInfo info{};
    QVERIFY(!page.replayAt(page.findRow(u"alpha.dat"_s), info)); // hidden rows hold no replay
    page.revealRow(page.findRow(u"alpha.dat"_s));
    QVERIFY(page.EdtFilter->text().isEmpty());
    QCOMPARE(chosen.count(), 0);
}

// The session's mode and marks are what the page shows; a row the user
// chooses toggles its mark.
void TestReplayPage::deletionModeShown()
{
    DeletionSession session;
    StoragePage page(*m_workspace, session);
    page.vSetReplayTbl(true);
    session.start(page.selectedName());
    QVERIFY(page.BtnFileDelete->isHidden() && !page.BtnDeleteExec->isHidden() && !page.LblDelFileCnt->isHidden());
    QCOMPARE(page.LblDelFileCnt->text(), u"1"_s);
    QVERIFY(page.model().isMarked(1));
    page.chooseRow(2);
    QCOMPARE(session.count(), 2);
    QVERIFY(page.model().isMarked(2));
    int hidden = -1;
    QCOMPARE(page.markedFiles(&hidden).size(), 2);
    QCOMPARE(hidden, 0);
    session.stop();
    QVERIFY(!page.BtnFileDelete->isHidden() && page.BtnDeleteExec->isHidden());
    QVERIFY(!page.model().isMarked(1));
}

// The game page's ten fixed rows, and commands asked for through its buttons
// only while they are enabled.
void TestReplayPage::gameSlotsAndCommands()
{
    GamePage page(*m_workspace);
    page.vSetReplayTbl(true);
    QCOMPARE(page.model().rowCount(), 10);
    QCOMPARE(page.selectedName(), u"qv_replay0.dat"_s);
    ReplayInfo info{};
    QVERIFY(!page.replayAt(1, info));
    QVERIFY(page.replayAt(2, info));
    QSignalSpy asked(&page, &ReplayPage::commandAsked);
    page.vSetCmdButton(0);
    QVERIFY(!page.press(PageCommand::Edit));
    QVERIFY(page.press(PageCommand::Reload));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().value<PageCommand>(), PageCommand::Reload);
}

QTEST_MAIN(TestReplayPage)
#include "tst_ReplayPage.moc"
