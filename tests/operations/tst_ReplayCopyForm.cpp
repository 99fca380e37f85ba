// The copy dialog on its own: both layouts, the typed-name rules and the
// refused names, the slot choice. Its messages are answered by a scripted
// prompter.

#include "operations/TReplayCopyForm1.h"
#include "platform/FileNames.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString SourceName = QStringLiteral("qv_replay3.dat");

SlotSummary slotTexts(int slot)
{
    if (slot == 4)
        return {}; // an empty slot
    return SlotSummary{QStringLiteral("ダンジョン%1").arg(slot), QStringLiteral("%1 階").arg(slot + 2),
                       QStringLiteral("キャラ%1").arg(slot), QStringLiteral("1,00%1").arg(slot),
                       QStringLiteral("プレイヤー%1").arg(slot)};
}

// The next widget that Tab reaches.
QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

} // namespace

class TestReplayCopyForm : public QObject {
    Q_OBJECT

private slots:
    void init();

    void layout_data();
    void layout();
    void tabOrderAndButtons();
    void typedNames_data();
    void typedNames();
    void slotChoice();
    void slotOntoSourceRefused();
    void cancelAndEscape();
    void backFromADeclinedReplace();
    void storedNote_data();
    void storedNote();
    void templateName();

private:
    CopyTargetRequest request(bool slotMode, bool intoSourceFolder = false) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_game;    // with trailing "/"
    QString m_storage; // with trailing "/"
};

void TestReplayCopyForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_game = m_dir->filePath(QStringLiteral("game")) + QLatin1Char('/');
    m_storage = m_dir->filePath(QStringLiteral("storage")) + QLatin1Char('/');
    QVERIFY(QDir().mkpath(m_game));
    QVERIFY(QDir().mkpath(m_storage + QStringLiteral("sub.dat")));
    QVERIFY(writeAll(m_game + SourceName, QByteArrayLiteral("replay bytes")));
    QVERIFY(writeAll(m_storage + QStringLiteral("kept.dat"), QByteArrayLiteral("kept")));
}

CopyTargetRequest TestReplayCopyForm::request(bool slotMode, bool intoSourceFolder) const
{
    CopyTargetRequest request;
    request.slotMode = slotMode;
    request.sourceName = SourceName;
    request.sourcePath = m_game + SourceName;
    request.destinationDir = intoSourceFolder ? m_game : m_storage;
    for (int slot = 0; slot < int(request.slotTexts.size()); ++slot)
        request.slotTexts[size_t(slot)] = slotTexts(slot);
    return request;
}

void TestReplayCopyForm::layout_data()
{
    QTest::addColumn<bool>("slotMode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // an empty size: sized to its caption
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QString>("caption");

    const auto row = [](const char *tag, bool slotMode, const char *name, const QRect &geometry, bool visible,
                        const QString &caption = {}) {
        QTest::newRow(tag) << slotMode << QString::fromLatin1(name) << geometry << visible << caption;
    };
    row("name: Label1", false, "Label1", QRect(16, 32, 0, 0), true, QStringLiteral("コピーするファイル"));
    row("name: LblCopyMotoName", false, "LblCopyMotoName", QRect(128, 32, 201, 12), true, SourceName);
    row("name: Label2", false, "Label2", QRect(16, 72, 0, 0), true, QStringLiteral("コピー後のファイル名"));
    row("name: EdtCopySakiFileName", false, "EdtCopySakiFileName", QRect(56, 88, 273, 20), true);
    row("name: CmbCopySakiFileName", false, "CmbCopySakiFileName", QRect(104, 64, 169, 20), false);
    row("name: Label3", false, "Label3", QRect(16, 88, 0, 0), false);
    row("name: LblPlayerName", false, "LblPlayerName", QRect(96, 120, 233, 12), false);
    row("name: BtnOk", false, "BtnOk", QRect(56, 144, 89, 25), true, QStringLiteral("Ｏ　Ｋ"));
    row("name: BtnCancel", false, "BtnCancel", QRect(216, 144, 89, 25), true, QStringLiteral("キャンセル"));

    row("slot: Label1", true, "Label1", QRect(16, 16, 0, 0), true);
    row("slot: LblCopyMotoName", true, "LblCopyMotoName", QRect(128, 16, 201, 12), true, SourceName);
    row("slot: Label2", true, "Label2", QRect(16, 48, 0, 0), true);
    row("slot: EdtCopySakiFileName", true, "EdtCopySakiFileName", QRect(56, 64, 273, 20), false);
    row("slot: CmbCopySakiFileName", true, "CmbCopySakiFileName", QRect(104, 64, 169, 20), true,
        QStringLiteral("qv_replay0.dat"));
    row("slot: Label3", true, "Label3", QRect(16, 88, 0, 0), true, QStringLiteral("ダンジョン名："));
    row("slot: LblDungeonName", true, "LblDungeonName", QRect(96, 88, 121, 12), true, QStringLiteral("ダンジョン0"));
    row("slot: LblKaisu", true, "LblKaisu", QRect(224, 88, 51, 12), true, QStringLiteral("2 階"));
    row("slot: Label4", true, "Label4", QRect(16, 104, 0, 0), true, QStringLiteral("使用キャラ："));
    row("slot: LblCharaName", true, "LblCharaName", QRect(96, 104, 81, 12), true, QStringLiteral("キャラ0"));
    row("slot: Label6", true, "Label6", QRect(224, 104, 0, 0), true, QStringLiteral("スコア："));
    row("slot: LblScore", true, "LblScore", QRect(264, 104, 57, 12), true, QStringLiteral("1,000"));
    row("slot: Label5", true, "Label5", QRect(16, 120, 0, 0), true, QStringLiteral("プレイヤー名："));
    row("slot: LblPlayerName", true, "LblPlayerName", QRect(96, 120, 233, 12), true, QStringLiteral("プレイヤー0"));
    row("slot: BtnOk", true, "BtnOk", QRect(56, 144, 89, 25), true);
}

void TestReplayCopyForm::layout()
{
    QFETCH(bool, slotMode);
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, visible);
    QFETCH(QString, caption);
    ScriptedPrompter prompter;
    TReplayCopyForm1 form(request(slotMode), prompter);
    form.show();

    QCOMPARE(form.objectName(), QStringLiteral("ReplayCopyForm1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("リプレイファイルコピー"));
    QCOMPARE(form.size(), QSize(357, 176));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.font().pixelSize(), 12);

    auto *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (!geometry.isEmpty())
        QCOMPARE(widget->size(), geometry.size());
    else
        QVERIFY(widget->width() >= widget->sizeHint().width()); // caption not clipped
    QCOMPARE(widget->isVisible(), visible);
    if (caption.isEmpty())
        return;
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), caption);
        if (name.startsWith(QLatin1String("Lbl")))
            QCOMPARE(label->palette().color(label->foregroundRole()), QColor(Qt::blue)); // drawn blue
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QCOMPARE(button->text(), caption);
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        QCOMPARE(combo->currentText(), caption);
    }
}

void TestReplayCopyForm::tabOrderAndButtons()
{
    ScriptedPrompter prompter;
    TReplayCopyForm1 form(request(true), prompter);
    QCOMPARE(form.CmbCopySakiFileName->count(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(form.CmbCopySakiFileName->itemText(i), QStringLiteral("qv_replay%1.dat").arg(i));
    QVERIFY(!form.CmbCopySakiFileName->isEditable());
    QVERIFY(form.BtnOk->isDefault());
    QVERIFY(!form.BtnCancel->isDefault());
    QCOMPARE(nextTabStop(form.EdtCopySakiFileName), form.CmbCopySakiFileName);
    QCOMPARE(nextTabStop(form.CmbCopySakiFileName), form.BtnOk);
    QCOMPARE(nextTabStop(form.BtnOk), form.BtnCancel);
    QCOMPARE(form.LblScore->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

void TestReplayCopyForm::typedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("intoSourceFolder");
    QTest::addColumn<QString>("fileName"); // empty: refused
    QTest::addColumn<QString>("message");  // the one message shown (a part of it for refusals)

    const QString none;
    QTest::newRow("abc") << QStringLiteral("abc") << false << QStringLiteral("abc.dat") << none;
    QTest::newRow("abc.dat") << QStringLiteral("abc.dat") << false << QStringLiteral("abc.dat") << none;
    QTest::newRow("abc.DAT keeps its case") << QStringLiteral("abc.DAT") << false << QStringLiteral("abc.DAT") << none;
    QTest::newRow("abc.dat.txt") << QStringLiteral("abc.dat.txt") << false << QStringLiteral("abc.dat.txt.dat") << none;
    QTest::newRow("dat") << QStringLiteral("dat") << false << QStringLiteral("dat.dat") << none;
    QTest::newRow("blanks kept") << QStringLiteral(" a b ") << false << QStringLiteral(" a b .dat") << none;
    QTest::newRow("Japanese") << QStringLiteral("記録") << false << QStringLiteral("記録.dat") << none;
    QTest::newRow("existing file: the job asks") << QStringLiteral("kept") << false << QStringLiteral("kept.dat") << none;
    QTest::newRow("another slot's name") << QStringLiteral("qv_replay4") << true << QStringLiteral("qv_replay4.dat")
                                         << none;

    QTest::newRow("empty") << QString() << false << none << QStringLiteral("ファイル名が入力されていません。");
    const QString forbidden = FileNames::forbiddenCharactersText();
    QTest::newRow("slash") << QStringLiteral("../abc") << false << none << forbidden;
    QTest::newRow("absolute") << QStringLiteral("/tmp/abc") << false << none << forbidden;
    QTest::newRow("NUL") << QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("c") << false << none << forbidden;
#ifdef Q_OS_WIN
    // Windows' own separators and stream names, and its device names.
    QTest::newRow("backslash") << QStringLiteral("..\\abc") << false << none << forbidden;
    QTest::newRow("drive") << QStringLiteral("C:abc") << false << none << forbidden;
    QTest::newRow("device") << QStringLiteral("con") << false << none << QStringLiteral("「con」は");
    QTest::newRow("device with extension") << QStringLiteral("Com1.dat") << false << none
                                           << QStringLiteral("「Com1.dat」は");
#endif
    QTest::newRow("dot") << QStringLiteral(".") << false << none << QStringLiteral("「.」は");
    QTest::newRow("dot dot") << QStringLiteral("..") << false << none << QStringLiteral("「..」は");
    // Hidden names: the storage listing would never show the copy.
    QTest::newRow("hidden .dat") << QStringLiteral(".dat") << false << none << QStringLiteral("「.dat」のように「.」で始まる");
    QTest::newRow("hidden name") << QStringLiteral(".x") << false << none << QStringLiteral("「.x.dat」のように");
    QTest::newRow("existing folder") << QStringLiteral("sub") << false << none << QStringLiteral("「sub.dat」は既にあるフォルダ");
    QTest::newRow("existing folder typed whole") << QStringLiteral("sub.dat") << false << none
                                                << QStringLiteral("「sub.dat」は既にあるフォルダ");
    QTest::newRow("the source itself") << QStringLiteral("qv_replay3") << true << none
                                       << QStringLiteral("コピー元のファイルそのもの");
}

// A refused name keeps the dialog open with nothing set, and nothing is written.
void TestReplayCopyForm::typedNames()
{
    QFETCH(QString, typed);
    QFETCH(bool, intoSourceFolder);
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    TReplayCopyForm1 form(request(false, intoSourceFolder), prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QStringList gameBefore = QDir(m_game).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    const QStringList storageBefore = QDir(m_storage).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    form.EdtCopySakiFileName->setText(typed);
    QTest::keyClick(form.EdtCopySakiFileName, Qt::Key_Return); // the default button

    if (fileName.isEmpty()) {
        QCOMPARE(prompter.errors().size(), 1);
        QVERIFY2(prompter.errors().constFirst().contains(message), qPrintable(prompter.errors().constFirst()));
        QCOMPARE(prompter.calls().front().owner, &form);
        QVERIFY(form.isVisible());
        QVERIFY(!form.OkFlag());
        QCOMPARE(form.CopySakiFileName(), QString());
        QCOMPARE(form.result(), std::nullopt);
    } else {
        QVERIFY(prompter.calls().empty());
        QVERIFY(!form.isVisible());
        QVERIFY(form.OkFlag());
        QCOMPARE(form.result(), std::optional<QString>(fileName));
    }
    QCOMPARE(QDir(m_game).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), gameBefore);
    QCOMPARE(QDir(m_storage).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), storageBefore);
}

void TestReplayCopyForm::slotChoice()
{
    ScriptedPrompter prompter;
    TReplayCopyForm1 form(request(true), prompter);
    form.show();
    const auto shown = [&form] {
        return QStringList{form.LblDungeonName->text(), form.LblKaisu->text(), form.LblCharaName->text(),
                           form.LblScore->text(), form.LblPlayerName->text()};
    };
    QCOMPARE(form.CmbCopySakiFileName->currentIndex(), 0);
    QCOMPARE(shown()[0], QStringLiteral("ダンジョン0"));

    form.CmbCopySakiFileName->setCurrentIndex(7);
    QCOMPARE(shown(), (QStringList{QStringLiteral("ダンジョン7"), QStringLiteral("9 階"), QStringLiteral("キャラ7"),
                                   QStringLiteral("1,007"), QStringLiteral("プレイヤー7")}));
    form.CmbCopySakiFileName->setCurrentIndex(4);
    QCOMPARE(shown(), QStringList(5)); // an empty slot shows blank labels

    form.BtnOk->click();
    QVERIFY(prompter.calls().empty());
    QCOMPARE(form.result(), std::optional<QString>(QStringLiteral("qv_replay4.dat")));
}

// With both folders the same, a storage file that is itself a slot cannot be
// copied onto that slot.
void TestReplayCopyForm::slotOntoSourceRefused()
{
    ScriptedPrompter prompter;
    CopyTargetRequest same = request(true, true);
    TReplayCopyForm1 form(same, prompter);
    form.show();
    form.CmbCopySakiFileName->setCurrentIndex(3);
    form.BtnOk->click();
    QCOMPARE(prompter.errors().size(), 1);
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), std::nullopt);

    form.CmbCopySakiFileName->setCurrentIndex(2);
    form.BtnOk->click();
    QCOMPARE(form.result(), std::optional<QString>(QStringLiteral("qv_replay2.dat")));
}

void TestReplayCopyForm::cancelAndEscape()
{
    ScriptedPrompter prompter;
    TReplayCopyForm1 form(request(false), prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.EdtCopySakiFileName->setText(QStringLiteral("abc"));
    QTest::keyClick(form.EdtCopySakiFileName, Qt::Key_Escape); // cancels, as Cancel does
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), std::nullopt);
    form.show();
    form.BtnCancel->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), std::nullopt);
    QVERIFY(prompter.calls().empty());

    TReplayCopyForm1 closed(request(false), prompter);
    closed.show();
    closed.EdtCopySakiFileName->setText(QStringLiteral("abc"));
    closed.close(); // the close box
    QCOMPARE(closed.result(), std::nullopt);
}

// Asked again after the user kept an existing file, the dialog starts with
// the name as typed, or the slot chosen and what it holds.
void TestReplayCopyForm::backFromADeclinedReplace()
{
    ScriptedPrompter prompter;
    CopyTargetRequest named = request(false);
    named.typedName = QStringLiteral("kept");
    TReplayCopyForm1 nameEntry(named, prompter);
    QCOMPARE(nameEntry.EdtCopySakiFileName->text(), QStringLiteral("kept"));
    QCOMPARE(nameEntry.typedName(), QStringLiteral("kept"));

    CopyTargetRequest slot = request(true);
    slot.slot = 3;
    TReplayCopyForm1 slotChoice(slot, prompter);
    QCOMPARE(slotChoice.CmbCopySakiFileName->currentIndex(), 3);
    QCOMPARE(slotChoice.LblPlayerName->text(), slot.slotTexts[3].player);
    slotChoice.BtnOk->click();
    QCOMPARE(slotChoice.result(), std::optional<QString>(QStringLiteral("qv_replay3.dat")));
}

void TestReplayCopyForm::storedNote_data()
{
    QTest::addColumn<bool>("slotMode");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("note"); // empty: no note shown

    const QString longName = QString(60, QChar(u'長')) + QStringLiteral(".dat");
    QTest::newRow("not stored") << false << QStringList() << QString();
    QTest::newRow("one file") << false << QStringList{QStringLiteral("記録.dat")}
                              << QStringLiteral("このリプレイは「記録.dat」として格納済みです。");
    QTest::newRow("three files") << false
                                 << QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat"), QStringLiteral("c.dat")}
                                 << QStringLiteral("このリプレイは「a.dat」ほか 2 件として格納済みです。");
    QTest::newRow("long name gives way") << false << QStringList{longName} << QStringLiteral("として格納済みです。");
    QTest::newRow("slot choice has none") << true << QStringList{QStringLiteral("a.dat")} << QString();
}

// The note says where the replay is stored already and stops nothing: OK
// still gives the typed name.
void TestReplayCopyForm::storedNote()
{
    QFETCH(bool, slotMode);
    QFETCH(QStringList, stored);
    QFETCH(QString, note);
    ScriptedPrompter prompter;
    CopyTargetRequest asked = request(slotMode);
    asked.storedNames = stored;
    TReplayCopyForm1 form(asked, prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QCOMPARE(form.LblStoredNote->isVisible(), !note.isEmpty());
    if (!note.isEmpty()) {
        QVERIFY2(form.LblStoredNote->text().endsWith(note), qPrintable(form.LblStoredNote->text()));
        // Inside the dialog, clear of the name box and the buttons.
        QVERIFY(form.LblStoredNote->fontMetrics().horizontalAdvance(form.LblStoredNote->text())
                <= form.LblStoredNote->width());
        QVERIFY(form.LblStoredNote->geometry().top() >= form.EdtCopySakiFileName->geometry().bottom());
        QVERIFY(form.LblStoredNote->geometry().bottom() < form.BtnOk->geometry().top());
        QVERIFY(form.LblStoredNote->toolTip().contains(stored.last()));
    }
    if (slotMode) {
        form.BtnOk->click();
        QCOMPARE(form.result(), std::optional<QString>(QStringLiteral("qv_replay0.dat")));
    } else {
        form.EdtCopySakiFileName->setText(QStringLiteral("again"));
        form.BtnOk->click();
        QCOMPARE(form.result(), std::optional<QString>(QStringLiteral("again.dat")));
    }
    QVERIFY(prompter.calls().empty());
}

// The button fills in the name the template gives; the typed-name rules
// still decide on OK.
void TestReplayCopyForm::templateName()
{
    ScriptedPrompter prompter;
    CopyTargetRequest asked = request(false);
    asked.templateName = QStringLiteral("2024-05-01_21-03-09_ガルト_灰の塔_12階.dat");
    TReplayCopyForm1 form(asked, prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.BtnTemplateName->isVisible());
    form.EdtCopySakiFileName->setText(QStringLiteral("typed"));
    form.BtnTemplateName->click();
    QCOMPARE(form.EdtCopySakiFileName->text(), asked.templateName);
    form.BtnOk->click();
    QCOMPARE(form.result(), std::optional<QString>(asked.templateName));

    for (bool slotMode : {false, true}) { // none given, or a slot chosen
        TReplayCopyForm1 plain(request(slotMode), prompter);
        QVERIFY(!plain.BtnTemplateName->isVisibleTo(&plain));
    }
    QVERIFY(prompter.calls().empty());
}

QTEST_MAIN(TestReplayCopyForm)
#include "tst_ReplayCopyForm.moc"
