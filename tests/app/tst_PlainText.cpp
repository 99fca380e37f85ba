// Names and paths are shown as typed wherever the window shows them,
// tooltips included: a name that looks like markup is never drawn as rich
// text (an <img> in it would load a picture).

#include "MainFormHarness.h"

#include "app/CopyCommand.h"
#include "app/TRecordForm.h"
#include "app/UnreadableFilesCommand.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/TFileLoadDlg.h"
#include "operations/TReplayCopyForm1.h"
#include "operations/TUnreadableFilesForm.h"
#include "tests/support/ShownText.h"

#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

const QString Name = u"<img src=x.png><b>x.dat"_s; // a file name holds no "/"
const QString Unreadable = u"<img src=x.png><b>u.dat"_s;

} // namespace

class TestPlainText : public MainFormHarness {
    Q_OBJECT
private slots:
    void shownAsTyped_data();
    void shownAsTyped();
};

void TestPlainText::shownAsTyped_data()
{
    QTest::addColumn<QString>("widget");
    for (const char *widget : {"status-bar path", "missing-folder notice", "game table", "detail panel",
                               "records window", "unreadable list", "copy dialog", "progress box"})
        QTest::newRow(widget) << QString::fromLatin1(widget);
}

void TestPlainText::shownAsTyped()
{
    QFETCH(QString, widget);
    // The storage folder named like markup, holding the stored copy of slot
    // 0 under such a name and a file that is no replay.
    m_storage = m_dir->filePath(u"<b>storage"_s) + u'/';
    QVERIFY(QDir().mkpath(m_storage));
    prepare({});
    QVERIFY(QFile::copy(m_game + u"qv_replay0.dat"_s, m_storage + Name));
    QVERIFY(writeAll(m_storage + Unreadable, "<b>no replay"));
    m_form = start();
    QVERIFY(m_form);
    ReplayWorkspace &workspace = m_form->workspace();

    QString shown; // what the widget shows; it must show the name or path as typed
    QString expected = Name;
    if (widget == u"status-bar path") {
        clickTab(1);
        shown = shownText(m_form->StatusPanels[1]->toolTip());
        expected = m_storage;
    } else if (widget == u"missing-folder notice") {
        notice(1)->showFor(FolderSnapshot::State::Missing, m_storage);
        shown = shownText(notice(1)->toolTip());
        expected = m_storage;
    } else if (widget == u"game table") {
        shown = shownText(model(FolderKind::Game).data(model(FolderKind::Game).index(0, 0), Qt::ToolTipRole).toString());
    } else if (widget == u"detail panel") {
        clickRow(FolderKind::Game, 1);
        shown = shownText(m_form->PnlInfoView->LblStoredName->toolTip());
    } else if (widget == u"records window") {
        m_form->ActRecords->trigger();
        const QAbstractItemModel *best = m_form->findChild<TRecordForm *>()->StgBestTbl->model();
        for (int row = 0; row < best->rowCount(); ++row)
            shown += shownText(best->index(row, 0).data(Qt::ToolTipRole).toString());
    } else if (widget == u"unreadable list") {
        TUnreadableFilesForm list(UnreadableFilesCommand(workspace, m_prompter, nullptr).request());
        shown = shownText(list.LblFolder->toolTip()) + shownText(list.StgUnreadableTbl->item(0, 0)->toolTip());
        expected = m_storage + Unreadable;
    } else if (widget == u"copy dialog") {
        TReplayCopyForm1 dialog(
            CopyCommand(workspace, m_prompter, nullptr).request(FolderKind::Game, u"qv_replay0.dat"_s, {Name}),
            m_prompter);
        shown = shownText(dialog.LblStoredNote->toolTip());
    } else if (widget == u"progress box") { // file work shows the same box (tst_FileWorkRunner)
        FileLoadProgress box(m_form.get());
        box.start(1, QString());
        box.step(1, u"1 / 1"_s, Name);
        shown = shownText(m_form->findChild<TFileLoadDlg *>()->LblLoadFileName);
    }
    QVERIFY2(shown.contains(expected), qPrintable(u"shows \"%1\", not \"%2\""_s.arg(shown, expected)));
}

QTEST_MAIN(TestPlainText)
#include "tst_PlainText.moc"
