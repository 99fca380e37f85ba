// The duplicate list on its own: one branch per group with the kept file
// first, the texts of every column, and the mark button's answer.

#include "operations/TDuplicateForm.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

DuplicateGroups sampleGroups(const QDateTime &when)
{
    return {DuplicateGroup{{{QStringLiteral("old.dat"), QStringLiteral("Alice"), 1234567, when},
                            {QStringLiteral("copy.dat"), QStringLiteral("Ali"), 999, when.addSecs(60)}}},
            DuplicateGroup{{{QStringLiteral("x.dat"), QString(), 10, when},
                            {QStringLiteral("y.dat"), QString(), 10, when},
                            {QStringLiteral("z.dat"), QString(), 10, when}}}};
}

} // namespace

class TestDuplicateForm : public QObject {
    Q_OBJECT

private slots:
    void listsGroups();
    void markButton();
};

void TestDuplicateForm::listsGroups()
{
    const QDateTime when(QDate(2024, 5, 1), QTime(21, 3, 9));
    TDuplicateForm form(sampleGroups(when));
    QCOMPARE(form.objectName(), QStringLiteral("TDuplicateForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("重複ファイルの検出"));
    QTreeWidget *tree = form.TvDuplicates;
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("グループ 1（2 ファイル）"));
    QCOMPARE(tree->topLevelItem(1)->childCount(), 3);

    const QTreeWidgetItem *kept = tree->topLevelItem(0)->child(0);
    QCOMPARE(kept->text(TDuplicateForm::FileNameColumn), QStringLiteral("old.dat"));
    QCOMPARE(kept->text(TDuplicateForm::PlayerColumn), QStringLiteral("Alice"));
    QCOMPARE(kept->text(TDuplicateForm::SizeColumn), QStringLiteral("1,234,567 バイト"));
    QCOMPARE(kept->text(TDuplicateForm::ModifiedColumn), QStringLiteral("2024/05/01 21:03:09"));
    QCOMPARE(kept->text(TDuplicateForm::StateColumn), QStringLiteral("残す（最も古い）"));
    QCOMPARE(tree->topLevelItem(0)->child(1)->text(TDuplicateForm::StateColumn), QStringLiteral("削除マーク"));
    QCOMPARE(form.LblDuplicateCount->text(), QStringLiteral("2 グループ、削除マークを付けるファイル 3 件"));
}

void TestDuplicateForm::markButton()
{
    TDuplicateForm form(sampleGroups(QDateTime::currentDateTime()));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.BtnMarkDuplicates->click();
    QVERIFY(!form.isVisible());
    QVERIFY(form.markRequested());
}

QTEST_MAIN(TestDuplicateForm)
#include "tst_DuplicateForm.moc"
