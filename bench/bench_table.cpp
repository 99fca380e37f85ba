// Times the storage table's fill and its seven orders on catalogues of 1,000
// and 10,000 replays held in memory, as the program runs them: a rebuild, and
// for each order a refill in catalogue order followed by the sort.
//
// Prints one line per measurement and `ratio NAME R` with R = time at 10,000
// rows / time at 1,000 rows. A third size, 20,000, shows how the times grow
// once neither size fits in the processor's cache (`scaling NAME R` = time at
// 20,000 / time at 10,000; about 2 for linear work, 2.1 for n log n).
//
// The filter box: `filter_texts` folds the searched texts of 10,000 replays
// (done once after each read of the folder), `filter_pass` filters the
// 10,000 rows once more for a changed word, as each key typed does.

#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "catalogue/ReplayTableSort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <numeric>
#include <vector>

namespace {

void buildCatalogue(ReplayList &list, int count, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<int> numbers(static_cast<size_t>(count));
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), random);

    // A short comment, half of them in half-width kana as older tools wrote them.
    static const QByteArray comments[] = {QByteArrayLiteral("\xba\xd2\xdd\xc4 \xc3\xbd\xc4 boss rush"), // ｺﾒﾝﾄ ﾃｽﾄ
                                          QByteArrayLiteral("first clear, no items used")};
    list.ClearReplayList();
    for (int i = 0; i < count; ++i) {
        QString fileName = QStringLiteral("replay_%1.dat").arg(numbers[size_t(i)], 5, 10, QLatin1Char('0'));
        for (QChar &c : fileName) // mixed letter case
            if (c.isLetter() && random.bounded(2))
                c = c.toUpper();

        ReplayHead head{};
        std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
        head.Score = qint32(random.bounded(2000000)); // with repeats at 10,000
        const int dungeonDraw = int(random.bounded(100));
        head.Dungeon = dungeonDraw < 95 ? dungeonDraw % 14 : 14 + dungeonDraw % 3; // a few unknown
        head.Floor = qint32(random.bounded(1, 70));
        head.Chara = qint32(random.bounded(-1, 8));
        head.PlayDate = 1200000000 + i;

        char comment[CommentSize] = {};
        const QByteArray &commentText = comments[i % 2];
        std::memcpy(comment, commentText.constData(), size_t(commentText.size()));
        char name[PlayerNameSize] = {};
        // Half the names are Japanese, as most players' are.
        const QByteArray player = random.bounded(2) ? QByteArrayLiteral("\x83\x76\x83\x8c\x83\x43\x83\x84\x81\x5b") // プレイヤー
                                                    : QByteArrayLiteral("player");
        const QByteArray number = QByteArray::number(random.bounded(500));
        std::memcpy(name + player.size(), number.constData(), size_t(number.size()));
        std::memcpy(name, player.constData(), size_t(player.size()));
        if (list.AddReplayList(fileName, head, name, comment) <= 0) {
            std::fprintf(stderr, "could not add %s\n", qPrintable(fileName));
            std::exit(1);
        }
    }
}

// The fastest of several runs, in seconds.
double timed(const std::function<void()> &run, int repeats)
{
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

constexpr int SizeCount = 3;
constexpr int Sizes[SizeCount] = {1000, 10000, 20000};

struct Measure {
    const char *name;
    double seconds[SizeCount] = {};
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("locale %s\n", qPrintable(QLocale().name()));

    Measure measures[] = {{"fill"},        {"sort1_file_asc"},  {"sort2_file_desc"}, {"sort3_score_asc"},
                          {"sort4_score_desc"}, {"sort5_dungeon"}, {"sort6_chara"}};
    constexpr int MeasureCount = int(std::size(measures));
    for (Measure &m : measures)
        std::fill(std::begin(m.seconds), std::end(m.seconds), 1e30);

    ReplayList lists[SizeCount];
    for (int s = 0; s < SizeCount; ++s)
        buildCatalogue(lists[s], Sizes[s], 12345u + quint32(Sizes[s]));

    // Each time is the fastest of several runs spread over a few rounds, so
    // that a burst of other work on the machine does not decide a figure.
    constexpr int Rounds = 4;
    constexpr int Repeats = 5; // the same for every size
    for (int round = 0; round < Rounds; ++round) {
        for (int s = 0; s < SizeCount; ++s) {
            const ReplayList &list = lists[s];
            ReplayTableModel table(FolderKind::Storage);
            int replayRow = 1;
            double &fill = measures[0].seconds[s];
            fill = std::min(fill, timed([&] { fillStorageTable(table, list, true, replayRow); }, Repeats));
            for (int mode = 1; mode < MeasureCount; ++mode) {
                const double t = timed(
                    [&] {
                        fillStorageTable(table, list, false, replayRow);
                        ReplayTableSort(table, list).vSortReplayTbl(mode);
                    },
                    Repeats);
                measures[mode].seconds[s] = std::min(measures[mode].seconds[s], t);
            }
        }
    }

    double worst10000 = 0;
    for (int s = 0; s < SizeCount; ++s) {
        for (int i = 0; i < MeasureCount; ++i) {
            std::printf("%s %d rows: %.3f ms\n", measures[i].name, Sizes[s], measures[i].seconds[s] * 1e3);
            if (i > 0 && Sizes[s] == 10000)
                worst10000 = std::max(worst10000, measures[i].seconds[s]);
        }
    }

    for (const Measure &m : measures)
        std::printf("ratio %s %.2f\n", m.name, m.seconds[1] / m.seconds[0]);
    for (const Measure &m : measures)
        std::printf("scaling %s %.2f\n", m.name, m.seconds[2] / m.seconds[1]);
    std::printf("slowest refill and sort of 10000 rows: %.3f s\n", worst10000);

    {
        const ReplayList &list = lists[1];
        ReplayTableModel table(FolderKind::Storage);
        ReplayFilterProxy proxy(table, list);
        int replayRow = 1;
        fillStorageTable(table, list, true, replayRow);
        const QString typed[] = {QStringLiteral("ｶﾞﾙﾄ ﾃｽﾄ"), QStringLiteral("PLAYER4 clear")};
        int next = 0;
        const double texts = timed(
            [&] {
                proxy.setFilterText(QString());
                proxy.catalogueChanged();
                proxy.setFilterText(typed[next++ % 2]);
            },
            Rounds * Repeats);
        const double pass = timed([&] { proxy.setFilterText(typed[next++ % 2]); }, Rounds * Repeats);
        std::printf("filter_texts 10000 rows: %.3f ms (first filter after a read, with one pass)\n", texts * 1e3);
        std::printf("filter_pass 10000 rows: %.3f ms (goal under 30 ms), %d rows shown\n", pass * 1e3,
                    int(proxy.rowCount()));
    }
    return 0;
}
