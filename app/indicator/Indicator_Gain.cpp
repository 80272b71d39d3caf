// Title of the gain indicator.
#include "indicator/Indicator_Gain.h"

#include "control/ModeTimeManager.h"

#include <QCoreApplication>

Indicator_Gain::Indicator_Gain(QWidget* parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("indicatorGain"));
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    connect(&ModeTimeManager::sharedInstance(), &ModeTimeManager::gainChanged, this, &Indicator_Gain::refresh);
    refresh();
}

QString Indicator_Gain::GainTitle(double g, bool isAuto)
{
    const QString sign = g >= 1.0 ? QStringLiteral("+") : QString();
    const QString unit = QCoreApplication::translate("Indicator_Gain", "dB");
    if (isAuto)
        return QString::asprintf("%s%0.1f %s", qUtf8Printable(sign), g, qUtf8Printable(unit));
    return QString::asprintf("%s%d %s", qUtf8Printable(sign), static_cast<int>(g), qUtf8Printable(unit));
}

void Indicator_Gain::refresh()
{
    const ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    setText(GainTitle(mtm.gain(), mtm.isAutoGain()));
}
