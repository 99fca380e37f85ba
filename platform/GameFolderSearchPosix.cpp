#include "platform/GameFolderSearch.h"

QStringList GameFolderSearch::usualPlaces()
{
    return {};
}
