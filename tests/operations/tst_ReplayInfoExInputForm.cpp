// The name and comment dialog on its own: layout, the byte limits of the two
// fields as the user types and pastes, the bytes it gives back.

#include "operations/TReplayInfoExInputForm.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

namespace {

// "あ" in Shift-JIS.
const QByteArray A2 = QByteArrayLiteral("\x82\xa0");

ReplayTextRequest makeRequest(const QByteArray &name = {}, const QByteArray &comment = {})
{
    return ReplayTextRequest{QStringLiteral("qv_replay2.dat"), name, comment};
}

// The next widget that Tab reaches.
QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

// Types text as an input method commits it, one character at a time (key
// events carry only Latin-1 in tests).
void typeText(QWidget *field, const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(i, length));
        QCoreApplication::sendEvent(field, &commit);
        i += length;
    }
}

QByteArray repeated(const QByteArray &unit, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += unit;
    return bytes;
}

} // namespace

class TestReplayInfoExInputForm : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void limits_data();
    void limits();
    void untouchedBytesKept();
    void commentLines();
    void cancelAndEscape();
};

void TestReplayInfoExInputForm::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // an empty size: sized to its caption
    QTest::addColumn<QString>("caption");
    QTest::newRow("Label3") << QStringLiteral("Label3") << QRect(24, 24, 0, 0) << QStringLiteral("ファイル名：");
    QTest::newRow("LblFileName") << QStringLiteral("LblFileName") << QRect(104, 24, 425, 12)
                                 << QStringLiteral("qv_replay2.dat");
    QTest::newRow("Label1") << QStringLiteral("Label1") << QRect(24, 56, 0, 0) << QStringLiteral("プレイヤー名");
    QTest::newRow("EdtPlayerName") << QStringLiteral("EdtPlayerName") << QRect(104, 52, 233, 20) << QString();
    QTest::newRow("Label2") << QStringLiteral("Label2") << QRect(24, 96, 0, 0) << QStringLiteral("コメント");
    QTest::newRow("MemComment") << QStringLiteral("MemComment") << QRect(104, 96, 417, 97) << QString();
    QTest::newRow("BtnOk") << QStringLiteral("BtnOk") << QRect(120, 208, 97, 25) << QStringLiteral("Ｏ　Ｋ");
    QTest::newRow("BtnCancel") << QStringLiteral("BtnCancel") << QRect(336, 208, 97, 25) << QStringLiteral("キャンセル");
}

void TestReplayInfoExInputForm::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    TReplayInfoExInputForm form(makeRequest());
    form.show();
    QCOMPARE(form.objectName(), QStringLiteral("ReplayInfoExInputForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("プレイヤー名・コメント入力"));
    QCOMPARE(form.size(), QSize(551, 245));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.font().pixelSize(), 12);
    QVERIFY(form.BtnOk->isDefault());
    QCOMPARE(nextTabStop(form.EdtPlayerName), form.MemComment);
    QCOMPARE(nextTabStop(form.MemComment), form.BtnOk);
    QCOMPARE(nextTabStop(form.BtnOk), form.BtnCancel);
    QCOMPARE(form.MemComment->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.MemComment->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    auto *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    QVERIFY(widget->isVisible());
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (!geometry.isEmpty())
        QCOMPARE(widget->size(), geometry.size());
    else
        QVERIFY(widget->width() >= widget->sizeHint().width());
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), caption);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), caption);
}

void TestReplayInfoExInputForm::limits_data()
{
    QTest::addColumn<bool>("comment");    // else the name
    QTest::addColumn<QByteArray>("start"); // stored bytes the dialog opens with
    QTest::addColumn<QString>("typed");   // typed key by key
    QTest::addColumn<QString>("pasted");  // then pasted at the cursor
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("note"); // a part of the note under the field; empty: none
    QTest::addColumn<bool>("selectAll"); // the whole field selected before the paste

    const QString cut = QStringLiteral("これ以上は");
    const bool all = true;
    const QString refused = QStringLiteral("Shift-JIS");
    const QString a15 = QString(15, QChar(u'あ'));
    QTest::newRow("name: 30 bytes") << false << QByteArray() << a15 << QString() << repeated(A2, 15) << QString() << false;
    QTest::newRow("name: the 31st and 32nd byte refused")
        << false << QByteArray() << a15 + QStringLiteral("あ") << QString() << repeated(A2, 15) << cut << false;
    QTest::newRow("name: a double-byte character never split")
        << false << QByteArray(29, 'x') << QStringLiteral("あ") << QString() << QByteArray(29, 'x') << cut << false;
    QTest::newRow("name: paste cut at a character boundary")
        << false << QByteArray(7, 'x') << QString() << QString(20, QChar(u'あ')) << QByteArray(7, 'x') + repeated(A2, 11)
        << cut << false;
    QTest::newRow("name: unencodable typed") << false << QByteArray() << QStringLiteral("abé") << QString()
                                             << QByteArrayLiteral("ab") << refused << false;
    QTest::newRow("name: unencodable pasted") << false << QByteArrayLiteral("x") << QString()
                                              << QStringLiteral("a😀b") << QByteArrayLiteral("xab") << refused << false;
    QTest::newRow("comment: 1024 bytes") << true << QByteArray(1022, 'c') << QStringLiteral("あ") << QString()
                                         << QByteArray(1022, 'c') + A2 << QString() << false;
    QTest::newRow("comment: 1025th byte refused") << true << QByteArray(1024, 'c') << QStringLiteral("d") << QString()
                                                  << QByteArray(1024, 'c') << cut << false;
    // Each line break takes two bytes (CR LF).
    QTest::newRow("comment: paste of lines cut at 1024 bytes")
        << true << QByteArray() << QString() << QStringLiteral("abcd\n").repeated(200)
        << QByteArrayLiteral("abcd\r\n").repeated(170) + QByteArrayLiteral("abcd") << cut << false;
    QTest::newRow("comment: a line break needs two bytes")
        << true << QByteArray(1023, 'c') << QString() << QStringLiteral("\n") << QByteArray(1023, 'c') << cut << false;
    QTest::newRow("name: selection kept when nothing pasted fits")
        << false << QByteArrayLiteral("old") << QString() << QStringLiteral("😀") << QByteArrayLiteral("old") << refused
        << all;
    QTest::newRow("comment: selection kept when nothing pasted fits")
        << true << QByteArrayLiteral("old\r\nlines") << QString() << QStringLiteral("é")
        << QByteArrayLiteral("old\r\nlines") << refused << all;
}

void TestReplayInfoExInputForm::limits()
{
    QFETCH(bool, comment);
    QFETCH(QByteArray, start);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QByteArray, stored);
    QFETCH(QString, note);
    QFETCH(bool, selectAll);

    TReplayInfoExInputForm form(comment ? makeRequest({}, start) : makeRequest(start));
    form.show();
    QWidget *field = comment ? static_cast<QWidget *>(form.MemComment) : form.EdtPlayerName;
    QLabel *noteLabel = comment ? form.LblCommentNote : form.LblPlayerNameNote;
    if (comment)
        form.MemComment->moveCursor(QTextCursor::End);
    else
        form.EdtPlayerName->end(false);
    typeText(field, typed);
    if (selectAll) {
        if (comment)
            form.MemComment->selectAll();
        else
            form.EdtPlayerName->selectAll();
    }
    if (!pasted.isEmpty()) {
        if (comment)
            form.MemComment->insertPlainText(pasted);
        else
            form.EdtPlayerName->insert(pasted);
    }

    const ReplayTextAnswer texts = form.texts();
    QCOMPARE(comment ? texts.comment : texts.playerName, stored);
    if (note.isEmpty())
        QCOMPARE(noteLabel->text(), QString());
    else
        QVERIFY2(noteLabel->text().contains(note), qPrintable(noteLabel->text()));

    // What is left is counted as the player counts: full- and half-width.
    const int left = (comment ? 1024 : 30) - int(stored.size());
    QCOMPARE((comment ? form.LblCommentLeft : form.LblPlayerNameLeft)->text(),
             QStringLiteral("残り：全角%1文字（半角%2文字）").arg(left / 2).arg(left));

    // A warning goes once the next edit is taken as typed.
    if (comment)
        form.MemComment->moveCursor(QTextCursor::Start);
    else
        form.EdtPlayerName->home(false);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, QStringLiteral("z"));
    QCOMPARE(noteLabel->text(), QString());
}

// Bytes that decoding and encoding again would change (an NEC-selected IBM
// code, an undecodable byte) are kept wherever the user did not touch them.
void TestReplayInfoExInputForm::untouchedBytesKept()
{
    const QByteArray name = QByteArrayLiteral("A\xed\x40" "B\x80");
    const QByteArray comment = QByteArrayLiteral("\xed\x40\r\n\x80x");
    {
        TReplayInfoExInputForm form(makeRequest(name, comment));
        form.BtnOk->click();
        QCOMPARE(form.result()->playerName, name);
        QCOMPARE(form.result()->comment, comment);
    }
    {
        TReplayInfoExInputForm form(makeRequest(name, comment));
        form.show();
        form.EdtPlayerName->end(false);
        typeText(form.EdtPlayerName, QStringLiteral("あ"));
        form.MemComment->moveCursor(QTextCursor::Start);
        QTest::keyClick(form.MemComment, Qt::Key_End);
        QTest::keyClicks(form.MemComment, QStringLiteral("y"));
        form.BtnOk->click();
        QCOMPARE(form.result()->playerName, name + A2);
        QCOMPARE(form.result()->comment, QByteArrayLiteral("\xed\x40y\r\n\x80x"));
    }
    {
        // Cleared fields store nothing (the caller pads with NUL).
        TReplayInfoExInputForm form(makeRequest(name, comment));
        form.EdtPlayerName->clear();
        form.MemComment->clear();
        form.BtnOk->click();
        QCOMPARE(form.result()->playerName, QByteArray());
        QCOMPARE(form.result()->comment, QByteArray());
    }
}

void TestReplayInfoExInputForm::commentLines()
{
    const QByteArray lines = QByteArrayLiteral("\x88\xea\x8d\x73\x96\xda\r\n\x93\xf1\x8d\x73\x96\xda"); // 一行目 CR LF 二行目
    TReplayInfoExInputForm form(makeRequest({}, lines));
    form.show();
    QCOMPARE(form.MemComment->document()->blockCount(), 2);
    QCOMPARE(form.MemComment->toPlainText(), QStringLiteral("一行目\n二行目"));

    // Enter in the memo starts a line; it does not press OK.
    form.MemComment->setFocus();
    form.MemComment->moveCursor(QTextCursor::End);
    QTest::keyClick(form.MemComment, Qt::Key_Return);
    QTest::keyClicks(form.MemComment, QStringLiteral("3"));
    QVERIFY(form.isVisible());
    QVERIFY(!form.OkFlag());
    QCOMPARE(form.texts().comment, lines + QByteArrayLiteral("\r\n3"));

    // Enter in the name box presses OK.
    form.EdtPlayerName->setFocus();
    QTest::keyClick(form.EdtPlayerName, Qt::Key_Return);
    QVERIFY(form.OkFlag());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result()->comment, lines + QByteArrayLiteral("\r\n3"));
}

void TestReplayInfoExInputForm::cancelAndEscape()
{
    TReplayInfoExInputForm form(makeRequest(QByteArrayLiteral("old")));
    form.show();
    form.EdtPlayerName->setText(QStringLiteral("new"));
    // Esc cancels, as Cancel does.
    QTest::keyClick(form.EdtPlayerName, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.OkFlag());
    QCOMPARE(form.result(), std::nullopt);
    form.show();
    form.BtnCancel->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), std::nullopt);
}

QTEST_MAIN(TestReplayInfoExInputForm)
#include "tst_ReplayInfoExInputForm.moc"
