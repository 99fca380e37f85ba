#include "platform/FileListMessage.h"
#include "platform/WidgetPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString Caption = u"Tarnelリプレイファイル情報"_s;

// Runs check on the modal dialog as soon as it is open; the check should
// close it, and the dialog is closed anyway when a failed check did not.
void whenModalOpens(std::function<void(QWidget *)> check)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        check(modal);
        if (modal->isVisible())
            modal->close();
    });
    timer->start();
}

struct BoxSeen {
    QString title;
    QString text;
    QString informative;
    QString details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool appModal = false;
    bool plain = false; // the text and the informative text are shown as typed
    bool fitsScreen = false;
};

// Records the box and presses the given button (or its default with Return).
void answerBox(BoxSeen &seen, std::optional<QMessageBox::StandardButton> press)
{
    whenModalOpens([&seen, press](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.informative = box->informativeText();
        seen.details = box->detailedText();
        seen.icon = box->icon();
        for (QAbstractButton *b : box->buttons()) {
            if (box->standardButton(b) != QMessageBox::NoButton) // not the details' button
                seen.buttons.append(box->standardButton(b));
        }
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.appModal = box->windowModality() == Qt::ApplicationModal;
        const auto *informative = box->findChild<QLabel *>(u"qt_msgbox_informativelabel"_s);
        seen.plain = box->textFormat() == Qt::PlainText && (!informative || informative->textFormat() == Qt::PlainText);
        seen.fitsScreen = box->frameGeometry().height() <= box->screen()->availableGeometry().height();
        if (press)
            box->button(*press)->click();
        else
            QTest::keyClick(box, Qt::Key_Return);
    });
}

// The command dialogs live above this library; these tests never reach them.
class MessageBoxes : public WidgetPrompter {
public:
    using WidgetPrompter::WidgetPrompter;
    void ask(QWidget *, DialogQuery &) override {}
};

} // namespace

class tst_WidgetPrompter : public QObject {
    Q_OBJECT

private slots:
    void error_data();
    void error();
    void question_data();
    void question();
    void confirmations_data();
    void confirmations();
    void chooseFolder_data();
    void chooseFolder();
    void chooseFolderCancelled();
    void chooseSaveFile();
};

void tst_WidgetPrompter::error_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("details");
    QTest::newRow("one line") << u"設定ファイルの書込に失敗しました。"_s << QString();
    // A thousand failures: the box names ten and folds the rest away, and
    // it fits on the screen.
    QStringList lines;
    for (int i = 0; i < 1000; ++i)
        lines.append(u"<img src=x.png><b>%1</b>_とても長いリプレイファイルの名前です.dat：ファイルが見つかりません。"_s.arg(i));
    const FileListMessage message = FileListMessage::of(u"次のファイルをごみ箱に移動できませんでした。"_s, lines);
    QTest::newRow("a thousand files") << message.text << message.details;
}

void tst_WidgetPrompter::error()
{
    QFETCH(QString, text);
    QFETCH(QString, details);
    MessageBoxes prompter(Caption);
    BoxSeen seen;
    answerBox(seen, std::nullopt);
    prompter.error(nullptr, text, details);
    QCOMPARE(seen.title, Caption);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.details, details);
    QVERIFY(seen.plain);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    QVERIFY(seen.appModal);
    // The minimal platform's screen (the Windows tests' under wine) is 240 by
    // 320 pixels, smaller than any desktop's.
    if (QGuiApplication::primaryScreen()->availableGeometry().height() < 480)
        QSKIP("a screen smaller than any desktop's");
    QVERIFY(seen.fitsScreen);
}

void tst_WidgetPrompter::question_data()
{
    QTest::addColumn<int>("press"); // 0 default, else the button
    QTest::addColumn<bool>("result");
    QTest::newRow("default is Yes") << 0 << true;
    QTest::newRow("Yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("No") << int(QMessageBox::No) << false;
}

void tst_WidgetPrompter::question()
{
    QFETCH(int, press);
    QFETCH(bool, result);
    MessageBoxes prompter(Caption);
    BoxSeen seen;
    answerBox(seen, press ? std::optional(QMessageBox::StandardButton(press)) : std::nullopt);
    QCOMPARE(prompter.question(nullptr, u"終了しますか？"_s), result);
    QCOMPARE(seen.title, Caption);
    QCOMPARE(seen.text, u"終了しますか？"_s);
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);
    QCOMPARE(seen.buttons.size(), 2);
    QVERIFY(seen.appModal);
}

void tst_WidgetPrompter::confirmations_data()
{
    QTest::addColumn<bool>("deletion");
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("result");
    QTest::newRow("replace: default is No") << false << 0 << false;
    QTest::newRow("replace: Yes") << false << int(QMessageBox::Yes) << true;
    QTest::newRow("delete: default is No") << true << 0 << false;
    QTest::newRow("delete: Yes") << true << int(QMessageBox::Yes) << true;
}

void tst_WidgetPrompter::confirmations()
{
    QFETCH(bool, deletion);
    QFETCH(int, press);
    QFETCH(bool, result);
    MessageBoxes prompter(Caption);
    BoxSeen seen;
    answerBox(seen, press ? std::optional(QMessageBox::StandardButton(press)) : std::nullopt);
    if (deletion) {
        QCOMPARE(prompter.confirmDelete(nullptr, {u"/s/a.dat"_s, u"/s/b.dat"_s}, 1), result);
        QVERIFY(seen.text.startsWith(u"2 "_s));
        QVERIFY(seen.text.contains(u"うち 1 件は絞り込みで"_s));
        QCOMPARE(seen.informative, u"a.dat\nb.dat"_s); // named in the box, not only in its details
        QCOMPARE(seen.details, u"a.dat\nb.dat"_s);
        QVERIFY(seen.plain);
    } else {
        QCOMPARE(prompter.confirmReplace(nullptr, u"/s/a.dat"_s, u"スコア：1,200"_s), result);
        QVERIFY(seen.text.startsWith(u"「a.dat」"_s)); // the short name, not the path
        QVERIFY(!seen.text.contains(u"/s/"_s));
        QVERIFY(seen.text.contains(u"スコア：1,200"_s));
    }
    QCOMPARE(seen.title, Caption);
    QCOMPARE(seen.defaultButton, QMessageBox::No);
    QVERIFY(seen.appModal);
}

void tst_WidgetPrompter::chooseFolder_data()
{
    QTest::addColumn<bool>("preselect");
    QTest::newRow("from the root") << false;
    QTest::newRow("preselected folder") << true;
    QTest::newRow("file-system root: the home folder") << false;
}

void tst_WidgetPrompter::chooseFolder()
{
    QFETCH(bool, preselect);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(u"pick"_s));
    const QString pick = QDir(dir.path()).filePath(u"pick"_s);
    const bool fileSystemRoot = QByteArray(QTest::currentDataTag()).startsWith("file-system");
    const QString root = fileSystemRoot ? QDir::rootPath() : dir.path();

    MessageBoxes prompter(Caption);
    QString shownTitle;
    QString startedIn;
    bool modal = false;
    whenModalOpens([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        shownTitle = dialog->windowTitle();
        startedIn = QDir::cleanPath(dialog->directory().absolutePath());
        modal = dialog->isModal();
        dialog->setDirectory(pick);
        static_cast<QDialog *>(dialog)->accept();
    });
    const std::optional<QString> chosen =
        prompter.chooseFolder(nullptr, u"フォルダを指定してください。"_s, root, preselect ? pick : QString());
    QCOMPARE(shownTitle, u"フォルダを指定してください。"_s);
    QCOMPARE(startedIn, QDir::cleanPath(preselect ? pick : fileSystemRoot ? QDir::homePath() : root));
    QVERIFY(modal);
    QVERIFY(chosen);
    QCOMPARE(*chosen, QDir::cleanPath(pick)); // no trailing separator
}

void tst_WidgetPrompter::chooseFolderCancelled()
{
    MessageBoxes prompter(Caption);
    whenModalOpens([](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        static_cast<QDialog *>(dialog)->reject();
    });
    QVERIFY(!prompter.chooseFolder(nullptr, u"t"_s, u"/"_s, QString()));
}

void tst_WidgetPrompter::chooseSaveFile()
{
    // Starts at the suggested file; a name typed without suffix gets the
    // suggested one.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MessageBoxes prompter(Caption);
    QString shownTitle;
    QString startedIn;
    QStringList filters;
    whenModalOpens([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        shownTitle = dialog->windowTitle();
        startedIn = QDir::cleanPath(dialog->directory().absolutePath());
        filters = dialog->nameFilters();
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        // A visible dialog ignores selectFile() while its name field has the
        // focus, and whether it has it yet depends on the window system.
        if (QWidget *focused = dialog->focusWidget())
            focused->clearFocus();
        dialog->selectFile(u"mine"_s);
        static_cast<QDialog *>(dialog)->accept();
    });
    const std::optional<QString> chosen =
        prompter.chooseSaveFile(nullptr, u"一覧をCSVで保存"_s, dir.filePath(u"一覧.csv"_s), u"CSV (*.csv)"_s);
    QCOMPARE(shownTitle, u"一覧をCSVで保存"_s);
    QCOMPARE(startedIn, QDir::cleanPath(dir.path()));
    QCOMPARE(filters, QStringList{u"CSV (*.csv)"_s});
    QVERIFY(chosen);
    QCOMPARE(*chosen, dir.filePath(u"mine.csv"_s));

    whenModalOpens([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    QVERIFY(!prompter.chooseSaveFile(nullptr, u"t"_s, dir.filePath(u"a.csv"_s), u"CSV (*.csv)"_s));
}

QTEST_MAIN(tst_WidgetPrompter)
#include "tst_WidgetPrompter.moc"
