#include "app/IniFile.h"

#include "replay/ShiftJisText.h"
#include "tests/support/TestFiles.h"


#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// The program's own encoder: the system's code page 932 converter.
QByteArray sjis(const QString &text)
{
    return ShiftJisText::encode(text, 1 << 20).bytes;
}

} // namespace

class tst_IniFile : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
    }

    void read_data();
    void read();
    void missingFileReadsDefault();
    void valueCut_data();
    void valueCut();

    void createsFileOnFirstWrite();
    void replacesLineInPlace();
    void addsKeyAfterLastKeyOfSection();
    void addsKeyToLastSectionWithoutFinalLineEnd();
    void addsSectionAtEnd();
    void roundTripsShiftJis();
    void refusesUnrepresentable_data();
    void refusesUnrepresentable();
    void unwritableLocationFails_data();
    void unwritableLocationFails();
    void fullDiskKeepsOldFile();
    void rewritingWhatWasReadKeepsBytes_data();
    void rewritingWhatWasReadKeepsBytes();
    void readOnlyFolder_data();
    void readOnlyFolder();

private:
    QString path(const QString &name = u"qvReplayInfo.dat"_s) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void tst_IniFile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString def = u"<default>"_s;
    const QByteArray file = "; settings\r\n"
                            "top=outside any section\r\n"
                            "[Application]\r\n"
                            "Name=first\r\n"
                            "\r\n"
                            "[Tarnel]\r\n"
                            "ReplayDir=/games/tarnel/\r\n"
                            "odd line without equals\r\n"
                            "Empty=\r\n"
                            "Eq=a=b\r\n"
                            "Quoted=\"/q/\"\r\n"
                            "  Spaced \t=  /a b/ \t\r\n"
                            "[qvReplayInfo]\n"
                            "ReplayDir=/store/\n"
                            "[Tarnel]\r\n"
                            "Second=only in the repeated section\r\n";

    QTest::newRow("plain") << file << u"Tarnel"_s << u"ReplayDir"_s << u"/games/tarnel/"_s;
    QTest::newRow("lower-case key") << file << u"Tarnel"_s << u"replaydir"_s << u"/games/tarnel/"_s;
    QTest::newRow("upper-case section") << file << u"TARNEL"_s << u"ReplayDir"_s << u"/games/tarnel/"_s;
    QTest::newRow("LF-only lines") << file << u"qvReplayInfo"_s << u"ReplayDir"_s << u"/store/"_s;
    QTest::newRow("missing section") << file << u"Nowhere"_s << u"ReplayDir"_s << def;
    QTest::newRow("missing key") << file << u"Application"_s << u"Version"_s << def;
    QTest::newRow("key of another section") << file << u"Application"_s << u"ReplayDir"_s << def;
    QTest::newRow("key before any section") << file << u"Application"_s << u"top"_s << def;
    QTest::newRow("line without equals") << file << u"Tarnel"_s << u"odd line without equals"_s << def;
    QTest::newRow("empty value is not the default") << file << u"Tarnel"_s << u"Empty"_s << QString();
    QTest::newRow("equals sign in value") << file << u"Tarnel"_s << u"Eq"_s << u"a=b"_s;
    QTest::newRow("quotes dropped") << file << u"Tarnel"_s << u"Quoted"_s << u"/q/"_s;
    QTest::newRow("blanks trimmed") << file << u"Tarnel"_s << u"Spaced"_s << u"/a b/"_s;
    QTest::newRow("first of repeated sections") << file << u"Tarnel"_s << u"Second"_s << def;

    const QByteArray japanese = sjis(u"[アプリ]\r\n名前=Tarnelリプレイファイル情報\r\n"
                                     u"[Ｆｕｌｌ]\r\nＫｅｙ=全角\r\n"_s);
    QTest::newRow("Shift-JIS names and value")
        << japanese << u"アプリ"_s << u"名前"_s << u"Tarnelリプレイファイル情報"_s;
    QTest::newRow("full-width names without case")
        << japanese << u"ｆｕｌｌ"_s << u"ｋｅｙ"_s << u"全角"_s;
    QTest::newRow("undecodable bytes elsewhere")
        << QByteArray("\xff\xfe\x80\r\n[S]\r\n\x81=junk\r\nK=v\r\n") << u"S"_s << u"K"_s << u"v"_s;
    QTest::newRow("empty file") << QByteArray() << u"S"_s << u"K"_s << def;
}

void tst_IniFile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QVERIFY(writeAll(path(), content));
    QCOMPARE(IniFile(path()).readString(section, key, u"<default>"_s), expected);
}

void tst_IniFile::missingFileReadsDefault()
{
    const IniFile ini(path(u"absent.dat"_s));
    QCOMPARE(ini.readString(u"Tarnel"_s, u"ReplayDir"_s), QString());
    QCOMPARE(ini.readString(u"Tarnel"_s, u"ReplayDir"_s, u"x"_s), u"x"_s);
    QVERIFY(!QFile::exists(path(u"absent.dat"_s)));

    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.dat"_s));
    QCOMPARE(IniFile(path(u"folder.dat"_s)).readString(u"Tarnel"_s, u"ReplayDir"_s, u"x"_s), u"x"_s);
}

void tst_IniFile::valueCut_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    const QString a2047(2047, u'a');
    QTest::newRow("2047 bytes whole") << a2047 << a2047;
    QTest::newRow("2048 bytes cut") << QString(2048, u'b') << QString(2047, u'b');
    QTest::newRow("5000 bytes cut") << QString(5000, u'c') << QString(2047, u'c');
    QTest::newRow("double-byte ending at 2047")
        << QString(2045, u'd') + u"あい"_s << QString(2045, u'd') + u"あ"_s;
    QTest::newRow("double-byte across the cut is dropped whole")
        << QString(2046, u'e') + u"あ"_s << QString(2046, u'e');
    QTest::newRow("all double-byte") << QString(1500, u'漢') << QString(1023, u'漢');
}

void tst_IniFile::valueCut()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    QVERIFY(writeAll(path(), "[S]\r\nK=" + sjis(stored) + "\r\n"));
    QCOMPARE(IniFile(path()).readString(u"S"_s, u"K"_s), expected);
}

void tst_IniFile::createsFileOnFirstWrite()
{
    const QString file = path(u"new.dat"_s);
    IniFile ini(file);
    QVERIFY(ini.writeString(u"Application"_s, u"Name"_s, u"n"_s));
    QVERIFY(ini.writeString(u"Application"_s, u"Version"_s, u"1.01"_s));
    QVERIFY(ini.writeString(u"Tarnel"_s, u"ReplayDir"_s, u"/g/"_s));
    QCOMPARE(readAll(file), QByteArray("[Application]\r\nName=n\r\nVersion=1.01\r\n[Tarnel]\r\nReplayDir=/g/\r\n"));
}

void tst_IniFile::replacesLineInPlace()
{
    const QByteArray before = "; comment line\r\n"
                              "\r\n"
                              "[Application]\r\n"
                              "Name=old name\r\n"
                              "\xff\xfe not text \x81\r\n"
                              "[TARNEL]\n"
                              "  replaydir = /old/  \r\n"
                              "Other=kept\n"
                              "\r\n"
                              "[Mine]\r\n"
                              "X=1"; // no final line end
    QVERIFY(writeAll(path(), before));

    QVERIFY(IniFile(path()).writeString(u"Tarnel"_s, u"ReplayDir"_s, u"/new/"_s));
    QByteArray expected = before;
    expected.replace("  replaydir = /old/  \r\n", "replaydir=/new/\r\n");
    QCOMPARE(readAll(path()), expected);

    QVERIFY(IniFile(path()).writeString(u"Mine"_s, u"x"_s, u"2"_s));
    expected.replace("X=1", "X=2");
    QCOMPARE(readAll(path()), expected);
}

void tst_IniFile::addsKeyAfterLastKeyOfSection()
{
    const QByteArray before = "[Application]\r\n"
                              "Name=n\r\n"
                              "; trailing comment\r\n"
                              "\r\n"
                              "[Tarnel]\r\n"
                              "ReplayDir=/g/\r\n"
                              "[Empty]\r\n"
                              "\r\n"
                              "[Last]\r\n";
    QVERIFY(writeAll(path(), before));
    IniFile ini(path());
    QVERIFY(ini.writeString(u"application"_s, u"Version"_s, u"1.01"_s));
    QVERIFY(ini.writeString(u"Empty"_s, u"K"_s, u"v"_s));
    QCOMPARE(readAll(path()), QByteArray("[Application]\r\n"
                                           "Name=n\r\n"
                                           "Version=1.01\r\n"
                                           "; trailing comment\r\n"
                                           "\r\n"
                                           "[Tarnel]\r\n"
                                           "ReplayDir=/g/\r\n"
                                           "[Empty]\r\n"
                                           "K=v\r\n"
                                           "\r\n"
                                           "[Last]\r\n"));
    QCOMPARE(ini.readString(u"Application"_s, u"Version"_s), u"1.01"_s);
}

void tst_IniFile::addsKeyToLastSectionWithoutFinalLineEnd()
{
    QVERIFY(writeAll(path(), "[S]\r\nA=1"));
    QVERIFY(IniFile(path()).writeString(u"S"_s, u"B"_s, u"2"_s));
    QCOMPARE(readAll(path()), QByteArray("[S]\r\nA=1\r\nB=2\r\n"));
}

void tst_IniFile::addsSectionAtEnd()
{
    QVERIFY(writeAll(path(), "[S]\nA=1"));
    QVERIFY(IniFile(path()).writeString(u"qvReplayInfo"_s, u"ReplayDir"_s, u"/s/"_s));
    QCOMPARE(readAll(path()), QByteArray("[S]\nA=1\r\n[qvReplayInfo]\r\nReplayDir=/s/\r\n"));
}

void tst_IniFile::roundTripsShiftJis()
{
    const QString caption = u"Tarnelリプレイファイル情報"_s;
    const QString folder = u"/ホーム/リプレイ保存/"_s;
    IniFile ini(path());
    QVERIFY(ini.writeString(u"Application"_s, u"Name"_s, caption));
    QVERIFY(ini.writeString(u"qvReplayInfo"_s, u"ReplayDir"_s, folder));
    QCOMPARE(readAll(path()), sjis(u"[Application]\r\nName="_s + caption + u"\r\n[qvReplayInfo]\r\nReplayDir="_s
                                     + folder + u"\r\n"_s));
    QCOMPARE(ini.readString(u"Application"_s, u"Name"_s), caption);
    QCOMPARE(ini.readString(u"qvReplayInfo"_s, u"ReplayDir"_s), folder);
}

void tst_IniFile::refusesUnrepresentable_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("euro sign in value") << u"S"_s << u"K"_s << u"/tmp/€/"_s;
    QTest::newRow("emoji in value") << u"S"_s << u"K"_s << u"/tmp/\U0001F600/"_s;
    // U+301C comes back from the code page as U+FF5E: the path would change.
    QTest::newRow("wave dash in value") << u"S"_s << u"K"_s << u"/tmp/a\u301Cb/"_s;
    QTest::newRow("line break in value") << u"S"_s << u"K"_s << u"a\r\nEvil=1"_s;
    QTest::newRow("unrepresentable key") << u"S"_s << u"K€"_s << u"v"_s;
    QTest::newRow("unrepresentable section") << u"S€"_s << u"K"_s << u"v"_s;
    QTest::newRow("equals sign in key") << u"S"_s << u"K=1"_s << u"v"_s;
    QTest::newRow("empty key") << u"S"_s << QString() << u"v"_s;
}

void tst_IniFile::refusesUnrepresentable()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);

    const QByteArray before = "[S]\r\nK=old\r\n";
    QVERIFY(writeAll(path(), before));
    QVERIFY(!IniFile(path()).writeString(section, key, value));
    QCOMPARE(readAll(path()), before);

    const QString fresh = path(u"fresh.dat"_s);
    QVERIFY(!IniFile(fresh).writeString(section, key, value));
    QVERIFY(!QFile::exists(fresh));
}

void tst_IniFile::unwritableLocationFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("path is a folder") << u"folder.dat"_s;
    QTest::newRow("folder does not exist") << u"missing/qvReplayInfo.dat"_s;
}

void tst_IniFile::unwritableLocationFails()
{
    QFETCH(QString, name);
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.dat"_s));
    QVERIFY(!IniFile(path(name)).writeString(u"S"_s, u"K"_s, u"v"_s));
    QVERIFY(QFileInfo(path(u"folder.dat"_s)).isDir());
}

void tst_IniFile::fullDiskKeepsOldFile()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file-size limits (setrlimit) stand in for a full disk");
#else
    // A file-size limit stands in for a full disk (it binds root too): the
    // write must fail and leave the old file as it was, with no temporary
    // file beside it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"qvReplayInfo.dat"_s);
    const QByteArray before = "[Application]\r\nName=n\r\n; " + QByteArray(4000, 'x') + "\r\n";
    QVERIFY(writeAll(file, before));

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(before.size() - 10);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = IniFile(file).writeString(u"Tarnel"_s, u"ReplayDir"_s, u"/g/"_s);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QCOMPARE(readAll(file), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"qvReplayInfo.dat"_s});
#endif
}

void tst_IniFile::rewritingWhatWasReadKeepsBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("quotes and blanks") << QByteArray("  K = \"/q/\" ");
    // 87 9A reads as "∵", which encodes as 81 E6.
    QTest::newRow("duplicate code") << QByteArray("K=/\x87\x9a/");
    QTest::newRow("longer than is read") << "K=" + QByteArray(3000, 'x');
    QTest::newRow("saved in UTF-8") << QByteArray("K=/home/太郎/");
}

// Writing back what was read changes no byte of the file.
void tst_IniFile::rewritingWhatWasReadKeepsBytes()
{
    QFETCH(QByteArray, line);
    const QByteArray before = "[S]\r\n" + line + "\r\n[T]\nK=1\n";
    QVERIFY(writeAll(path(), before));
    IniFile ini(path());
    QVERIFY(ini.writeString(u"s"_s, u"k"_s, ini.readString(u"S"_s, u"K"_s)));
    QCOMPARE(readAll(path()), before);
}

void tst_IniFile::readOnlyFolder_data()
{
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<qint64>("sizeLimit"); // bytes a file may grow to; 0: no limit
    QTest::addColumn<bool>("written");

    QTest::newRow("writable file: written in place") << true << qint64(0) << true;
    QTest::newRow("read-only file") << false << qint64(0) << false;
    // The old file has 48 bytes, the new one 80: the write falls short.
    QTest::newRow("write cut short: old bytes back") << true << qint64(60) << false;
}

// A portable copy: the folder is read-only, so no new file can be made beside
// the settings file. Run in a child as an ordinary user, since root may write
// into any folder.
void tst_IniFile::readOnlyFolder()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: fork, permission bits and a user other than root");
#else
    QFETCH(bool, fileWritable);
    QFETCH(qint64, sizeLimit);
    QFETCH(bool, written);

    QTemporaryDir top;
    QVERIFY(top.isValid());
    QVERIFY(QFile::setPermissions(top.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::ExeOther));
    const QString folder = top.filePath(u"portable"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + u"/qvReplayInfo.dat"_s;
    const QByteArray before = "[Application]\r\nName=n\r\n[Tarnel]\r\nReplayDir=/g/\r\n";
    QVERIFY(writeAll(file, before));
    const QByteArray folderName = QFile::encodeName(folder);
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), fileWritable ? 0666 : 0444), 0);
    QCOMPARE(::chmod(folderName.constData(), 0555), 0);

    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::geteuid() == 0) {
            const passwd *nobody = ::getpwnam("nobody");
            if (::setgid(nobody ? nobody->pw_gid : 65534) != 0 || ::setuid(nobody ? nobody->pw_uid : 65534) != 0)
                ::_exit(3);
        }
        if (sizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(3);
        }
        ::_exit(IniFile(file).writeString(u"qvReplayInfo"_s, u"ReplayDir"_s, u"/s/"_s) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QCOMPARE(::chmod(folderName.constData(), 0755), 0);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), written ? 0 : 1);
    QCOMPARE(readAll(file), written ? before + "[qvReplayInfo]\r\nReplayDir=/s/\r\n" : before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"qvReplayInfo.dat"_s});
#endif
}

QTEST_GUILESS_MAIN(tst_IniFile)
#include "tst_IniFile.moc"
