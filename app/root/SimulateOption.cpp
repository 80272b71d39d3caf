// Command-line selection of the simulated turntable.
#include "root/SimulateOption.h"

#include <QFileInfo>

bool ApplySimulateOption(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--simulate"));
    if (at < 0)
        return false;
    qputenv("CARTOVA_DEVICE", "sim");
    if (at + 1 < arguments.size() && !arguments.at(at + 1).startsWith(QLatin1Char('-'))) {
        const QString file = QFileInfo(arguments.at(at + 1)).absoluteFilePath();
        qputenv("CARTOVA_SIM_SOURCE", file.toLocal8Bit());
    }
    return true;
}
