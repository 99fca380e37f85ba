// Trashing into the trash of a home of the test's own, which starts without
// ".local" as on a fresh account; the reasons a player meets most (a full
// disk, a read-only drive, no permission, another drive) in the program's
// words, never the system's English text.

#include "operations/FileWorkProgress.h"
#include "operations/TrashFiles.h"
#include "platform/FileError.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cctype>
#include <cerrno>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

class TestTrashFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void inTrash_data();
    void inTrash();
    void results_data();
    void results();
    void unusableTrashMovesNothing();
    void namesThatAreNotUtf8();
    void restoredAsAFileManagerDoes_data();
    void restoredAsAFileManagerDoes();
    void misplacedOrOtherVolume();
    void cancelStopsBetweenFiles();
    void reasonsInPlainWords_data();
    void reasonsInPlainWords();

private:
    QString homeTrash() const { return m_home + QStringLiteral("/.local/share/Trash"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
    QString m_cwd;
    QString m_store; // with trailing "/"
    QString m_oldCwd;
};

void TestTrashFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_home = m_dir->filePath(QStringLiteral("home"));
    m_cwd = m_dir->filePath(QStringLiteral("cwd"));
    m_store = m_dir->filePath(QStringLiteral("store")) + QLatin1Char('/');
    for (const QString &dir : {m_home, m_cwd, m_store})
        QVERIFY(QDir().mkpath(dir));
    qputenv("HOME", QFile::encodeName(m_home));
    qunsetenv("XDG_DATA_HOME");
    m_oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_cwd));
}

void TestTrashFiles::cleanup()
{
    for (const char *folder : {"/files", "/info"})
        removeNonUtf8Names(homeTrash() + QLatin1String(folder));
    // Nothing may land in the current folder instead of the trash.
    QVERIFY(QDir(m_cwd).isEmpty());
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TestTrashFiles::inTrash_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("inside");
    const QString home = QStringLiteral("/h/.local/share/Trash");
    QTest::newRow("home trash") << home + QStringLiteral("/files/a.dat") << true;
    QTest::newRow("home trash, counted name") << home + QStringLiteral("/files/a.dat-0001") << true;
    QTest::newRow("volume trash .Trash-uid") << QStringLiteral("/mnt/usb/.Trash-1000/files/a.dat") << true;
    QTest::newRow("volume trash .Trash/uid") << QStringLiteral("/mnt/usb/.Trash/1000/files/a.dat") << true;
    QTest::newRow("files folder under the current folder") << QStringLiteral("./files/a.dat") << false;
    QTest::newRow("files folder elsewhere") << QStringLiteral("/work/files/a.dat") << false;
    QTest::newRow("another folder named Trash") << QStringLiteral("/other/Trash/files/a.dat") << false;
    QTest::newRow("info folder of the trash") << home + QStringLiteral("/info/a.dat") << false;
}

void TestTrashFiles::inTrash()
{
    QFETCH(QString, path);
    QFETCH(bool, inside);
    QCOMPARE(TrashFiles::isInTrash(path, QStringLiteral("/h/.local/share/Trash")), inside);
}

void TestTrashFiles::results_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // file, missing, folder
    QTest::addColumn<QString>("reason"); // empty: moved
    QTest::newRow("file") << QStringLiteral("a.dat") << QStringLiteral("file") << QString();
    QTest::newRow("name of 240 bytes")
        << QString(236, QLatin1Char('x')) + QStringLiteral(".dat") << QStringLiteral("file") << QString();
    // Beyond it the platform would try to write the trash note for ever.
    QTest::newRow("name of 241 bytes") << QString(237, QLatin1Char('x')) + QStringLiteral(".dat")
                                       << QStringLiteral("file")
                                       << QStringLiteral("ファイル名が長すぎるため、ごみ箱に移動できません。");
    QTest::newRow("name of 241 bytes in 81 characters")
        << QString(79, QChar(0x3042)) + QStringLiteral(".dat") // 3 bytes each
        << QStringLiteral("file") << QStringLiteral("ファイル名が長すぎるため、ごみ箱に移動できません。");
    QTest::newRow("vanished") << QStringLiteral("gone.dat") << QStringLiteral("missing")
                              << QStringLiteral("ファイルが見つかりません。");
    QTest::newRow("folder") << QStringLiteral("dir.dat") << QStringLiteral("folder")
                            << QStringLiteral("ファイルではありません。");
}

void TestTrashFiles::results()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = m_store + name;
    if (kind == QStringLiteral("file"))
        QVERIFY(writeAll(path, "replay"));
    else if (kind == QStringLiteral("folder"))
        QVERIFY(QDir().mkdir(path));

    const QList<TrashFiles::Result> results = TrashFiles({path}).run();
    QCOMPARE(results.size(), 1);
    const TrashFiles::Result &result = results[0];
    QCOMPARE(result.path, path);
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.moved, reason.isEmpty());
    if (result.moved) {
        QCOMPARE(result.trashPath, homeTrash() + QStringLiteral("/files/") + name);
        QCOMPARE(readAll(result.trashPath), QByteArray("replay"));
        QVERIFY(QFile::exists(homeTrash() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo")));
        QVERIFY(!QFileInfo::exists(path));
    } else {
        QVERIFY(result.trashPath.isEmpty());
        QCOMPARE(QFileInfo::exists(path), kind != QStringLiteral("missing"));
    }
    // The trash was made for the owner alone, also where nothing was moved.
    for (const char *folder : {"/.local", "/.local/share", "/.local/share/Trash", "/.local/share/Trash/files",
                               "/.local/share/Trash/info"})
        QCOMPARE(QFile::permissions(m_home + QLatin1String(folder)) & 0x0077, QFile::Permissions{});
}

void TestTrashFiles::unusableTrashMovesNothing()
{
    // The trash folder's place is taken by a file: the platform would fall
    // back to the current folder, so nothing is moved at all.
    QVERIFY(QDir().mkpath(m_home + QStringLiteral("/.local/share")));
    QVERIFY(writeAll(homeTrash(), "not a folder"));
    const QStringList paths{m_store + QStringLiteral("a.dat"), m_store + QStringLiteral("b.dat")};
    for (const QString &path : paths)
        QVERIFY(writeAll(path, "replay"));

    const QList<TrashFiles::Result> results = TrashFiles(paths).run();
    QCOMPARE(results.size(), 2);
    for (qsizetype i = 0; i < results.size(); ++i) {
        QCOMPARE(results[i].path, paths[i]);
        QVERIFY(!results[i].moved);
        QCOMPARE(results[i].reason, QStringLiteral("ごみ箱フォルダを用意できませんでした。"));
        QCOMPARE(readAll(paths[i]), QByteArray("replay"));
    }
}

void TestTrashFiles::namesThatAreNotUtf8()
{
    // A Shift-JIS name goes to the trash under its own bytes, with a note
    // that gives them back; a second file of that name gets a count.
    const QByteArray name = QByteArray::fromHex("836583588367") + ".dat"; // テスト.dat
    const QByteArray path = QFile::encodeName(m_store) + name;
    const QByteArray files = QFile::encodeName(homeTrash()) + "/files/";
    const QByteArray notes = QFile::encodeName(homeTrash()) + "/info/";
    for (const QByteArray &trashedName : {name, name + "-0001"}) {
        QVERIFY(writeRawFile(path, "replay " + trashedName));
        const QList<TrashFiles::Result> results = TrashFiles(QList<QByteArray>{path}).run();
        QCOMPARE(results.size(), 1);
        QVERIFY2(results[0].moved, qPrintable(results[0].reason));
        QVERIFY(::access(path.constData(), F_OK) != 0);
        QCOMPARE(readRawFile(files + trashedName), "replay " + trashedName);
        const QByteArray note = readRawFile(notes + trashedName + ".trashinfo");
        QVERIFY2(note.startsWith("[Trash Info]\nPath=" + QFile::encodeName(m_store).toPercentEncoding("/")
                                 + "%83e%83X%83g.dat\nDeletionDate="),
                 note.constData());
    }

    // A path given as bytes that is UTF-8 goes the usual way.
    const QString plain = m_store + QStringLiteral("あ.dat");
    QVERIFY(writeAll(plain, "replay"));
    const QList<TrashFiles::Result> results = TrashFiles(QList<QByteArray>{QFile::encodeName(plain)}).run();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results[0].path, plain);
    QVERIFY(results[0].moved);
    QCOMPARE(results[0].trashPath, homeTrash() + QStringLiteral("/files/あ.dat"));

    // Missing, and too long for the trash's note.
    const QByteArray longName = QByteArray(237, 'x') + "\x83.dat";
    QVERIFY(writeRawFile(QFile::encodeName(m_store) + longName, "replay"));
    const QList<TrashFiles::Result> refused = TrashFiles(QList<QByteArray>{path, QFile::encodeName(m_store) + longName}).run();
    QCOMPARE(refused.size(), 2);
    QCOMPARE(refused[0].reason, QStringLiteral("ファイルが見つかりません。"));
    QCOMPARE(refused[1].reason, QStringLiteral("ファイル名が長すぎるため、ごみ箱に移動できません。"));
    QVERIFY(!refused[0].moved && !refused[1].moved);
    removeNonUtf8Names(m_store);
}

void TestTrashFiles::restoredAsAFileManagerDoes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("percent sign") << QByteArray("100%41 %zz.dat"); // "%41" must not come back as "A"
    QTest::newRow("blanks") << QByteArray("two  words .dat");
    QTest::newRow("Japanese") << QStringLiteral("日本語のリプレイ.dat").toUtf8();
    QTest::newRow("line break") << QByteArray("line\nbreak.dat");
    QTest::newRow("not UTF-8") << QByteArray("\x83\x65\x83\x58 %41.dat"); // Shift-JIS
}

// What a file manager does to restore a trashed file, as the desktop trash
// format describes it: the note's Path is URL-unescaped into the path's
// bytes (relative to the trash's top folder when it is not absolute) and
// the file moved back there.
void TestTrashFiles::restoredAsAFileManagerDoes()
{
    QFETCH(QByteArray, name);
    const QByteArray path = QFile::encodeName(m_store) + name;
    QVERIFY(writeRawFile(path, "replay " + name));
    const QList<TrashFiles::Result> results = TrashFiles(QList<QByteArray>{path}).run();
    QCOMPARE(results.size(), 1);
    QVERIFY2(results[0].moved, qPrintable(results[0].reason));

    const QByteArray trash = QFile::encodeName(homeTrash());
    const QByteArray note = readRawFile(trash + "/info/" + name + ".trashinfo");
    const QList<QByteArray> lines = note.split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
    QByteArray value;
    for (const QByteArray &line : lines) {
        if (line.startsWith("Path="))
            value = line.mid(5);
    }
    // Only characters a URL keeps as they are, and escapes.
    for (char c : value)
        QVERIFY2(QByteArray("/%-._~").contains(c) || std::isalnum(static_cast<unsigned char>(c)), note.constData());
    QByteArray restored = QByteArray::fromPercentEncoding(value);
    if (!restored.startsWith('/'))
        restored = QFile::encodeName(QFileInfo(homeTrash()).absolutePath()) + '/' + restored;
    QCOMPARE(restored, path);
    QCOMPARE(::rename((trash + "/files/" + name).constData(), restored.constData()), 0);
    QCOMPARE(readRawFile(path), "replay " + name);
    removeNonUtf8Names(m_store);
}

// A move that lands outside any trash folder is no success: the file is put
// back and the failure said. A name that is not UTF-8 on another volume than
// the trash is refused with the program's own reason, and stays.
void TestTrashFiles::misplacedOrOtherVolume()
{
    const QString path = m_store + QStringLiteral("a.dat");
    QVERIFY(writeAll(path, "replay"));
    const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(elsewhere));
    TrashFiles misplacing(QStringList{path});
    misplacing.setMover([&](QFile &file) { return file.rename(elsewhere + QStringLiteral("/a.dat")); });
    const QList<TrashFiles::Result> results = misplacing.run();
    QCOMPARE(results.size(), 1);
    QVERIFY(!results[0].moved);
    QCOMPARE(results[0].reason, QStringLiteral("ごみ箱フォルダを用意できませんでした。"));
    QCOMPARE(readAll(path), QByteArray("replay"));
    QVERIFY(QDir(elsewhere).isEmpty());

    struct stat shm {};
    struct stat trash {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(m_home).constData(), &trash) != 0
        || shm.st_dev == trash.st_dev)
        QSKIP("no second volume at /dev/shm");
    QTemporaryDir other(QStringLiteral("/dev/shm/qvtrash-XXXXXX"));
    QVERIFY(other.isValid());
    const QByteArray raw = QFile::encodeName(other.path()) + "/" + QByteArray::fromHex("836583588367") + ".dat";
    QVERIFY(writeRawFile(raw, "replay"));
    const QList<TrashFiles::Result> refused = TrashFiles(QList<QByteArray>{raw}).run();
    QCOMPARE(refused.size(), 1);
    QVERIFY(!refused[0].moved);
    QCOMPARE(refused[0].reason, QStringLiteral("ごみ箱と別のドライブにあるため、ごみ箱に移動できません。"));
    QCOMPARE(readRawFile(raw), QByteArray("replay"));
    QVERIFY(::unlink(raw.constData()) == 0);
}

// Told of each file before it goes; a cancel leaves the rest where they are.
void TestTrashFiles::cancelStopsBetweenFiles()
{
    const QStringList paths{m_store + QStringLiteral("a.dat"), m_store + QStringLiteral("b.dat"),
                            m_store + QStringLiteral("c.dat")};
    for (const QString &path : paths)
        QVERIFY(writeAll(path, "replay"));
    struct StopAtSecond : FileWorkProgress {
        QStringList names;
        void beginFile(int index, int count, const QString &name) override
        {
            QCOMPARE(count, 3);
            names.append(name);
            if (index == 1)
                cancel();
        }
    } progress;
    const QList<TrashFiles::Result> results = TrashFiles(paths).run(&progress);
    QCOMPARE(progress.names, (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
    QCOMPARE(results.size(), 1);
    QVERIFY(results[0].moved);
    QVERIFY(QFileInfo::exists(paths[1]) && QFileInfo::exists(paths[2]));
}

void TestTrashFiles::reasonsInPlainWords_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("words");      // in the reason of any file operation
    QTest::addColumn<QString>("trashWords"); // in the trashing's reason
    QTest::newRow("disk full") << ENOSPC << QStringLiteral("ディスクの空き容量が足りません") << QStringLiteral("空き容量");
    QTest::newRow("quota used up") << EDQUOT << QStringLiteral("ディスクの空き容量が足りません") << QStringLiteral("空き容量");
    QTest::newRow("read-only drive") << EROFS << QStringLiteral("読み取り専用のドライブ") << QStringLiteral("読み取り専用");
    QTest::newRow("no permission") << EACCES << QStringLiteral("権限がありません") << QStringLiteral("権限");
    QTest::newRow("not permitted") << EPERM << QStringLiteral("権限がありません") << QStringLiteral("権限");
    QTest::newRow("another drive") << EXDEV << QStringLiteral("別のドライブ") << QStringLiteral("ごみ箱と別のドライブにあるため");
}

// The trashing gives only the system's text; it is worded like the rest.
void TestTrashFiles::reasonsInPlainWords()
{
    QFETCH(int, code);
    QFETCH(QString, words);
    QFETCH(QString, trashWords);
    const FileError error = FileError::fromSystem(code);
    QVERIFY2(error.reasonText().contains(words), qPrintable(error.reasonText()));
    const FileError fromText = FileError::fromSystemText(qt_error_string(code));
    QCOMPARE(fromText.cause, error.cause);
    const QString trash = TrashFiles::reasonText(fromText);
    QVERIFY2(trash.contains(trashWords), qPrintable(trash));
    QVERIFY(!trash.contains(qt_error_string(code)) && !error.reasonText().contains(qt_error_string(code)));
}

QTEST_MAIN(TestTrashFiles)
#include "tst_TrashFiles.moc"
