// Names, paths and comments are shown as typed wherever the window shows
// them, tooltips included: a name that looks like markup is never drawn as
// rich text (an <img> in it would load a picture).

#include "MainFormHarness.h"

#include "app/CopyCommand.h"
#include "app/TRecordForm.h"
#include "app/UnreadableFilesCommand.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/TFileLoadDlg.h"
#include "operations/TReplayCopyForm1.h"
#include "operations/TUnreadableFilesForm.h"
#include "tests/support/ShownText.h"

#include <QAbstractItemModel>
#include <QTableWidget>

using namespace MainFormTest;
using namespace Qt::StringLiterals;

namespace {

const QString Name = u"<img src=x.png><b>x.dat"_s; // a file name holds no "/"
const QString Unreadable = u"<img src=x.png><b>u.dat"_s;
const QByteArray Player = "<img src=x.png><b>p</b>";

} // namespace

class TestPlainText : public MainFormHarness {
    Q_OBJECT
private slots:
    void init() override;
    void shownAsTyped_data();
    void shownAsTyped();
};

void TestPlainText::init()
{
    MainFormHarness::init();
    // The storage folder's own name looks like markup too.
    m_storage = m_dir->filePath(u"<b>storage"_s) + u'/';
    QVERIFY(QDir().mkpath(m_storage));
}

void TestPlainText::shownAsTyped_data()
{
    QTest::addColumn<QString>("widget");
    for (const char *widget : {"status-bar path", "missing-folder notice", "game table's stored names",
                               "detail panel's stored names", "detail panel's player name", "records window",
                               "unreadable list's folder", "unreadable list's name", "unreadable list's reason",
                               "copy dialog's stored note", "copy dialog's source", "progress box"})
        QTest::newRow(widget) << QString::fromLatin1(widget);
}

void TestPlainText::shownAsTyped()
{
    QFETCH(QString, widget);
    prepare({});
    // The stored copy of slot 0 under a name like markup, a replay whose
    // player is named so, and a file that is no replay.
    QVERIFY(QFile::copy(m_game + u"qv_replay0.dat"_s, m_storage + Name));
    QVERIFY(writeReplay(m_storage + u"p.dat"_s, makeSpec("QVreplay Ver107 ", 1), Player));
    QVERIFY(writeAll(m_storage + Unreadable, "<b>no replay</b>"));
    QVERIFY(ReplayMaker::writeFile(m_settings, settingsText(m_game, m_storage)));
    m_form = start();
    QVERIFY(m_form);
    ReplayWorkspace &workspace = m_form->workspace();

    QString shown;    // what the widget shows
    QString expected; // what it must show among it, as typed
    if (widget == u"status-bar path") {
        clickTab(1);
        shown = shownText(m_form->StatusPanels[1]->toolTip());
        expected = m_storage;
    } else if (widget == u"missing-folder notice") {
        notice(1)->showFor(FolderSnapshot::State::Missing, m_storage);
        shown = shownText(notice(1)->toolTip());
        expected = m_storage;
    } else if (widget == u"game table's stored names") {
        shown = shownText(model(FolderKind::Game).data(model(FolderKind::Game).index(0, 0), Qt::ToolTipRole).toString());
        expected = Name;
    } else if (widget == u"detail panel's stored names") {
        clickRow(FolderKind::Game, 1);
        shown = shownText(m_form->PnlInfoView->LblStoredName->toolTip()) + shownText(m_form->PnlInfoView->LblStoredName);
        expected = Name + Name;
    } else if (widget == u"detail panel's player name") {
        QVERIFY(m_form->selectReplayFile(FolderKind::Storage, u"p.dat"_s));
        shown = shownText(m_form->PnlInfoView->LblReplayName);
        expected = QString::fromLatin1(Player);
    } else if (widget == u"records window") {
        m_form->ActRecords->trigger();
        auto *records = m_form->findChild<TRecordForm *>();
        QVERIFY(records);
        const QAbstractItemModel *best = records->StgBestTbl->model();
        for (int row = 0; row < best->rowCount(); ++row)
            shown += shownText(best->index(row, 0).data(Qt::ToolTipRole).toString());
        expected = Name;
    } else if (widget.startsWith(u"unreadable list")) {
        TUnreadableFilesForm list(UnreadableFilesCommand(workspace, m_prompter, nullptr).request());
        QCOMPARE(list.StgUnreadableTbl->rowCount(), 1);
        if (widget.endsWith(u"folder")) {
            shown = shownText(list.LblFolder->toolTip()) + shownText(list.LblFolder);
            expected = m_storage + m_storage;
        } else {
            const int column = widget.endsWith(u"name") ? 0 : 1;
            shown = shownText(list.StgUnreadableTbl->item(0, column)->toolTip());
            expected = column == 0 ? Unreadable : workspace.leftOutFiles().front().reasonText;
        }
    } else if (widget.startsWith(u"copy dialog")) {
        const CopyCommand copy(workspace, m_prompter, nullptr);
        const bool fromSlot = widget.endsWith(u"note");
        const CopyTargetRequest request = fromSlot ? copy.request(FolderKind::Game, u"qv_replay0.dat"_s, {Name})
                                                   : copy.request(FolderKind::Storage, Name, {});
        TReplayCopyForm1 dialog(request, m_prompter);
        shown = fromSlot ? shownText(dialog.LblStoredNote->toolTip()) : shownText(dialog.LblCopyMotoName);
        expected = Name;
    } else if (widget == u"progress box") { // file work shows the same box (tst_FileWorkRunner)
        FileLoadProgress box(m_form.get());
        box.start(1, Name);
        box.step(1, u"1 / 1"_s, Name);
        auto *dialog = m_form->findChild<TFileLoadDlg *>();
        QVERIFY(dialog);
        shown = shownText(dialog->Label1) + shownText(dialog->LblLoadFileName);
        expected = Name + Name;
    }
    QVERIFY2(shown.contains(expected), qPrintable(u"shows \"%1\", not \"%2\""_s.arg(shown, expected)));
}

QTEST_MAIN(TestPlainText)
#include "tst_PlainText.moc"
