// Deletion mode of the storage table: entering and leaving, marking with the
// guard, and carrying out into the trash of a home of the test's own (which
// starts without ".local", as on a fresh account).

#include "tests/app/MainFormHarness.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

using namespace MainFormTest;

class TestDeletionMode : public MainFormHarness {
    Q_OBJECT

private slots:
    void init() override;
    void cleanup() override;

    void enterAndLeave();
    void emptyFolderNeverEnters();
    void toggleGuardAndSort();
    void keyboardAndPageVeto();
    void declinedKeepsModeAndMarks_data();
    void declinedKeepsModeAndMarks();
    void deletesIntoTrash();
    void partialFailure();

private:
    int rowOf(const QString &name) const { return int(storageColumn0().indexOf(name)) + 1; }
    bool inDeletionLayout() const;
    bool inNormalLayout() const;
    QString trashFiles() const { return m_home + QStringLiteral("/.local/share/Trash/files/"); }

    QString m_home;
    QString m_cwd;
    QString m_oldCwd;
};

void TestDeletionMode::init()
{
    MainFormHarness::init();
    m_home = m_dir->filePath(QStringLiteral("home"));
    m_cwd = m_dir->filePath(QStringLiteral("cwd"));
    QVERIFY(QDir().mkpath(m_home));
    QVERIFY(QDir().mkpath(m_cwd));
    qputenv("HOME", QFile::encodeName(m_home));
    qunsetenv("XDG_DATA_HOME");
    m_oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_cwd));
}

void TestDeletionMode::cleanup()
{
    // Nothing may land in the current folder instead of the trash.
    QVERIFY(!QFileInfo::exists(m_cwd + QStringLiteral("/files")));
    QDir::setCurrent(m_oldCwd);
    MainFormHarness::cleanup();
}

bool TestDeletionMode::inDeletionLayout() const
{
    const auto shown = [this](QWidget *w) { return w->isVisibleTo(m_form->storagePage().PnlReplayCmd); };
    return !shown(m_form->storagePage().BtnReload2) && !shown(m_form->storagePage().BtnToTarnelCopy) && !shown(m_form->storagePage().BtnFileDelete)
        && !shown(m_form->storagePage().BtnReplayInfoEdit2) && shown(m_form->storagePage().BtnDeleteCancel) && shown(m_form->storagePage().BtnDeleteExec)
        && shown(m_form->storagePage().Label10) && shown(m_form->storagePage().Label11) && shown(m_form->storagePage().LblDelFileCnt)
        && !m_form->R1->isEnabled() && m_form->N1->isEnabled() && m_form->DeleteMode();
}

bool TestDeletionMode::inNormalLayout() const
{
    const auto shown = [this](QWidget *w) { return w->isVisibleTo(m_form->storagePage().PnlReplayCmd); };
    return shown(m_form->storagePage().BtnReload2) && shown(m_form->storagePage().BtnToTarnelCopy) && shown(m_form->storagePage().BtnFileDelete)
        && shown(m_form->storagePage().BtnReplayInfoEdit2) && !shown(m_form->storagePage().BtnDeleteCancel) && !shown(m_form->storagePage().BtnDeleteExec)
        && !shown(m_form->storagePage().Label10) && !shown(m_form->storagePage().Label11) && !shown(m_form->storagePage().LblDelFileCnt)
        && m_form->R1->isEnabled() && !m_form->DeleteMode();
}

void TestDeletionMode::enterAndLeave()
{
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QVERIFY(inNormalLayout());
    const ReplayTableModel &model = MainFormHarness::model(1);
    const QStringList names = storageColumn0();

    // The row selected on entering is marked at once.
    clickRow(1, 3);
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    QVERIFY(inDeletionLayout());
    QCOMPARE(m_form->DelFileList(), QStringList{names[2]});
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("1"));
    QVERIFY(model.isMarked(3));
    QCOMPARE(m_form->FileSelectRow(), 0);

    // Selecting it unmarks it: the guard is empty on entering.
    clickRow(1, 3);
    QVERIFY(m_form->DelFileList().isEmpty());
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("0"));

    // Carrying out with nothing marked asks nothing and stays in the mode.
    QTest::mouseClick(m_form->storagePage().BtnDeleteExec, Qt::LeftButton);
    QCOMPARE(m_prompter.errors(), QStringList{QStringLiteral("ファイルが選択されていません。")});
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ConfirmDelete), 0);
    QVERIFY(inDeletionLayout());
    QCOMPARE(storageColumn0().size(), 3);
    clickRow(1, 1);
    QVERIFY(model.isMarked(1));

    // Cancelling clears every mark and the guard; entering again starts with
    // only the then-selected row.
    QTest::mouseClick(m_form->storagePage().BtnDeleteCancel, Qt::LeftButton);
    QVERIFY(inNormalLayout());
    QVERIFY(m_form->DelFileList().isEmpty());
    QCOMPARE(m_form->FileSelectRow(), 0);
    QVERIFY(!m_form->session().guardTimer()->isActive());
    QVERIFY(!model.isMarked(1));
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    QCOMPARE(m_form->DelFileList(), QStringList{names[0]});
    QCOMPARE(m_prompter.calls().size(), size_t(1));
}

void TestDeletionMode::emptyFolderNeverEnters()
{
    prepare({});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QVERIFY(!m_form->storagePage().BtnFileDelete->isEnabled());
    m_form->BtnFileDeleteClick();
    QVERIFY(inNormalLayout());
}

void TestDeletionMode::toggleGuardAndSort()
{
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3},
             {QStringLiteral("d.dat"), 4}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    m_form->vSetDeleteMode(true);
    const ReplayTableModel &model = MainFormHarness::model(1);
    const QStringList names = storageColumn0();
    clickRow(1, 1); // takes back the mark made on entering
    QVERIFY(m_form->DelFileList().isEmpty());

    clickRow(1, 2);
    QCOMPARE(m_form->DelFileList(), QStringList{names[1]});
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("1"));
    QVERIFY(model.isMarked(2));
    QCOMPARE(m_form->FileSelectRow(), 2);
    QCOMPARE(label("LblReplayName"), QFileInfo(names[1]).completeBaseName()); // the panel still follows

    // The same row again at once: the guard absorbs it.
    clickRow(1, 2);
    QCOMPARE(m_form->DelFileList().size(), 1);
    QVERIFY(model.isMarked(2));

    // After 500 ms without a toggle the same row toggles back.
    QTRY_COMPARE_WITH_TIMEOUT(m_form->FileSelectRow(), 0, 2000);
    clickRow(1, 2);
    QVERIFY(m_form->DelFileList().isEmpty());
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("0"));
    QVERIFY(!model.isMarked(2));

    // Two different rows in quick succession: both marked.
    clickRow(1, 1);
    clickRow(1, 4);
    QCOMPARE(m_form->DelFileList(), (QStringList{names[0], names[3]}));
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("2"));
    QVERIFY(model.isMarked(1) && model.isMarked(4) && !model.isMarked(3));

    // Marks belong to file names: sorting moves them with their rows.
    QTest::mouseClick(m_form->storagePage().SbtSortScore2, Qt::LeftButton); // d, c, b, a
    QCOMPARE(storageColumn0(), (QStringList{QStringLiteral("d.dat"), QStringLiteral("c.dat"), QStringLiteral("b.dat"),
                                            QStringLiteral("a.dat")}));
    for (int r = 1; r <= 4; ++r)
        QCOMPARE(model.isMarked(r), m_form->DelFileList().contains(model.cell(r, 0)));

    // The timer's handler itself clears the guard.
    clickRow(1, 3);
    QCOMPARE(m_form->FileSelectRow(), 3);
    m_form->session().guardExpired();
    QCOMPARE(m_form->FileSelectRow(), 0);
    QVERIFY(!m_form->session().guardTimer()->isActive());

    m_form->vSetDeleteMode(false);
    QVERIFY(m_form->DelFileList().isEmpty());
    for (int r = 1; r <= 4; ++r)
        QVERIFY(!model.isMarked(r));
}

void TestDeletionMode::keyboardAndPageVeto()
{
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    m_form->vSetDeleteMode(true); // marks row 1

    // Moving through the table with the keyboard only moves: the panel
    // follows, no mark changes. Space (like Delete) toggles the current row.
    table(1)->setFocus();
    const QStringList first{storageColumn0().constFirst()};
    const std::pair<Qt::Key, Qt::KeyboardModifiers> moves[] = {
        {Qt::Key_Down, {}},     {Qt::Key_End, Qt::ControlModifier},  {Qt::Key_PageUp, {}},
        {Qt::Key_Home, {}},     {Qt::Key_End, {}},                   {Qt::Key_Home, Qt::ControlModifier},
        {Qt::Key_C, {}}, // typing a name goes to it
        {Qt::Key_Up, {}},
    };
    for (const auto &[key, modifiers] : moves) {
        QTest::keyClick(table(1), key, modifiers);
        QCOMPARE(m_form->DelFileList(), first);
    }
    QCOMPARE(m_form->ReplayRow(), 2);
    QCOMPARE(label("LblReplayName"), QFileInfo(storageColumn0().at(1)).completeBaseName());
    QTest::keyClick(table(1), Qt::Key_Space);
    QTest::keyClick(table(1), Qt::Key_Down);
    QTest::keyClick(table(1), Qt::Key_Space);
    QCOMPARE(m_form->DelFileList().size(), 3);
    QCOMPARE(m_form->ReplayRow(), 3);
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("3"));

    // A reload that shrinks the table under the selected row is no selection
    // by the user: it toggles nothing.
    const QStringList marked = m_form->DelFileList();
    QVERIFY(QFile::remove(m_storage + storageColumn0().constLast()));
    m_form->BtnReload2Click();
    QCOMPARE(model(1).rowCountWithHeader(), 3);
    QCOMPARE(m_form->ReplayRow(), 1);
    QCOMPARE(m_form->DelFileList(), marked);

    // The other page cannot be shown: not by the mouse, nor by the keyboard,
    // nor by any other way.
    clickTab(0);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 1);
    QTest::keyClick(table(1), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 1);
    m_form->PcReplayDat->setCurrentIndex(0);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 1);
    QCOMPARE(m_form->ActiveTab(), 1);
    QCOMPARE(m_form->statusPanelText(0), StorageKind);
    bool allow = true;
    m_form->PcReplayDatChanging(allow);
    QVERIFY(!allow);

    // Esc leaves the mode as "削除　取消" does.
    QTest::keyClick(table(1), Qt::Key_Escape);
    QVERIFY(!m_form->DeleteMode());
    QVERIFY(inNormalLayout());
    allow = true;
    m_form->PcReplayDatChanging(allow);
    QVERIFY(allow);
    clickTab(0);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 0);
    QCOMPARE(m_form->ActiveTab(), 0);
}

void TestDeletionMode::declinedKeepsModeAndMarks_data()
{
    QTest::addColumn<bool>("stopped");
    QTest::newRow("declined") << false;
    // Yes, then the Cancel of the progress box before the first file went.
    QTest::newRow("stopped while moving") << true;
}

void TestDeletionMode::declinedKeepsModeAndMarks()
{
    QFETCH(bool, stopped);
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QTest::mouseClick(m_form->storagePage().SbtSortFile2, Qt::LeftButton); // c, b, a
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    clickRow(1, 3);
    const QStringList marked{QStringLiteral("c.dat"), QStringLiteral("a.dat")};
    QCOMPARE(m_form->DelFileList(), marked);

    m_prompter.answerDelete(stopped);
    if (stopped)
        m_prompter.whileAsking([this] { m_form->fileWork().cancel(); });
    QTest::mouseClick(m_form->storagePage().BtnDeleteExec, Qt::LeftButton);
    // One question for the whole set, full paths in marking order.
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ConfirmDelete), 1);
    QCOMPARE(m_prompter.calls().back().paths,
             (QStringList{m_storage + QStringLiteral("c.dat"), m_storage + QStringLiteral("a.dat")}));
    QCOMPARE(m_prompter.calls().back().owner, m_form.get());
    QVERIFY(inDeletionLayout());
    QCOMPARE(m_form->DelFileList(), marked);
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("2"));
    for (const QString &name : marked)
        QVERIFY(QFile::exists(m_storage + name));
    if (!stopped)
        QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/.local")));
    QCOMPARE(m_prompter.errors(), QStringList{});
}

void TestDeletionMode::deletesIntoTrash()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: names that differ in letter case only, and the desktop trash folder (tst_RecycleBin has the Windows one)");
#else
    // "B.dat" and "b.dat" are two files: marking one leaves the other alone.
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3},
             {QStringLiteral("B.dat"), 4}});
    const QByteArray bBytes = readAll(m_storage + QStringLiteral("b.dat"));
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(1, rowOf(QStringLiteral("b.dat")));
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    clickRow(1, rowOf(QStringLiteral("c.dat")));
    QCOMPARE(m_form->DelFileList(), (QStringList{QStringLiteral("b.dat"), QStringLiteral("c.dat")}));
    QVERIFY(!model(1).isMarked(rowOf(QStringLiteral("B.dat"))));

    m_prompter.answerDelete(true);
    QTest::mouseClick(m_form->storagePage().BtnDeleteExec, Qt::LeftButton);
    QCOMPARE(m_prompter.errors(), QStringList{});
    QCOMPARE(m_form->statusBar()->currentMessage(), QStringLiteral("2 件をごみ箱に移動しました"));
    QVERIFY(inNormalLayout());
    QVERIFY(m_form->DelFileList().isEmpty());
    QStringList listed = storageColumn0();
    listed.sort();
    QCOMPARE(listed, (QStringList{QStringLiteral("B.dat"), QStringLiteral("a.dat")}));
    QCOMPARE(m_form->ReplayRow(), 1);
    QCOMPARE(table(1)->currentIndex().row(), 0);
    QCOMPARE(label("LblReplayName"), QFileInfo(storageColumn0().constFirst()).completeBaseName());
    QVERIFY(QFile::exists(m_storage + QStringLiteral("B.dat")));

    // The files are in the trash of a home that had no ".local" before, made
    // for the owner alone.
    QVERIFY(!QFile::exists(m_storage + QStringLiteral("b.dat")));
    QCOMPARE(readAll(trashFiles() + QStringLiteral("b.dat")), bBytes);
    QVERIFY(QFile::exists(trashFiles() + QStringLiteral("c.dat")));
    QVERIFY(QFile::exists(m_home + QStringLiteral("/.local/share/Trash/info/c.dat.trashinfo")));
    for (const char *folder : {"/.local", "/.local/share", "/.local/share/Trash", "/.local/share/Trash/files",
                               "/.local/share/Trash/info"})
        QCOMPARE(QFile::permissions(m_home + QLatin1String(folder)) & 0x0077, QFile::Permissions{});
#endif
}

void TestDeletionMode::partialFailure()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: the desktop trash's limit on name length");
#else
    // A name too long for the trash's note stays where it is.
    const QString longName = QString(246, QLatin1Char('x')) + QStringLiteral(".dat");
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3},
             {longName, 4}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(1, rowOf(QStringLiteral("b.dat")));
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    clickRow(1, rowOf(longName));
    clickRow(1, rowOf(QStringLiteral("c.dat")));
    QCOMPARE(m_form->DelFileList().size(), 3);
    // b.dat vanishes between marking and carrying out.
    QVERIFY(QFile::remove(m_storage + QStringLiteral("b.dat")));

    m_prompter.answerDelete(true);
    QTest::mouseClick(m_form->storagePage().BtnDeleteExec, Qt::LeftButton);

    // One message names both failures with their reasons.
    const QStringList errors = m_prompter.errors();
    QCOMPARE(errors.size(), 1);
    const QStringList lines = errors[0].split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(QStringLiteral("b.dat：ファイルが見つかりません。")), qPrintable(errors[0]));
    QVERIFY2(lines.contains(longName + QStringLiteral("：ファイル名が長すぎるため、ごみ箱に移動できません。")),
             qPrintable(errors[0]));
    QVERIFY(!errors[0].contains(QStringLiteral("c.dat")));

    // The folder was read again; the mode stays with what is left marked.
    QVERIFY(QFile::exists(trashFiles() + QStringLiteral("c.dat")));
    QStringList listed = storageColumn0();
    listed.sort();
    QCOMPARE(listed, (QStringList{QStringLiteral("a.dat"), longName}));
    QCOMPARE(m_form->ReplayRow(), 1);
    QVERIFY(inDeletionLayout());
    QCOMPARE(m_form->DelFileList(), QStringList{longName});
    QCOMPARE(m_form->storagePage().LblDelFileCnt->text(), QStringLiteral("1"));
    QVERIFY(model(1).isMarked(rowOf(longName)));
    QCOMPARE(m_form->FileSelectRow(), 0);
    QVERIFY(QFile::exists(m_storage + longName));
#endif
}

QTEST_MAIN(TestDeletionMode)
#include "tst_DeletionMode.moc"
