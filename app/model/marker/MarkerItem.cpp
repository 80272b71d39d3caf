// Marker captions.
#include "marker/MarkerItem.h"

QString MarkerCaption(int32_t id)
{
    if (id == kStartMarkerId)
        return QStringLiteral("S");
    if (id == kEndMarkerId)
        return QStringLiteral("E");
    return QString::number(id);
}
