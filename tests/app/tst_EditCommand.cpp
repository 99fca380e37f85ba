// Name and comment editing from the main window: the dialog is answered
// through the prompter (once through the real dialog), the file, the tables
// and the panel are checked.

#include "MainFormHarness.h"
#include "operations/TReplayInfoExInputForm.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QToolButton>

#include <functional>

using namespace MainFormTest;

namespace {

// Opens the real dialog for the window's request, lets the test type into
// it, then presses OK; every other question is scripted.
class DialogPrompter : public ScriptedPrompter {
public:
    std::function<void(TReplayInfoExInputForm &)> typing;
    void ask(QWidget *owner, DialogQuery &query) override
    {
        auto *text = dynamic_cast<ReplayTextQuery *>(&query);
        if (!text) {
            ScriptedPrompter::ask(owner, query);
            return;
        }
        TReplayInfoExInputForm form(text->request, owner);
        form.show();
        if (typing)
            typing(form);
        form.BtnOk->click();
        text->answer = form.result();
    }
};

// The file's bytes before its two text fields (its stream, as written by
// the replay maker).
QByteArray streamOf(const QByteArray &file)
{
    return file.left(file.size() - PlayerNameSize - CommentSize);
}

} // namespace

class TestEditCommand : public MainFormHarness {
    Q_OBJECT

private slots:

    void editBothTables_data();
    void editBothTables();
    void cancelChangesNothing();
    void failedWriteKeepsFileAndRetries();
    void throughTheDialog();
};

void TestEditCommand::editBothTables_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<QString>("shownComment");
    const QByteArray full(PlayerNameSize, 'N');
    QTest::newRow("game: 30-byte name, no NUL left") << 0 << full << QByteArrayLiteral("c") << QString::fromLatin1(full)
                                                     << QStringLiteral("c");
    QTest::newRow("game: lines stored with CR LF") << 0 << QByteArrayLiteral("\x82\xa0") << QByteArrayLiteral("one\r\ntwo")
                                                   << QStringLiteral("あ") << QStringLiteral("one\ntwo");
    QTest::newRow("game: both cleared") << 0 << QByteArray() << QByteArray() << QString() << QString();
    QTest::newRow("storage: 30-byte name") << 1 << full << QByteArrayLiteral("x\r\ny\r\nz") << QString::fromLatin1(full)
                                           << QStringLiteral("x\ny\nz");
    QTest::newRow("storage: both cleared") << 1 << QByteArray() << QByteArray() << QString() << QString();
}

// Memory, table, panel and file all hold the new texts; the stream is
// unchanged; a sorted storage table keeps its order and its selected row.
void TestEditCommand::editBothTables()
{
    QFETCH(int, tag);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, comment);
    QFETCH(QString, shownName);
    QFETCH(QString, shownComment);
    prepare({{QStringLiteral("b.dat"), 300}, {QStringLiteral("a.dat"), 100}, {QStringLiteral("c.dat"), 200}});
    m_form = start();
    QVERIFY(m_form);

    QString path = m_game + QStringLiteral("qv_replay0.dat");
    const char *button = "BtnReplayInfoEdit";
    int row = 1;
    if (tag == 1) {
        clickTab(1);
        m_form->storagePage().SbtSortScore1->click(); // a.dat, c.dat, b.dat
        clickRow(FolderKind::Storage, 2);
        path = m_storage + QStringLiteral("c.dat");
        button = "BtnReplayInfoEdit2";
        row = 2;
    }
    const QStringList orderBefore = storageColumn0();
    const QByteArray before = readAll(path);
    QVERIFY(enabled(button));

    m_prompter.answerReplayText({name, comment});
    m_form->findChild<QPushButton *>(QLatin1String(button))->click();

    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::EditReplayText), 1);
    const ReplayTextRequest &asked = m_prompter.calls().back().replayText;
    QCOMPARE(asked.fileName, QFileInfo(path).fileName());
    QCOMPARE(asked.playerName, tag == 0 ? QByteArrayLiteral("Alice") : QByteArrayLiteral("c"));
    QCOMPARE(asked.comment, tag == 0 ? QByteArrayLiteral("first\r\nsecond") : QByteArrayLiteral("comment"));
    QVERIFY(m_prompter.errors().isEmpty());

    const QByteArray after = readAll(path);
    QCOMPARE(after, streamOf(before) + ReplayMaker::textFields(name, comment));
    QCOMPARE(model(tag).cell(row, 5), shownName);
    QCOMPARE(label("LblReplayName"), shownName);
    QCOMPARE(label("MemReplayComment"), shownComment);
    QCOMPARE(storageColumn0(), orderBefore);
    QCOMPARE(tag == 0 ? m_form->TarnelRow() : m_form->ReplayRow(), row);
    QCOMPARE(table(tag)->currentIndex().row(), row - 1);
}

void TestEditCommand::cancelChangesNothing()
{
    prepare({{QStringLiteral("a.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    const QByteArray before = readAll(m_game + QStringLiteral("qv_replay0.dat"));
    const ReplayInfo slotBefore = m_form->workspace().Slots()[0];

    m_prompter.answerReplayTextCancel();
    m_form->gamePage().BtnReplayInfoEdit->click();

    QCOMPARE(readAll(m_game + QStringLiteral("qv_replay0.dat")), before);
    QCOMPARE(QByteArray(m_form->workspace().Slots()[0].PlayerName, PlayerNameSize),
             QByteArray(slotBefore.PlayerName, PlayerNameSize));
    QCOMPARE(label("LblReplayName"), QStringLiteral("Alice"));
    QVERIFY(m_prompter.errors().isEmpty());
}

// A file that cannot be rewritten: one message, the file as it was, the new
// texts on screen; once the file can be written, OK again stores them.
void TestEditCommand::failedWriteKeepsFileAndRetries()
{
    prepare({{QStringLiteral("a.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    const QString path = m_storage + QStringLiteral("a.dat");
    const QByteArray before = readAll(path);
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    m_prompter.answerReplayText({QByteArrayLiteral("New"), QByteArrayLiteral("note")});
    m_form->storagePage().BtnReplayInfoEdit2->click();
    // The message says why, after its first line.
    QCOMPARE(m_prompter.errors(),
             QStringList{QStringLiteral("リプレイファイルの書き込みに失敗しました。\nファイルが読み取り専用になっています。")});
    QCOMPARE(readAll(path), before);
    QCOMPARE(label("LblReplayName"), QStringLiteral("New"));
    QCOMPARE(storageColumn0(), QStringList{QStringLiteral("a.dat")});
    QCOMPARE(model(FolderKind::Storage).cell(1, 5), QStringLiteral("New"));

    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    m_prompter.answerReplayText({QByteArrayLiteral("New"), QByteArrayLiteral("note")});
    m_form->storagePage().BtnReplayInfoEdit2->click();
    QCOMPARE(m_prompter.calls().back().replayText.playerName, QByteArrayLiteral("New")); // from memory
    QCOMPARE(m_prompter.errors().size(), 1);
    QCOMPARE(readAll(path), streamOf(before) + ReplayMaker::textFields("New", "note"));
}

// The real dialog between the window and the file: a name typed past 30
// bytes is stored cut at a character boundary, and a comment left alone
// keeps bytes that would not survive decoding and encoding again.
void TestEditCommand::throughTheDialog()
{
    prepare({});
    const QByteArray comment = QByteArrayLiteral("\xed\x40\r\n\x80");
    const QString path = m_game + QStringLiteral("qv_replay3.dat");
    QVERIFY(writeReplay(path, makeSpec("QVreplay Ver107 ", 7), "Dave", comment));
    const QByteArray before = readAll(path);

    DialogPrompter prompter;
    prompter.typing = [](TReplayInfoExInputForm &form) {
        form.EdtPlayerName->clear();
        for (int i = 0; i < 16; ++i) {
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("あ"));
            QCoreApplication::sendEvent(form.EdtPlayerName, &commit);
        }
    };
    TMainForm form(prompter, m_settings);
    QVERIFY(form.startUp());
    form.show();
    form.vReplaySelectCell(FolderKind::Game, 4);
    form.gamePage().BtnReplayInfoEdit->click();

    QByteArray name;
    for (int i = 0; i < 15; ++i)
        name += QByteArrayLiteral("\x82\xa0");
    QCOMPARE(readAll(path), streamOf(before) + ReplayMaker::textFields(name, comment));
    QVERIFY(prompter.errors().isEmpty());
}

QTEST_MAIN(TestEditCommand)
#include "tst_EditCommand.moc"
