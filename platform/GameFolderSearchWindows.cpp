#include "platform/GameFolderSearch.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString fromEnvironment(const char *name, const QString &below = {})
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        return {};
    return QDir::cleanPath(QDir::fromNativeSeparators(value) + (below.isEmpty() ? QString() : u'/' + below));
}

QString standard(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location);
}

} // namespace

QStringList GameFolderSearch::usualPlaces()
{
    QStringList places = {
        fromEnvironment("ProgramFiles(x86)"),
        fromEnvironment("ProgramFiles"),
        // An old program that writes into its own folder under Program Files
        // has its files kept here instead, per user.
        fromEnvironment("LOCALAPPDATA", QStringLiteral("VirtualStore/Program Files (x86)")),
        fromEnvironment("LOCALAPPDATA", QStringLiteral("VirtualStore/Program Files")),
        fromEnvironment("LOCALAPPDATA", QStringLiteral("Programs")),
        fromEnvironment("SystemDrive", QStringLiteral("Games")),
        standard(QStandardPaths::DesktopLocation),
        standard(QStandardPaths::DocumentsLocation),
        standard(QStandardPaths::DownloadLocation),
    };
    places.removeAll(QString());
    places.removeDuplicates();
    return places;
}
