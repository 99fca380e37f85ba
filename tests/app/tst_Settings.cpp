#include "app/Settings.h"

#include "replay/ShiftJisText.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"


#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString GameTitle = u"Tarnelのリプレイフォルダを指定してください。"_s;
const QString StorageTitle = u"ダウンロードしたリプレイファイルを格納しているフォルダを指定してください。"_s;
const QString Declined = u"フォルダが選択されなかった為終了します。"_s;
// Where the folder chooser starts: the root; under Windows the home folder.
#ifdef Q_OS_WIN
const QString ChooserRoot = QDir::homePath();
#else
const QString ChooserRoot = QStringLiteral("/");
#endif

const QString WriteFailed = u"設定ファイルの書込に失敗しました。"_s;
const QString Caption = u"Tarnelリプレイファイル情報"_s;

// The program's own encoder: the system's code page 932 converter.
QByteArray sjis(const QString &text)
{
    return ShiftJisText::encode(text, 1 << 20).bytes;
}

QStringList chooserTitles(const ScriptedPrompter &prompter)
{
    QStringList titles;
    for (const ScriptedPrompter::Call &c : prompter.calls()) {
        if (c.kind == ScriptedPrompter::Kind::ChooseFolder)
            titles.append(c.title);
    }
    return titles;
}

} // namespace

class tst_Settings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void load_data();
    void load();
    void chooserGetsRootAndNoPreselect();
    void saveCreatesFileInOrder();
    void saveKeepsOtherLines();
    void saveFailure_data();
    void saveFailure();
    void valueInAnotherEncoding_data();
    void valueInAnotherEncoding();
    void utf8FileClosedKeepsItsBytes();

private:
    QString m_file;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Settings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(u"qvReplayInfo.dat"_s);
}

void tst_Settings::load_data()
{
    QTest::addColumn<QByteArray>("content");     // empty: no settings file
    QTest::addColumn<QStringList>("answers");    // chooser answers in order; "-" cancels
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("titles");     // chooser titles expected in order
    QTest::addColumn<int>("errors");             // times the decline message is shown
    QTest::addColumn<QString>("tarnelDir");
    QTest::addColumn<QString>("storageDir");

    const QByteArray both = "[Tarnel]\r\nReplayDir=/gone/game/\r\n[qvReplayInfo]\r\nReplayDir=/gone/store\r\n";
    const QByteArray gameOnly = "[Tarnel]\r\nReplayDir=/g/\r\n";
    const QByteArray storageOnly = "[QVREPLAYINFO]\r\nreplaydir=/s/\r\n";
    const QByteArray emptyValues = "[Tarnel]\r\nReplayDir=\r\n[qvReplayInfo]\r\nReplayDir=\r\n";

    QTest::newRow("no file: both asked, game first")
        << QByteArray() << QStringList{u"/games/tarnel"_s, u"/home/u/replays"_s} << true
        << QStringList{GameTitle, StorageTitle} << 0 << u"/games/tarnel/"_s << u"/home/u/replays/"_s;
    QTest::newRow("empty values count as missing")
        << emptyValues << QStringList{u"/a"_s, u"/b"_s} << true << QStringList{GameTitle, StorageTitle} << 0
        << u"/a/"_s << u"/b/"_s;
    QTest::newRow("only game folder stored")
        << gameOnly << QStringList{u"/s"_s} << true << QStringList{StorageTitle} << 0 << u"/g/"_s << u"/s/"_s;
    QTest::newRow("only storage folder stored, names in other case")
        << storageOnly << QStringList{u"/g"_s} << true << QStringList{GameTitle} << 0 << u"/g/"_s << u"/s/"_s;
    QTest::newRow("stored folders used as they are, even when gone")
        << both << QStringList{} << true << QStringList{} << 0 << u"/gone/game/"_s << u"/gone/store"_s;
    QTest::newRow("root chosen gets a second separator")
        << QByteArray() << QStringList{u"/"_s, u"/"_s} << true << QStringList{GameTitle, StorageTitle} << 0
        << u"//"_s << u"//"_s;
    QTest::newRow("game folder declined: storage never asked")
        << QByteArray() << QStringList{u"-"_s} << false << QStringList{GameTitle} << 1 << QString() << QString();
    QTest::newRow("storage folder declined")
        << QByteArray() << QStringList{u"/g"_s, u"-"_s} << false << QStringList{GameTitle, StorageTitle} << 1
        << u"/g/"_s << QString();
    QTest::newRow("storage declined with game stored")
        << gameOnly << QStringList{u"-"_s} << false << QStringList{StorageTitle} << 1 << u"/g/"_s << QString();
}

void tst_Settings::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, answers);
    QFETCH(bool, result);
    QFETCH(QStringList, titles);
    QFETCH(int, errors);
    QFETCH(QString, tarnelDir);
    QFETCH(QString, storageDir);

    if (!content.isEmpty())
        QVERIFY(writeAll(m_file, content));
    ScriptedPrompter prompter;
    for (const QString &a : answers) {
        if (a == u"-"_s)
            prompter.answerFolderCancel();
        else
            prompter.answerFolder(a);
    }

    FolderSettings folders;
    QCOMPARE(LoadSettings(m_file, folders, prompter, nullptr), result);
    QCOMPARE(chooserTitles(prompter), titles);
    QCOMPARE(prompter.errors(), QStringList(errors, Declined));
    QVERIFY(prompter.unexpected().isEmpty());
    QCOMPARE(prompter.pendingAnswers(), 0);
    // The message comes after the declined chooser, and nothing follows it.
    if (errors)
        QCOMPARE(prompter.calls().back().kind, ScriptedPrompter::Kind::Error);
    if (result) {
        QCOMPARE(folders.TarnelDir, tarnelDir);
        QCOMPARE(folders.StorageDir, storageDir);
    }
    // Loading never writes: the file is as it was, or still missing.
    if (content.isEmpty())
        QVERIFY(!QFile::exists(m_file));
    else
        QCOMPARE(readAll(m_file), content);
}

void tst_Settings::chooserGetsRootAndNoPreselect()
{
    ScriptedPrompter prompter;
    prompter.answerFolder(u"/g"_s);
    prompter.answerFolder(u"/s"_s);
    FolderSettings folders;
    QVERIFY(LoadSettings(m_file, folders, prompter, nullptr));
    QCOMPARE(prompter.calls().size(), size_t(2));
    for (const ScriptedPrompter::Call &c : prompter.calls()) {
        QCOMPARE(c.root, ChooserRoot);
        QCOMPARE(c.preselect, QString());
    }
}

void tst_Settings::saveCreatesFileInOrder()
{
    ScriptedPrompter prompter;
    const FolderSettings folders{u"/games/タルネル/"_s, u"//"_s};
    QVERIFY(SaveSettings(m_file, Caption, u"1.01"_s, folders, prompter, nullptr));
    QVERIFY(prompter.calls().empty());
    QCOMPARE(readAll(m_file), sjis(u"[Application]\r\nName=Tarnelリプレイファイル情報\r\nVersion=1.01\r\n"
                                     u"[Tarnel]\r\nReplayDir=/games/タルネル/\r\n"
                                     u"[qvReplayInfo]\r\nReplayDir=//\r\n"_s));

    // What was saved is what the next start reads, without a prompt.
    FolderSettings loaded;
    QVERIFY(LoadSettings(m_file, loaded, prompter, nullptr));
    QVERIFY(prompter.calls().empty());
    QCOMPARE(loaded.TarnelDir, folders.TarnelDir);
    QCOMPARE(loaded.StorageDir, folders.StorageDir);
}

void tst_Settings::saveKeepsOtherLines()
{
    const QByteArray before = "; kept\r\n"
                              "[qvReplayInfo]\r\n"
                              "ReplayDir=/old/store/\r\n"
                              "Extra=kept too\r\n"
                              "\r\n"
                              "[Tarnel]\n"
                              "replaydir=/old/game/\n";
    QVERIFY(writeAll(m_file, before));
    ScriptedPrompter prompter;
    QVERIFY(SaveSettings(m_file, u"cap"_s, u"1.01"_s, FolderSettings{u"/g/"_s, u"/s/"_s}, prompter, nullptr));
    QVERIFY(prompter.calls().empty());
    QCOMPARE(readAll(m_file), QByteArray("; kept\r\n"
                                           "[qvReplayInfo]\r\n"
                                           "ReplayDir=/s/\r\n"
                                           "Extra=kept too\r\n"
                                           "\r\n"
                                           "[Tarnel]\n"
                                           "replaydir=/g/\n"
                                           "[Application]\r\n"
                                           "Name=cap\r\n"
                                           "Version=1.01\r\n"));
}

void tst_Settings::saveFailure_data()
{
    QTest::addColumn<QString>("tarnelDir");
    QTest::addColumn<QString>("storageDir");
    QTest::addColumn<bool>("fileIsFolder");
    QTest::addColumn<QByteArray>("after"); // the file afterwards

    const QByteArray before = "[qvReplayInfo]\r\nReplayDir=/old/\r\n";
    QTest::newRow("settings path is a folder") << u"/g/"_s << u"/s/"_s << true << QByteArray();
    // The keys before the failing one stay written; the failing one keeps its line.
    QTest::newRow("storage path not in Shift-JIS")
        << u"/g/"_s << u"/s€/"_s << false
        << QByteArray("[qvReplayInfo]\r\nReplayDir=/old/\r\n[Application]\r\nName=cap\r\nVersion=1.01\r\n"
                      "[Tarnel]\r\nReplayDir=/g/\r\n");
    // After the first failure the remaining writes are skipped.
    QTest::newRow("game path not in Shift-JIS")
        << u"/g\u301C/"_s << u"/s/"_s << false
        << QByteArray("[qvReplayInfo]\r\nReplayDir=/old/\r\n[Application]\r\nName=cap\r\nVersion=1.01\r\n");
}

void tst_Settings::saveFailure()
{
    QFETCH(QString, tarnelDir);
    QFETCH(QString, storageDir);
    QFETCH(bool, fileIsFolder);
    QFETCH(QByteArray, after);

    if (fileIsFolder)
        QVERIFY(QDir().mkpath(m_file));
    else
        QVERIFY(writeAll(m_file, "[qvReplayInfo]\r\nReplayDir=/old/\r\n"));

    ScriptedPrompter prompter;
    QVERIFY(!SaveSettings(m_file, u"cap"_s, u"1.01"_s, FolderSettings{tarnelDir, storageDir}, prompter, nullptr));
    QCOMPARE(prompter.errors(), QStringList{WriteFailed});
    QCOMPARE(prompter.calls().size(), size_t(1));
    if (fileIsFolder)
        QVERIFY(QFileInfo(m_file).isDir());
    else
        QCOMPARE(readAll(m_file), after);
}

void tst_Settings::valueInAnotherEncoding_data()
{
    QTest::addColumn<QByteArray>("game");    // bytes of the game folder value
    QTest::addColumn<QByteArray>("storage"); // bytes of the storage folder value
    QTest::addColumn<QString>("told");       // keys named in the message; empty: no message
    QTest::addColumn<QString>("tarnelDir");  // empty: asked for, and "/chosen/" given

    const QByteArray ascii = "/home/user/replays/";
    QTest::newRow("ASCII") << ascii << ascii << QString() << u"/home/user/replays/"_s;
    QTest::newRow("Shift-JIS") << sjis(u"/ゲーム/タルネル/"_s) << ascii << QString() << u"/ゲーム/タルネル/"_s;
    // E3 83 83 41 is "繝ア" in Shift-JIS and "ッA" in UTF-8: the folder that exists decides.
    QTest::newRow("Shift-JIS that is also UTF-8, folder exists")
        << QByteArray("<dir>/\xe3\x83\x83\x41/") << ascii << QString() << u"<dir>/繝ア/"_s;
    QTest::newRow("UTF-8 that does not decode")
        << QByteArray("/home/太郎/リプレイ/") << ascii << u"[Tarnel] ReplayDir"_s << QString();
    // Reads as "/home/繝ｦ繝ｼ繧ｶ繝ｼ/" without a bad byte.
    QTest::newRow("UTF-8 that decodes as other characters")
        << QByteArray("/home/ユーザー/") << ascii << u"[Tarnel] ReplayDir"_s << QString();
    QTest::newRow("Latin-1 letter before a slash")
        << QByteArray("/home/Jos\xe9/") << ascii << u"[Tarnel] ReplayDir"_s << QString();
    // E9 65 is a Shift-JIS kanji: such a value cannot be told from a real
    // Shift-JIS name and is used like a folder that has gone.
    QTest::newRow("Latin-1 letter before a letter")
        << QByteArray("/home/Ren\xe9" "e/") << ascii << QString() << u"/home/Ren馥/"_s;
    QTest::newRow("both values: one message")
        << QByteArray("/home/太郎/") << QByteArray("/home/太郎/保存/")
        << u"[Tarnel] ReplayDir と [qvReplayInfo] ReplayDir"_s << QString();
}

// A value that cannot be read as Shift-JIS is said once, naming the file and
// the key, and then asked for as if it were missing; loading never writes.
void tst_Settings::valueInAnotherEncoding()
{
    QFETCH(QByteArray, game);
    QFETCH(QByteArray, storage);
    QFETCH(QString, told);
    QFETCH(QString, tarnelDir);

    const QByteArray dir = QFile::encodeName(m_dir->path());
    game.replace("<dir>", dir);
    tarnelDir.replace(u"<dir>"_s, m_dir->path());
    if (game.startsWith(dir))
        QVERIFY(QDir().mkpath(tarnelDir));
    const QByteArray content = "[Tarnel]\r\nReplayDir=" + game + "\r\n[qvReplayInfo]\r\nReplayDir=" + storage + "\r\n";
    QVERIFY(writeAll(m_file, content));

    ScriptedPrompter prompter;
    QStringList titles;
    if (tarnelDir.isEmpty()) {
        prompter.answerFolder(u"/chosen"_s);
        titles << GameTitle;
    }
    if (told.contains(u"qvReplayInfo"_s)) {
        prompter.answerFolder(u"/chosen2"_s);
        titles << StorageTitle;
    }
    FolderSettings folders;
    QVERIFY(LoadSettings(m_file, folders, prompter, nullptr));
    QCOMPARE(chooserTitles(prompter), titles);
    QCOMPARE(prompter.pendingAnswers(), 0);
    if (told.isEmpty()) {
        QCOMPARE(prompter.errors(), QStringList());
        QCOMPARE(folders.TarnelDir, tarnelDir);
    } else {
        QCOMPARE(prompter.errors().size(), 1);
        QCOMPARE(prompter.calls().front().kind, ScriptedPrompter::Kind::Error); // before any chooser
        QCOMPARE(prompter.errors().front(),
                 u"設定ファイル「%1」の %2 の値は Shift-JIS の文字として読めません。"
                 u"UTF-8 など別の文字コードで保存された可能性があります。フォルダを指定し直してください。"_s
                     .arg(QDir::toNativeSeparators(m_file), told));
        QCOMPARE(folders.TarnelDir, u"/chosen/"_s);
    }
    QCOMPARE(readAll(m_file), content);
}

// A file saved in UTF-8 by a text editor: declining the chooser leaves it
// untouched; choosing a folder replaces only that line at the close, and
// every line the program did not change keeps its bytes.
void tst_Settings::utf8FileClosedKeepsItsBytes()
{
    const QByteArray before = "; メモ\r\n"
                              "[Application]\r\n"
                              "Name=Tarnelリプレイファイル情報\r\n"
                              "Version=1.01\r\n"
                              "[Tarnel]\r\n"
                              "ReplayDir=/home/太郎/リプレイ/\r\n"
                              "[qvReplayInfo]\r\n"
                              "ReplayDir = \"/home/user/store/\"\r\n";
    QVERIFY(writeAll(m_file, before));

    ScriptedPrompter declining;
    declining.answerFolderCancel();
    FolderSettings folders;
    QVERIFY(!LoadSettings(m_file, folders, declining, nullptr));
    QCOMPARE(declining.errors().size(), 2);
    QCOMPARE(declining.errors().back(), Declined);
    QCOMPARE(readAll(m_file), before);

    ScriptedPrompter prompter;
    prompter.answerFolder(u"/home/太郎/リプレイ"_s);
    QVERIFY(LoadSettings(m_file, folders, prompter, nullptr));
    QCOMPARE(folders.StorageDir, u"/home/user/store/"_s);
    QVERIFY(SaveSettings(m_file, Caption, u"1.01"_s, folders, prompter, nullptr));
    QCOMPARE(prompter.errors().size(), 1);
    // The name line is written as the program's caption in its own code page.
    QByteArray expected = before;
    expected.replace("Name=Tarnelリプレイファイル情報", "Name=" + sjis(Caption));
    expected.replace("ReplayDir=/home/太郎/リプレイ/", "ReplayDir=" + sjis(u"/home/太郎/リプレイ/"_s));
    QCOMPARE(readAll(m_file), expected);
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
