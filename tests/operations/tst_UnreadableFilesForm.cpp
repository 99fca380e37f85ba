// The list of unreadable files on its own: what it shows, which buttons it
// offers, and the answer each gives.

#include "operations/TUnreadableFilesForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using Action = UnreadableFilesAnswer::Action;

namespace {

const QString NotUtf8 = QStringLiteral("ファイル名が Shift-JIS など別の文字コードで書かれています");

// withDecodedName: a Shift-JIS name that can be renamed; undecodable: one that cannot.
UnreadableFilesRequest request(bool withDecodedName, bool canChange = true, QList<int> selected = {},
                               bool undecodable = false)
{
    UnreadableFilesRequest r;
    r.folder = QStringLiteral("/store/");
    r.files.append({QStringLiteral("cut.dat"), "cut.dat", false, {}, QStringLiteral("壊れています")});
    if (withDecodedName)
        r.files.append({QStringLiteral("テスト.dat"), QByteArray::fromHex("836583588367") + ".dat", true,
                        QStringLiteral("テスト.dat"), NotUtf8});
    r.files.append({QStringLiteral("x.dat"), "x.dat", false, {}, QStringLiteral("リプレイファイルではありません")});
    if (undecodable)
        r.files.append({QStringLiteral("\uFFFD\uFFFD.dat"), "\xff\xfe.dat", true, {}, NotUtf8});
    r.selected = std::move(selected);
    r.canChange = canChange;
    return r;
}

void selectRows(QTableWidget *table, const QList<int> &rows)
{
    table->clearSelection();
    for (int r : rows)
        table->selectionModel()->select(table->model()->index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TestUnreadableFilesForm : public QObject {
    Q_OBJECT

private slots:
    void shows();
    void answers_data();
    void answers();
};

void TestUnreadableFilesForm::shows()
{
    TUnreadableFilesForm form(request(true, true, {2}));
    QTableWidget *table = form.StgUnreadableTbl;
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("cut.dat"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("壊れています"));
    // A name that is not UTF-8 is marked as read from Shift-JIS, its bytes in the tip.
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("テスト.dat（Shift-JIS）"));
    QVERIFY(table->item(1, 0)->toolTip().contains(QStringLiteral("83 65 83 58 83 67 2E 64 61 74")));
    QVERIFY(form.LblNote->text().contains(TUnreadableFilesForm::decodedMark()));
    QCOMPARE(form.LblFolder->text(), QStringLiteral("/store/"));
    QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(table->selectionModel()->selectedRows()[0].row(), 2);

    // Trash needs a selection; renaming needs a name to convert; the list
    // in deletion mode offers neither.
    QVERIFY(form.BtnTrash->isEnabled());
    QVERIFY(form.BtnRenameNames->isEnabled());
    table->clearSelection();
    QVERIFY(!form.BtnTrash->isEnabled());

    TUnreadableFilesForm plain(request(false));
    QVERIFY(!plain.BtnRenameNames->isEnabled());
    QVERIFY(plain.LblNote->text().isEmpty());

    // A name marked as read from Shift-JIS that does not read cleanly
    // offers no rename, and says so.
    TUnreadableFilesForm stuck(request(false, true, {}, true));
    QVERIFY(!stuck.BtnRenameNames->isEnabled());
    QVERIFY(stuck.LblNote->text().contains(TUnreadableFilesForm::decodedMark()));
    QVERIFY(stuck.StgUnreadableTbl->item(2, 0)->toolTip().contains(QStringLiteral("名前を変換できません")));

    TUnreadableFilesForm listOnly(request(true, false, {0}));
    QVERIFY(!listOnly.BtnTrash->isEnabled());
    QVERIFY(!listOnly.BtnRenameNames->isEnabled());
    QVERIFY(listOnly.LblNote->text().contains(QStringLiteral("削除モード中")));
}

void TestUnreadableFilesForm::answers_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<QList<int>>("select");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("action");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("trash two rows, in list order") << QStringLiteral("BtnTrash") << QList<int>{2, 0} << true
                                                   << int(Action::Trash) << QList<int>{0, 2};
    QTest::newRow("rename") << QStringLiteral("BtnRenameNames") << QList<int>{1} << true << int(Action::RenameNames)
                            << QList<int>{};
    QTest::newRow("close") << QStringLiteral("BtnClose") << QList<int>{1} << false << 0 << QList<int>{};
    QTest::newRow("escape") << QStringLiteral("escape") << QList<int>{1} << false << 0 << QList<int>{};
}

void TestUnreadableFilesForm::answers()
{
    QFETCH(QString, press);
    QFETCH(QList<int>, select);
    QFETCH(bool, answered);
    QFETCH(int, action);
    QFETCH(QList<int>, rows);
    TUnreadableFilesForm form(request(true));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    selectRows(form.StgUnreadableTbl, select);
    if (press == QStringLiteral("escape"))
        QTest::keyClick(form.StgUnreadableTbl, Qt::Key_Escape);
    else
        QTest::mouseClick(form.findChild<QPushButton *>(press), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result().has_value(), answered);
    if (answered) {
        QCOMPARE(int(form.result()->action), action);
        QCOMPARE(form.result()->rows, rows);
    }
}

QTEST_MAIN(TestUnreadableFilesForm)
#include "tst_UnreadableFilesForm.moc"
