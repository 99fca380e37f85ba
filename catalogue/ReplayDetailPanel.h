#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <array>

class QLabel;
class QPlainTextEdit;
class QTimer;
struct ReplayInfo;

// The teal panel under the tables that shows one replay in full, with the
// character's sprite walking on the spot (poses 1, 2, 1, 3, every 300 ms).
// Widget object names are those of the layout (LblReplayDate, ImgCharDot, ...).
class ReplayDetailPanel : public QWidget {
    Q_OBJECT
public:
    explicit ReplayDetailPanel(QWidget *parent = nullptr);

    // Shows the replay, or empties the panel for nullptr (black sprite area,
    // CharaDotNo 0).
    void showReplay(const ReplayInfo *replay);
    // Empties the panel with no sprite area at all: the table lists no
    // replay (an empty folder, a filter that matches nothing).
    void showNothing();

    // The line "格納済み：" naming the storage files that hold the replay
    // shown (a game slot's); hidden for an empty list. showReplay hides it.
    void showStoredNames(const QStringList &names);

    // Switches the sprite timer on (once, at the end of start-up).
    void startAnimation();

    int CharaDotNo() const { return m_charaDotNo; }
    int AnimeCount() const { return m_animeCount; }

    // One tick of the sprite timer; public so tests can step it.
    void tmAnimeTimer();

    // Caption labels, white: Label4 "リプレイ日時：", Label8, Label1, Label2,
    // Label3, Label5, Label6, Label7 (in the order of the value labels below).
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QLabel *Label8;
    // Value labels, yellow, fixed size, plain text.
    QLabel *LblReplayDate;
    QLabel *LblReplayVer;
    QLabel *LblReplayChara;
    QLabel *LblReplayDungeonName;
    QLabel *LblReplayScore;
    QLabel *LblReplayLimitPlay;
    QLabel *LblReplayName;
    QLabel *LblReplayPTT;
    QLabel *LblReplayPT;
    // "格納済み：" and the stored file's name, only for a stored game slot
    // (in the place of the play time, which is never shown).
    QLabel *LblStoredCaption;
    QLabel *LblStoredName;
    QPlainTextEdit *MemReplayComment;
    QLabel *ImgCharDot;
    QTimer *tmAnime;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void drawFrame(int pose); // 1..3; black when CharaDotNo is 0 or 7

    QImage m_canvas; // what ImgCharDot shows, 64 x 96
    int m_charaDotNo = 0;
    int m_animeCount = 0;
};
