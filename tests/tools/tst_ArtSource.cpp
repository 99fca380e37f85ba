// The committed PNG files must be exactly what qvArtGen makes of the text
// source, and the embedded copies must be those files.

#include "resources/ArtResources.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString ResourcesDir = QStringLiteral(QV_RESOURCES_DIR);

struct RunResult {
    int exitCode = -1;
    QString errors;
};

RunResult runGenerator(const QString &sprites, const QString &icons, const QString &outDir)
{
    QProcess process;
    process.start(QStringLiteral(QV_ARTGEN_PATH), {sprites, icons, outDir});
    RunResult result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QStringList pngFiles(const QString &root)
{
    QStringList files;
    for (const QString &sub : {QStringLiteral("sprites"), QStringLiteral("icons")}) {
        const QDir dir(QDir(root).filePath(sub));
        for (const QString &name : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
            files.append(sub + u'/' + name);
    }
    return files;
}

// Empty when equal, else where they differ.
QString difference(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull())
        return QStringLiteral("an image does not load");
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            if (x.pixel(col, row) != y.pixel(col, row))
                return QStringLiteral("pixel (%1, %2) differs").arg(col).arg(row);
    return {};
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestArtSource : public QObject {
    Q_OBJECT
private slots:
    void generatedImagesMatchCommitted()
    {
        QTemporaryDir out;
        QVERIFY(out.isValid());
        const RunResult run = runGenerator(QDir(ResourcesDir).filePath(QStringLiteral("sprites.txt")),
                                           QDir(ResourcesDir).filePath(QStringLiteral("icons.txt")), out.path());
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

        const QStringList generated = pngFiles(out.path());
        const QStringList committed = pngFiles(ResourcesDir);
        QCOMPARE(generated, committed);
        QCOMPARE(committed.size(), 18 + 7); // six figures x three poses, six program icons, the box's picture
        for (const QString &name : committed) {
            const QString diff = difference(QImage(QDir(out.path()).filePath(name)),
                                            QImage(QDir(ResourcesDir).filePath(name)));
            QVERIFY2(diff.isEmpty(), qPrintable(name + QStringLiteral(": ") + diff + QStringLiteral("; run qvArtGen into resources/")));
        }
    }

    void embeddedArtIsTheCommittedArt()
    {
        for (const QString &name : pngFiles(ResourcesDir)) {
            const QString diff = difference(QImage(QStringLiteral(":/") + name), QImage(QDir(ResourcesDir).filePath(name)));
            QVERIFY2(diff.isEmpty(), qPrintable(name + QStringLiteral(": ") + diff));
        }
        QCOMPARE(QImage(aboutPicturePath()).size(), QSize(32, 32));
        const QIcon icon = programIcon();
        for (int size : {16, 32, 48, 64, 128, 256})
            QCOMPARE(icon.pixmap(QSize(size, size)).size(), QSize(size, size));
        QVERIFY(charaSpritePath(0, 0).isEmpty());
        QVERIFY(charaSpritePath(1, 6).isEmpty());
        QCOMPARE(QImage(charaSpritePath(3, 5)).size(), QSize(64, 96));
    }

    void brokenSourceIsRefused_data()
    {
        QTest::addColumn<QByteArray>("icons");
        QTest::addColumn<QString>("message");
        const QByteArray head = "colour . none\nicon x\nsize 2 2\nsizes 2\n";
        QTest::newRow("short row") << head + "body\n..\n.\nend\n" << QStringLiteral(":7: row is 1 letters long, not 2");
        QTest::newRow("unknown letter") << head + "body\n..\n.q\nend\n" << QStringLiteral(":7: letter not in the palette: q");
        QTest::newRow("rows missing") << head + "body\n..\nend\n" << QStringLiteral("icon has 1 rows, not 2");
        QTest::newRow("not closed") << head + "body\n..\n..\n" << QStringLiteral("not closed");
        QTest::newRow("bad colour") << QByteArray("colour . 12345g\n") << QStringLiteral(":1: bad colour");
        QTest::newRow("size not a multiple") << QByteArray("colour . none\nicon x\nsize 2 2\nsizes 3\nbody\n..\n..\nend\n")
                                             << QStringLiteral("no multiple");
    }

    void brokenSourceIsRefused()
    {
        QFETCH(QByteArray, icons);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString sprites = dir.filePath(QStringLiteral("sprites.txt"));
        const QString iconFile = dir.filePath(QStringLiteral("icons.txt"));
        writeFile(sprites, "# no figures\n");
        writeFile(iconFile, icons);
        const RunResult run = runGenerator(sprites, iconFile, dir.filePath(QStringLiteral("out")));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out/icons/x_2.png"))));
    }

    void spriteNeedsAllThreePoses()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString sprites = dir.filePath(QStringLiteral("sprites.txt"));
        const QString icons = dir.filePath(QStringLiteral("icons.txt"));
        writeFile(sprites, "colour . 000000\nsprite 0 a\nsize 1 2\nbody\n.\npose 1\n.\npose 2\n.\nend\n");
        writeFile(icons, "");
        const RunResult run = runGenerator(sprites, icons, dir.filePath(QStringLiteral("out")));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("poses 1, 2 and 3")), qPrintable(run.errors));
    }
};

QTEST_MAIN(TestArtSource)
#include "tst_ArtSource.moc"
