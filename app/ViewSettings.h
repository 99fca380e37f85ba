#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

// How the window was left: written at the close question beside the folders,
// as further keys of the program's own section [qvReplayInfo], and read at
// the next start. A key that is missing or holds no sensible value reads as
// the window's first look (page 0, no sort order, the designed column widths,
// the designed size at a place chosen by the system, folders followed).
struct ViewSettings {
    static constexpr int Columns = 6;
    using ColumnWidths = std::array<int, Columns>;

    std::optional<QPoint> windowPos; // top left corner of the frame
    std::optional<QSize> windowSize; // of the client area; none: the designed size
    bool maximized = false;
    int activePage = 0;              // 0 game page, 1 storage page
    int sortMode = 0;                // 0..6
    std::optional<ColumnWidths> tarnelColumns;
    std::optional<ColumnWidths> replayColumns;
    bool autoReload = true; // the folders are followed as other programs change them
    bool autoStore = false; // new game replays are stored in the storage folder by themselves
    QString autoStoreName;  // the storage file name template as stored (empty: the default)

    // Narrower columns could no longer be found and grabbed again.
    static constexpr int MinColumnWidth = 20;
    static constexpr int MaxColumnWidth = 2000;
};

ViewSettings LoadViewSettings(const QString &settingFileName);

// Writes every key; false when the file could not be written (the keys
// written before the failure stay written).
bool SaveViewSettings(const QString &settingFileName, const ViewSettings &view);

// True when a window frame placed at frame stays reachable on one of the
// screens (their available areas): enough of its title bar lies on one
// screen to grab it and move it.
bool isPlaceVisible(const QRect &frame, const QList<QRect> &screens);
// The same on the screens the desktop has now.
bool isPlaceOnScreens(const QRect &frame);
