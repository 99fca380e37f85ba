#include "app/ViewSettings.h"

#include "app/IniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace {

const QString &section()
{
    static const QString name = QStringLiteral("qvReplayInfo");
    return name;
}

// Key names, in the order they are written.
const QString KeyLeft = QStringLiteral("WindowLeft");
const QString KeyTop = QStringLiteral("WindowTop");
const QString KeyWidth = QStringLiteral("WindowWidth");
const QString KeyHeight = QStringLiteral("WindowHeight");
const QString KeyMaximized = QStringLiteral("WindowMaximized");
const QString KeyPage = QStringLiteral("ActivePage");
const QString KeySort = QStringLiteral("SortMode");
const QString KeyTarnelColumns = QStringLiteral("TarnelColumns");
const QString KeyReplayColumns = QStringLiteral("ReplayColumns");
const QString KeyAutoReload = QStringLiteral("AutoReload");
const QString KeyAutoStore = QStringLiteral("AutoStore");
const QString KeyAutoStoreName = QStringLiteral("AutoStoreName");

// Far beyond any desktop, but no overflow when a frame is added.
constexpr int MaxCoordinate = 100000;

std::optional<int> readInt(const IniFile &ini, const QString &key, int lowest, int highest)
{
    bool ok = false;
    const int value = ini.readString(section(), key).trimmed().toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<ViewSettings::ColumnWidths> readColumns(const IniFile &ini, const QString &key)
{
    const QStringList parts = ini.readString(section(), key).split(QLatin1Char(','));
    if (parts.size() != ViewSettings::Columns)
        return std::nullopt;
    ViewSettings::ColumnWidths widths{};
    for (int c = 0; c < ViewSettings::Columns; ++c) {
        bool ok = false;
        widths[size_t(c)] = parts[c].trimmed().toInt(&ok);
        if (!ok || widths[size_t(c)] < ViewSettings::MinColumnWidth || widths[size_t(c)] > ViewSettings::MaxColumnWidth)
            return std::nullopt; // one bad width: the designed widths for the whole table
    }
    return widths;
}

QString columnsText(const ViewSettings::ColumnWidths &widths)
{
    QStringList parts;
    for (int width : widths)
        parts.append(QString::number(width));
    return parts.join(QLatin1Char(','));
}

} // namespace

ViewSettings LoadViewSettings(const QString &settingFileName)
{
    const IniFile ini(settingFileName);
    ViewSettings view;
    const std::optional<int> left = readInt(ini, KeyLeft, -MaxCoordinate, MaxCoordinate);
    const std::optional<int> top = readInt(ini, KeyTop, -MaxCoordinate, MaxCoordinate);
    if (left && top)
        view.windowPos = QPoint(*left, *top);
    const std::optional<int> width = readInt(ini, KeyWidth, 1, MaxCoordinate);
    const std::optional<int> height = readInt(ini, KeyHeight, 1, MaxCoordinate);
    if (width && height)
        view.windowSize = QSize(*width, *height);
    view.maximized = readInt(ini, KeyMaximized, 0, 1).value_or(0) == 1;
    view.activePage = readInt(ini, KeyPage, 0, 1).value_or(0);
    view.sortMode = readInt(ini, KeySort, 0, 6).value_or(0);
    view.tarnelColumns = readColumns(ini, KeyTarnelColumns);
    view.replayColumns = readColumns(ini, KeyReplayColumns);
    view.autoReload = readInt(ini, KeyAutoReload, 0, 1).value_or(1) == 1;
    view.autoStore = readInt(ini, KeyAutoStore, 0, 1).value_or(0) == 1;
    view.autoStoreName = ini.readString(section(), KeyAutoStoreName);
    return view;
}

bool SaveViewSettings(const QString &settingFileName, const ViewSettings &view)
{
    IniFile ini(settingFileName);
    bool written = true;
    const auto write = [&](const QString &key, const QString &value) {
        written = written && ini.writeString(section(), key, value);
    };
    // A window never shown has no place of its own yet; a stored one stays.
    if (view.windowPos) {
        write(KeyLeft, QString::number(view.windowPos->x()));
        write(KeyTop, QString::number(view.windowPos->y()));
    }
    if (view.windowSize) {
        write(KeyWidth, QString::number(view.windowSize->width()));
        write(KeyHeight, QString::number(view.windowSize->height()));
        write(KeyMaximized, view.maximized ? QStringLiteral("1") : QStringLiteral("0"));
    }
    write(KeyPage, QString::number(view.activePage));
    write(KeySort, QString::number(view.sortMode));
    if (view.tarnelColumns)
        write(KeyTarnelColumns, columnsText(*view.tarnelColumns));
    if (view.replayColumns)
        write(KeyReplayColumns, columnsText(*view.replayColumns));
    write(KeyAutoReload, view.autoReload ? QStringLiteral("1") : QStringLiteral("0"));
    write(KeyAutoStore, view.autoStore ? QStringLiteral("1") : QStringLiteral("0"));
    if (!view.autoStoreName.isEmpty())
        write(KeyAutoStoreName, view.autoStoreName);
    return written;
}

bool isPlaceVisible(const QRect &frame, const QList<QRect> &screens)
{
    // The strip along the top of the frame where the title bar is.
    constexpr int TitleHeight = 20;
    constexpr int GripWidth = 100;
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), TitleHeight));
    for (const QRect &screen : screens) {
        const QRect onScreen = titleBar.intersected(screen);
        if (onScreen.width() >= qMin(GripWidth, frame.width()) && onScreen.height() >= TitleHeight / 2)
            return true;
    }
    return false;
}

bool isPlaceOnScreens(const QRect &frame)
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    return isPlaceVisible(frame, screens);
}
