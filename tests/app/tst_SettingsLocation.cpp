#include "app/Settings.h"
#include "app/SettingsLocation.h"

#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The variable that names the user's settings folder (under Windows
// %APPDATA%, which the program takes before asking the system).
#ifdef Q_OS_WIN
constexpr char ConfigVariable[] = "APPDATA";
#else
constexpr char ConfigVariable[] = "XDG_CONFIG_HOME";
#endif

constexpr QFile::Permissions Private = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

QFile::Permissions ownerBits(const QString &path)
{
    return QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                            | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                            | QFile::WriteOther | QFile::ExeOther);
}

} // namespace

class tst_SettingsLocation : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_oldHome = qgetenv("HOME");
        m_oldConfig = qgetenv(ConfigVariable);
        m_hadConfig = qEnvironmentVariableIsSet(ConfigVariable);
        QVERIFY(QDir(m_dir->path()).mkpath(u"program"_s));
        QVERIFY(QDir(m_dir->path()).mkpath(u"home"_s));
        qputenv("HOME", m_dir->filePath(u"home"_s).toLocal8Bit());
    }

    void cleanup()
    {
        qputenv("HOME", m_oldHome);
        if (m_hadConfig)
            qputenv(ConfigVariable, m_oldConfig);
        else
            qunsetenv(ConfigVariable);
        m_dir.reset();
    }

    // <program>, <config> and <home> stand for folders under the scratch folder.
    void choosesFile_data()
    {
        QTest::addColumn<QString>("beside");   // "file", "folder", "both" (also a user file) or "" (nothing)
        QTest::addColumn<QString>("xdgConfig"); // value of XDG_CONFIG_HOME; "-" unset
        QTest::addColumn<QString>("expected");
        const QString portable = u"<program>/qvReplayInfo.dat"_s;
        const QString xdg = u"<config>/qvReplayInfo/qvReplayInfo.dat"_s;
        const QString home = u"<home>/.config/qvReplayInfo/qvReplayInfo.dat"_s;
        QTest::newRow("portable file, XDG_CONFIG_HOME set") << u"file"_s << u"<config>"_s << portable;
        QTest::newRow("portable file, XDG_CONFIG_HOME unset") << u"file"_s << u"-"_s << portable;
        QTest::newRow("portable file wins over the user's file") << u"both"_s << u"<config>"_s << portable;
        QTest::newRow("no portable file, XDG_CONFIG_HOME set") << QString() << u"<config>"_s << xdg;
#ifndef Q_OS_WIN
        // Without the variable Windows asks the system for the folder.
        QTest::newRow("no portable file, XDG_CONFIG_HOME unset") << QString() << u"-"_s << home;
        QTest::newRow("no portable file, XDG_CONFIG_HOME empty") << QString() << QString() << home;
        QTest::newRow("no portable file, XDG_CONFIG_HOME relative") << QString() << u"config"_s << home;
#endif
        QTest::newRow("a folder of that name is no settings file") << u"folder"_s << u"<config>"_s << xdg;
    }

    void choosesFile()
    {
        QFETCH(QString, beside);
        QFETCH(QString, xdgConfig);
        QFETCH(QString, expected);
        const QString program = m_dir->filePath(u"program"_s);
        const auto place = [this](QString text) {
            return text.replace(u"<program>"_s, m_dir->filePath(u"program"_s))
                .replace(u"<config>"_s, m_dir->filePath(u"config"_s))
                .replace(u"<home>"_s, m_dir->filePath(u"home"_s));
        };
        if (beside == u"file" || beside == u"both")
            QVERIFY(writeAll(program + u"/qvReplayInfo.dat"_s, "[Tarnel]\r\n"));
        if (beside == u"both") {
            QVERIFY(QDir(m_dir->path()).mkpath(u"config/qvReplayInfo"_s));
            QVERIFY(writeAll(m_dir->filePath(u"config/qvReplayInfo/qvReplayInfo.dat"_s), "[Tarnel]\r\n"));
        }
        else if (beside == u"folder")
            QVERIFY(QDir(program).mkdir(u"qvReplayInfo.dat"_s));
        if (xdgConfig == u"-")
            qunsetenv(ConfigVariable);
        else
            qputenv(ConfigVariable, place(xdgConfig).toLocal8Bit());

        QCOMPARE(settingsFilePath(program), place(expected));
        if (beside == u"both")
            return;
        // Choosing creates nothing.
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"config"_s)));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"home/.config"_s)));
    }

    // The first write makes the missing folders, private to the user, and
    // the settings then land there; later writes find them.
    void firstWriteCreatesPrivateFolder()
    {
        const QString config = m_dir->filePath(u"xdg/config"_s);
        qputenv(ConfigVariable, config.toLocal8Bit());
        const QString file = settingsFilePath(m_dir->filePath(u"program"_s));
        QCOMPARE(file, config + u"/qvReplayInfo/qvReplayInfo.dat"_s);
        const QFile::Permissions before = ownerBits(m_dir->path());

        QVERIFY(prepareSettingsFolder(file));
        for (const QString &made : {m_dir->filePath(u"xdg"_s), config, config + u"/qvReplayInfo"_s}) {
            QVERIFY(QFileInfo(made).isDir());
#ifndef Q_OS_WIN // permission bits
            QCOMPARE(ownerBits(made), Private);
#endif
        }
        QCOMPARE(ownerBits(m_dir->path()), before);

        ScriptedPrompter prompter;
        const FolderSettings folders{u"/game/"_s, u"/storage/"_s};
        QVERIFY(SaveSettings(file, u"caption"_s, u"1.01"_s, folders, prompter, nullptr));
        FolderSettings read;
        QVERIFY(LoadSettings(file, read, prompter, nullptr));
        QCOMPARE(read.StorageDir, folders.StorageDir);

        QVERIFY(prepareSettingsFolder(file));
        QVERIFY(prompter.unexpected().isEmpty());
    }

    // A file where the folder should be: nothing is made, and the write
    // that follows fails with its message instead of passing silently.
    void blockedFolderFailsTheWrite()
    {
        const QString config = m_dir->filePath(u"config"_s);
        qputenv(ConfigVariable, config.toLocal8Bit());
        QVERIFY(QDir().mkdir(config));
        QVERIFY(writeAll(config + u"/qvReplayInfo"_s, "not a folder"));
        const QString file = settingsFilePath(m_dir->filePath(u"program"_s));

        QVERIFY(!prepareSettingsFolder(file));
        ScriptedPrompter prompter;
        QVERIFY(!SaveSettings(file, u"caption"_s, u"1.01"_s, FolderSettings{u"/g/"_s, u"/s/"_s}, prompter, nullptr));
        QCOMPARE(prompter.errors(), QStringList{u"設定ファイルの書込に失敗しました。"_s});
        QCOMPARE(readAll(config + u"/qvReplayInfo"_s), QByteArray("not a folder"));
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
    bool m_hadConfig = false;
};

QTEST_GUILESS_MAIN(tst_SettingsLocation)
#include "tst_SettingsLocation.moc"
