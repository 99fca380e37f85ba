// The storage folder's unreadable files in the window: the count in the
// status bar, the list with its reasons, and the trash and renames offered
// there, answered by a scripted prompter. Trashing goes to a home of the
// test's own.

#include "tests/app/MainFormHarness.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>

using namespace MainFormTest;
using Action = UnreadableFilesAnswer::Action;
using Kind = ScriptedPrompter::Kind;

namespace {

const QByteArray TestName = QByteArray::fromHex("836583588367") + ".dat"; // テスト.dat in Shift-JIS
const QString NotUtf8 = QStringLiteral("ファイル名が Shift-JIS など別の文字コードで書かれています");

QByteArray replayBytes(const QByteArray &player)
{
    return ReplayMaker::replayFile(makeSpec("QVreplay Ver107 ", 10), player, "");
}

} // namespace

class TestUnreadableFiles : public MainFormHarness {
    Q_OBJECT

private slots:
    void init() override;
    void cleanup() override;

    void countFollowsFolder();
    void listsReasons_data();
    void listsReasons();
    void trashFromList();
    void renameNames();

private:
    QByteArray rawStorage() const { return QFile::encodeName(m_storage); }
    QByteArray trashFolder() const { return QFile::encodeName(m_home) + "/.local/share/Trash"; }
    int rowOf(const QString &name) const { return int(storageColumn0().indexOf(name)) + 1; }
    // The count as the status bar shows it; empty when it is not shown.
    QString shownCount() const
    {
        return m_form->SbtUnreadable->isVisibleTo(m_form.get()) ? m_form->SbtUnreadable->text() : QString();
    }
    // Every item of the status bar lies inside the window.
    bool statusFits() const;
    void openList() { QTest::mouseClick(m_form->SbtUnreadable, Qt::LeftButton); }

    QString m_home;
    QString m_oldCwd;
};

void TestUnreadableFiles::init()
{
    MainFormHarness::init();
    m_home = m_dir->filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(m_home));
    qputenv("HOME", QFile::encodeName(m_home));
    qunsetenv("XDG_DATA_HOME");
    m_oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestUnreadableFiles::cleanup()
{
    m_form.reset();
    QDir::setCurrent(m_oldCwd);
    removeNonUtf8Names(m_storage);
    removeNonUtf8Names(QFile::decodeName(trashFolder() + "/files"));
    removeNonUtf8Names(QFile::decodeName(trashFolder() + "/info"));
    MainFormHarness::cleanup();
}

bool TestUnreadableFiles::statusFits() const
{
    QStatusBar *bar = m_form->statusBar();
    bar->layout()->activate();
    QList<QRect> items;
    for (QWidget *item : bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (item->isVisibleTo(bar))
            items.append(item->geometry());
    }
    std::sort(items.begin(), items.end(), [](const QRect &a, const QRect &b) { return a.left() < b.left(); });
    int right = -1;
    for (const QRect &item : std::as_const(items)) {
        if (item.left() <= right) // overlapping: the bar had no room for both
            return false;
        right = item.right();
    }
    return right < bar->width();
}

void TestUnreadableFiles::countFollowsFolder()
{
    prepare({{QStringLiteral("a.dat"), 1}});
    QVERIFY(writeAll(m_storage + QStringLiteral("cut.dat"), ReplayMaker::brokenFile(ReplayMaker::Damage::TruncatedStream)));
    // Not named like a replay, or no file: never counted.
    QVERIFY(writeAll(m_storage + QStringLiteral("notes.txt"), "text"));
    QVERIFY(writeAll(m_storage + QStringLiteral(".hidden.dat"), "text"));
    QVERIFY(QDir().mkdir(m_storage + QStringLiteral("folder.dat")));
    m_form = start();
    QVERIFY(m_form);

    // The game page's bar shows the game folder: nothing counted there.
    QCOMPARE(shownCount(), QString());
    QVERIFY(m_form->ActUnreadable->isEnabled());
    QCOMPARE(m_form->StatusPanels[1]->width(), 600);

    clickTab(1);
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：1"));
    QVERIFY(m_form->StatusPanels[1]->width() < 600);
    QVERIFY(statusFits());
    m_form->storagePage().EdtFilter->setText(QStringLiteral("a")); // the filter's count beside it
    QVERIFY(!m_form->statusPanelText(2).isEmpty());
    QVERIFY(statusFits());
    m_form->storagePage().EdtFilter->clear();

    m_prompter.answerUnreadableClose();
    openList();
    QCOMPARE(m_prompter.count(Kind::ReviewUnreadableFiles), 1);

    // Mended outside the program: gone at the next read, and back when two
    // more turn up.
    QVERIFY(writeAll(m_storage + QStringLiteral("cut.dat"), replayBytes("mended")));
    QTest::mouseClick(m_form->storagePage().BtnReload2, Qt::LeftButton);
    QCOMPARE(shownCount(), QString());
    QVERIFY(!m_form->ActUnreadable->isEnabled());
    QCOMPARE(m_form->StatusPanels[1]->width(), 600);
    QVERIFY(writeAll(m_storage + QStringLiteral("x.dat"), "text"));
    QVERIFY(writeAll(m_storage + QStringLiteral("y.DAT"), QByteArray()));
    QTest::mouseClick(m_form->storagePage().BtnReload2, Qt::LeftButton);
    // Never drawn over what the bar says about the read; back after it.
    QVERIFY(!m_form->statusBar()->currentMessage().isEmpty());
    QCOMPARE(shownCount(), QString());
    m_form->statusBar()->clearMessage();
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：2"));
    QVERIFY(statusFits());
    QVERIFY(m_form->ActUnreadable->isEnabled());

    // In deletion mode the list is shown, but nothing is offered.
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    QVERIFY(m_form->DeleteMode());
    m_prompter.answerUnreadableClose();
    m_form->ActUnreadable->trigger();
    const QList<UnreadableFilesRequest> requests = m_prompter.unreadableRequests();
    QCOMPARE(requests.size(), 2);
    QVERIFY(!requests[1].canChange);
    QCOMPARE(requests[1].folder, m_storage);
    QCOMPARE(requests[1].files.size(), 2);
}

void TestUnreadableFiles::listsReasons_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("content"); // "fifo" and "link" make those
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reason");
    const auto broken = [](ReplayMaker::Damage damage) { return ReplayMaker::brokenFile(damage); };
    QTest::newRow("not a replay") << QByteArray("text.dat") << broken(ReplayMaker::Damage::PlainText)
                                  << QStringLiteral("text.dat") << QStringLiteral("リプレイファイルではありません");
    QTest::newRow("empty") << QByteArray("empty.dat") << QByteArray() << QStringLiteral("empty.dat")
                           << QStringLiteral("空のファイルです");
    QTest::newRow("cut short") << QByteArray("cut.dat") << broken(ReplayMaker::Damage::TruncatedStream)
                               << QStringLiteral("cut.dat")
                               << QStringLiteral("リプレイのデータが壊れているか、途中で切れています");
#ifndef Q_OS_WIN
    // FIFOs, symbolic links, names that are not UTF-8 and permission bits
    // are POSIX only: Windows names are UTF-16.
    QTest::newRow("FIFO") << QByteArray("x.dat") << QByteArray("fifo") << QStringLiteral("x.dat")
                          << QStringLiteral("通常のファイルではありません（名前付きパイプ）");
    QTest::newRow("link to nothing") << QByteArray("link.dat") << QByteArray("link") << QStringLiteral("link.dat")
                                     << QStringLiteral("リンク先のファイルがありません");
    QTest::newRow("Shift-JIS name") << TestName << replayBytes("sjis") << QStringLiteral("テスト.dat") << NotUtf8;
    QTest::newRow("Latin-1 name") << QByteArray("caf\xe9s.dat") << replayBytes("latin")
                                  << QStringLiteral("caf駸.dat") << NotUtf8;
    if (::geteuid() != 0) // root opens any file
        QTest::newRow("no permission") << QByteArray("locked.dat") << replayBytes("locked")
                                       << QStringLiteral("locked.dat") << QStringLiteral("ファイルを開く権限がありません");
#endif
}

void TestUnreadableFiles::listsReasons()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    QFETCH(QString, reason);
    prepare({{QStringLiteral("a.dat"), 1}});
    const QByteArray path = rawStorage() + name;
#ifndef Q_OS_WIN
    if (content == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (content == "link")
        QCOMPARE(::symlink("nowhere.dat", path.constData()), 0);
    else
#endif
        QVERIFY(writeRawFile(path, content));
#ifndef Q_OS_WIN
    if (name == "locked.dat")
        QCOMPARE(::chmod(path.constData(), 0), 0);
#endif

    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：1"));
    QCOMPARE(storageColumn0(), QStringList{QStringLiteral("a.dat")});
    m_prompter.answerUnreadableClose();
    openList();
    const QList<UnreadableFilesRequest> requests = m_prompter.unreadableRequests();
    QCOMPARE(requests.size(), 1);
    QVERIFY(requests[0].canChange);
    QCOMPARE(requests[0].files.size(), 1);
    const UnreadableFileRow &row = requests[0].files[0];
    QCOMPARE(row.name, shown);
    QCOMPARE(row.nameBytes, name);
    QCOMPARE(row.nameNotUtf8, reason == NotUtf8);
    QCOMPARE(row.newName, reason == NotUtf8 ? shown : QString()); // both read cleanly
    QCOMPARE(row.reason, reason);
}

void TestUnreadableFiles::trashFromList()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file names that are not UTF-8 (Windows names are UTF-16)");
#else
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}});
    const QString longName = QString(246, QLatin1Char('x')) + QStringLiteral(".dat"); // too long for the trash
    QVERIFY(writeRawFile(rawStorage() + TestName, replayBytes("sjis")));
    QVERIFY(writeAll(m_storage + QStringLiteral("cut.dat"), ReplayMaker::brokenFile(ReplayMaker::Damage::TruncatedStream)));
    QVERIFY(writeAll(m_storage + longName, "text"));
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(1, rowOf(QStringLiteral("b.dat")));
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：3"));

    // Declined: nothing moves; the list comes back with the same selection.
    m_prompter.answerUnreadable({Action::Trash, {0, 1, 2}});
    m_prompter.answerDelete(false);
    m_prompter.answerUnreadableClose();
    openList();
    QList<UnreadableFilesRequest> requests = m_prompter.unreadableRequests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[1].selected, (QList<int>{0, 1, 2}));
    QCOMPARE(m_prompter.count(Kind::ConfirmDelete), 1);
    QStringList asked = m_prompter.calls()[1].paths;
    asked.sort();
    QCOMPARE(asked, (QStringList{m_storage + QStringLiteral("cut.dat"), m_storage + longName,
                                 m_storage + QStringLiteral("テスト.dat")}));
    QVERIFY(::access((rawStorage() + TestName).constData(), F_OK) == 0);
    QVERIFY(QFile::exists(m_storage + QStringLiteral("cut.dat")));

    // Accepted: what can go goes, one message names the rest.
    m_prompter.reset();
    m_prompter.answerUnreadable({Action::Trash, {0, 1, 2}});
    m_prompter.answerDelete(true);
    m_prompter.answerUnreadableClose();
    openList();
    QCOMPARE(m_prompter.errors(),
             QStringList{QStringLiteral("次のファイルをごみ箱に移動できませんでした。\n\n%1：%2")
                             .arg(longName, QStringLiteral("ファイル名が長すぎるため、ごみ箱に移動できません。"))});
    QVERIFY(QFile::exists(QFile::decodeName(trashFolder()) + QStringLiteral("/files/cut.dat")));
    QCOMPARE(readRawFile(trashFolder() + "/files/" + TestName), replayBytes("sjis"));
    QVERIFY(::access((rawStorage() + TestName).constData(), F_OK) != 0);

    // The folder was read again: the list shows what is left, still
    // selected; the table keeps its selected replay.
    requests = m_prompter.unreadableRequests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[1].files.size(), 1);
    QCOMPARE(requests[1].files[0].name, longName);
    QCOMPARE(requests[1].selected, QList<int>{0});
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：1"));
    QCOMPARE(model(1).cell(m_form->ReplayRow(), 0), QStringLiteral("b.dat"));
    QCOMPARE(label("LblReplayName"), QStringLiteral("b"));
#endif
}

void TestUnreadableFiles::renameNames()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file names that are not UTF-8 (Windows names are UTF-16)");
#else
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("繰.dat"), 2}});
    const QByteArray latin1 = "caf\xe9s.dat";                       // Latin-1: reads as caf駸.dat
    const QByteArray invalid = "\xff\xfe.dat";                      // no Shift-JIS
    const QByteArray taken = QByteArray::fromHex("8c4a") + ".dat"; // 繰.dat, which exists already
    QVERIFY(writeRawFile(rawStorage() + TestName, replayBytes("sjis")));
    QVERIFY(writeRawFile(rawStorage() + latin1, replayBytes("latin")));
    QVERIFY(writeRawFile(rawStorage() + invalid, replayBytes("invalid")));
    QVERIFY(writeRawFile(rawStorage() + taken, replayBytes("twin")));
    const QByteArray takenBefore = readAll(m_storage + QStringLiteral("繰.dat"));
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：4"));

    // One question for all; the name that cannot be read is said to stay.
    m_prompter.answerUnreadable({Action::RenameNames, {}});
    m_prompter.answerQuestion(false);
    m_prompter.answerUnreadableClose();
    openList();
    QCOMPARE(m_prompter.questions().size(), 1);
    const QString question = m_prompter.questions()[0];
    for (const QString &part :
         {QStringLiteral("次の 3 件のファイルの名前"),
          QStringLiteral("テスト.dat（元の名前のバイト列：83 65 83 58 83 67 2E 64 61 74）"),
          QStringLiteral("caf駸.dat（"), QStringLiteral("繰.dat（"),
          QStringLiteral("次の 1 件は、名前を Shift-JIS として正しく読めないため、そのままにします。"),
          QStringLiteral("FF FE 2E 64 61 74")})
        QVERIFY2(question.contains(part), qPrintable(question));
    for (const QByteArray &name : {TestName, latin1, invalid, taken})
        QVERIFY(::access((rawStorage() + name).constData(), F_OK) == 0);
    QCOMPARE(m_prompter.unreadableRequests().size(), 2);

    m_prompter.reset();
    m_prompter.answerUnreadable({Action::RenameNames, {}});
    m_prompter.answerQuestion(true);
    m_prompter.answerUnreadableClose();
    openList();
    QCOMPARE(m_prompter.errors(),
             QStringList{QStringLiteral("次のファイルの名前を変更できませんでした。\n\n繰.dat：同じ名前のファイル「繰.dat」が既にあります")});

    // The renamed files are read like any other replay; the others stay.
    QStringList listed = storageColumn0();
    listed.sort();
    QCOMPARE(listed, (QStringList{QStringLiteral("a.dat"), QStringLiteral("caf駸.dat"), QStringLiteral("テスト.dat"),
                                  QStringLiteral("繰.dat")}));
    clickRow(1, rowOf(QStringLiteral("テスト.dat")));
    QCOMPARE(label("LblReplayName"), QStringLiteral("sjis"));
    QCOMPARE(readAll(m_storage + QStringLiteral("繰.dat")), takenBefore);
    QVERIFY(::access((rawStorage() + taken).constData(), F_OK) == 0);
    QVERIFY(::access((rawStorage() + invalid).constData(), F_OK) == 0);
    const QList<UnreadableFilesRequest> requests = m_prompter.unreadableRequests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[1].files.size(), 2);
    QCOMPARE(shownCount(), QStringLiteral("読み込めないファイル：2"));
#endif
}

QTEST_MAIN(TestUnreadableFiles)
#include "tst_UnreadableFiles.moc"
