#include "app/Seldir.h"

#include "tests/support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_Seldir : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void directoryExists_data();
    void directoryExists();
    void selDirectory_data();
    void selDirectory();

private:
    QTemporaryDir m_dir;
};

void tst_Seldir::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(u"sub"_s));
    QFile file(m_dir.filePath(u"file.dat"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void tst_Seldir::directoryExists_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("exists");
    QTest::newRow("folder") << u"sub"_s << true;
    QTest::newRow("folder with separator") << u"sub/"_s << true;
    QTest::newRow("file") << u"file.dat"_s << false;
    QTest::newRow("file with separator") << u"file.dat/"_s << false;
    QTest::newRow("missing") << u"gone/"_s << false;
}

void tst_Seldir::directoryExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, exists);
    QCOMPARE(DirectoryExists(m_dir.path() + u'/' + relative), exists);
    QVERIFY(!DirectoryExists(QString()));
    QVERIFY(DirectoryExists(u"/"_s));
}

void tst_Seldir::selDirectory_data()
{
    QTest::addColumn<QString>("given");       // relative to the temporary folder, or empty
    QTest::addColumn<bool>("givenExists");
    QTest::addColumn<QString>("answer");      // empty: cancel
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("directoryAfter");

    QTest::newRow("existing preselect, chosen") << u"sub/"_s << true << u"/chosen"_s << true << u"/chosen"_s;
    QTest::newRow("existing preselect, cancelled") << u"sub/"_s << true << QString() << false << u"sub/"_s;
    QTest::newRow("missing preselect, cancelled") << u"gone/"_s << false << QString() << false << QString();
    QTest::newRow("missing preselect, chosen") << u"gone/"_s << false << u"/"_s << true << u"/"_s;
    QTest::newRow("file as preselect") << u"file.dat"_s << false << QString() << false << QString();
}

void tst_Seldir::selDirectory()
{
    QFETCH(QString, given);
    QFETCH(bool, givenExists);
    QFETCH(QString, answer);
    QFETCH(bool, result);
    QFETCH(QString, directoryAfter);

    ScriptedPrompter prompter;
    if (answer.isEmpty())
        prompter.answerFolderCancel();
    else
        prompter.answerFolder(answer);

    const QString givenPath = m_dir.path() + u'/' + given;
    QString directory = givenPath;
    QCOMPARE(SelDirectory(prompter, nullptr, u"title"_s, u"/"_s, directory), result);

    QCOMPARE(prompter.calls().size(), size_t(1));
    const ScriptedPrompter::Call &call = prompter.calls().front();
    QCOMPARE(call.kind, ScriptedPrompter::Kind::ChooseFolder);
    QCOMPARE(call.title, u"title"_s);
    QCOMPARE(call.root, u"/"_s);
    QCOMPARE(call.preselect, givenExists ? givenPath : QString());
    QCOMPARE(directory, directoryAfter.startsWith(u'/') || directoryAfter.isEmpty()
                            ? directoryAfter
                            : m_dir.path() + u'/' + directoryAfter);
}

QTEST_GUILESS_MAIN(tst_Seldir)
#include "tst_Seldir.moc"
