// Reset of one level-meter channel.
#include "indicator/IndicatorChInfo.h"

void IndicatorChInfo::reset()
{
    level = kSilence;
    peak = kSilence;
    reset_peak = kSilence;
    over = false;
    reset_over = false;
    timeForResetPeak = 0;
    timeForResetOver = 0;
}
