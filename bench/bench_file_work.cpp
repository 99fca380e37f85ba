// Measures how long the main window stops handling its events while long
// file work runs: the longest gap between two ticks of a 2 ms timer on the
// window's thread, from the command's start until the window is back, and
// the command's whole time. The cases: a drop of a replay with a 4 GiB
// sparse tail, a drop of a stream that inflates to 2 GiB, a copy of a game
// slot with a 1 GiB tail, and trashing 9,999 marked files. Every question is
// answered Yes (the copy's name: "copied.dat").
//
//     QT_QPA_PLATFORM=xcb DISPLAY=:99 build/bench/bench_file_work [FOLDER]
//
// The files are made in FOLDER (a new temporary folder when none is given),
// on the same volume as the trash used ($XDG_DATA_HOME is set under it).
// With --screenshot PNG, it only drops the 2 GiB stream, saves the screen
// once the progress box shows and presses its Cancel.

#include "app/GamePage.h"
#include "app/StoragePage.h"
#include "app/TMainForm.h"
#include "catalogue/TFileLoadDlg.h"
#include "operations/CopyTargetQuery.h"
#include "operations/DeletionSession.h"
#include "platform/Prompter.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>

namespace {

// Says Yes to everything and names the copy "copied.dat".
class YesPrompter : public Prompter {
public:
    void error(QWidget *, const QString &text, const QString &) override
    {
        std::printf("message: %s\n", qPrintable(text.left(200)));
    }
    void information(QWidget *, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return true; }
    std::optional<QString> chooseFolder(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    bool confirmReplace(QWidget *, const QString &, const QString &) override { return true; }
    bool confirmDelete(QWidget *, const QStringList &, int) override { return true; }
    std::optional<QString> chooseSaveFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    void ask(QWidget *, DialogQuery &query) override
    {
        if (auto *copy = dynamic_cast<CopyTargetQuery *>(&query))
            copy->answer = QStringLiteral("copied.dat");
    }
};

// The longest gap between two ticks of a 2 ms timer while run() runs.
void measure(const char *name, const std::function<void()> &run)
{
    QTimer tick;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = qMax(longest, sinceTick.restart());
    });
    tick.start(2);
    QCoreApplication::processEvents();
    sinceTick.start();
    QElapsedTimer whole;
    whole.start();
    run();
    longest = qMax(longest, sinceTick.elapsed());
    std::printf("%-28s longest pause %6lld ms   whole %7lld ms\n", name, longest, whole.elapsed());
    std::fflush(stdout);
}

ReplayMaker::ReplayRecipe recipe(qint32 score)
{
    ReplayMaker::ReplayRecipe replay;
    replay.score = score;
    replay.runRecords = 2000;
    return replay;
}

// A replay file with size bytes of hole after it.
bool writeWithHole(const QString &path, qint64 hole)
{
    QFile file(path);
    return ReplayMaker::writeFile(path, ReplayMaker::replayFile(recipe(1), "sparse", "tail"))
        && file.open(QIODevice::ReadWrite) && file.resize(file.size() + hole);
}

// A replay file with size bytes of data (zeros written out) after it.
bool writeWithTail(const QString &path, qint64 size)
{
    QFile file(path);
    if (!ReplayMaker::writeFile(path, ReplayMaker::replayFile(recipe(2), "tail", "tail"))
        || !file.open(QIODevice::Append))
        return false;
    const QByteArray chunk(1 << 20, '\0');
    for (qint64 written = 0; written < size; written += chunk.size()) {
        if (file.write(chunk) != chunk.size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString screenshot;
    if (const qsizetype at = args.indexOf(QStringLiteral("--screenshot")); at >= 0 && at + 1 < args.size()) {
        screenshot = args.takeAt(at + 1);
        args.removeAt(at);
    }
    QTemporaryDir temporary;
    const QString folder = args.isEmpty() ? temporary.path() : args.first();
    const QString game = folder + QStringLiteral("/game/");
    const QString storage = folder + QStringLiteral("/storage/");
    const QString dropped = folder + QStringLiteral("/dropped/");
    for (const QString &dir : {game, storage, dropped}) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder + QStringLiteral("/data")));

    const QString slot0 = game + QStringLiteral("qv_replay0.dat");
    const QString sparse = dropped + QStringLiteral("sparse.dat");
    const QString bomb = dropped + QStringLiteral("bomb.dat");
    if (!writeWithTail(slot0, qint64(1) << 30) || !writeWithHole(sparse, qint64(4) << 30)
        || !ReplayMaker::writeFile(bomb, ReplayMaker::compressedStreamWithZeros(recipe(3), qint64(2) << 30)
                                             + ReplayMaker::textFields("bomb", "2 GiB"))) {
        std::fprintf(stderr, "cannot write the files in %s\n", qPrintable(folder));
        return 1;
    }
    const QString settings = folder + QStringLiteral("/qvReplayInfo.dat");
    ReplayMaker::writeFile(settings, "[Tarnel]\r\nReplayDir=" + game.toUtf8() + "\r\n[qvReplayInfo]\r\nReplayDir="
                                         + storage.toUtf8() + "\r\n");

    YesPrompter prompter;
    TMainForm form(prompter, settings);
    if (!form.startUp())
        return 1;
    form.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QCoreApplication::processEvents();

    if (!screenshot.isEmpty()) {
        form.PcReplayDat->setCurrentIndex(folderIndex(FolderKind::Storage));
        QTimer look;
        bool saved = false;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto *box = form.findChild<TFileLoadDlg *>();
            if (saved || !box || !box->BtnCancel || box->LblFileCnt->text().isEmpty())
                return;
            saved = true;
            QTimer::singleShot(300, box, [&form, box, screenshot] {
                form.screen()->grabWindow(0).save(screenshot);
                box->BtnCancel->click();
            });
        });
        look.start(20);
        measure("drop, 2 GiB stream, Cancel", [&] { form.StgReplayTblDrop({QUrl::fromLocalFile(bomb)}); });
        std::printf("screenshot: %s\n", saved ? qPrintable(screenshot) : "none (no box)");
        return saved ? 0 : 1;
    }

    measure("drop, 4 GiB sparse tail", [&] { form.StgReplayTblDrop({QUrl::fromLocalFile(sparse)}); });
    measure("drop, stream of 2 GiB", [&] { form.StgReplayTblDrop({QUrl::fromLocalFile(bomb)}); });
    form.gamePage().selectRow(1);
    measure("copy, slot with 1 GiB tail", [&] { form.BtnToReplayCopyClick(FolderKind::Game); });

    QStringList names;
    const QByteArray small = ReplayMaker::replayFile(recipe(4), "many", "");
    for (int i = 0; i < 9999; ++i) {
        names.append(QStringLiteral("many%1.dat").arg(i, 4, 10, QLatin1Char('0')));
        ReplayMaker::writeFile(storage + names.last(), small);
    }
    form.PcReplayDat->setCurrentIndex(folderIndex(FolderKind::Storage));
    form.BtnReload2Click();
    form.BtnFileDeleteClick();
    form.session().markExactly(names);
    measure("trash, 9,999 marked files", [&] { form.BtnDeleteExecClick(); });
    return 0;
}
