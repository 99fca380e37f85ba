// The causes a player meets most (a full disk, a read-only drive, no
// permission, a move across drives) said in the program's words, never as
// the system's English text or as an unknown error; the same for calls that
// give only the system's text.

#include "operations/TrashFiles.h"
#include "platform/FileError.h"

#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

class TestFileError : public QObject {
    Q_OBJECT
private slots:
    void plainWords_data();
    void plainWords();
};

void TestFileError::plainWords_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("words");      // in the reason
    QTest::addColumn<QString>("trashWords"); // in the trashing's reason
    QTest::newRow("disk full") << ENOSPC << u"ディスクの空き容量が足りません"_s << u"空き容量"_s;
    QTest::newRow("quota used up") << EDQUOT << u"ディスクの空き容量が足りません"_s << u"空き容量"_s;
    QTest::newRow("read-only drive") << EROFS << u"読み取り専用のドライブ"_s << u"読み取り専用"_s;
    QTest::newRow("no permission") << EACCES << u"権限がありません"_s << u"権限"_s;
    QTest::newRow("not permitted") << EPERM << u"権限がありません"_s << u"権限"_s;
    QTest::newRow("another drive") << EXDEV << u"別のドライブ"_s << u"ごみ箱と別のドライブにあるため"_s;
}

void TestFileError::plainWords()
{
    QFETCH(int, code);
    QFETCH(QString, words);
    QFETCH(QString, trashWords);
    const FileError error = FileError::fromSystem(code);
    QVERIFY2(error.reasonText().contains(words), qPrintable(error.reasonText()));
    QVERIFY(!error.reasonText().contains(qt_error_string(code)));
    // The trashing words its failure from the system's text alone.
    const FileError fromText = FileError::fromSystemText(qt_error_string(code));
    QCOMPARE(fromText.cause, error.cause);
    const QString trash = TrashFiles::reasonText(fromText);
    QVERIFY2(trash.contains(trashWords), qPrintable(trash));
    QVERIFY(!trash.contains(qt_error_string(code)));
}

QTEST_APPLESS_MAIN(TestFileError)
#include "tst_FileError.moc"
