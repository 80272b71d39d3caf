// Firmware version text from the USB device release number.
#include "settings/DeviceIdentity.h"

QString FirmwareVersionSuffix(int64_t b)
{
    return QString::asprintf(" %d.%d.%d", static_cast<int>((b >> 8) & 15), static_cast<int>((b >> 4) & 15),
                             static_cast<int>(b & 15));
}
