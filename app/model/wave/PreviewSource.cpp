// The framework bridge as the waveform worker's preview source.
#include "wave/PreviewSource.h"

#include "bridge/CartovaController.h"

bool BridgePreviewSource::GetPreviewDataLength(uint64_t& frames)
{
    return CartovaController::sharedInstance().GetPreviewDataLength(frames) == TkErrorSuccess;
}

bool BridgePreviewSource::GetPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferValues)
{
    return CartovaController::sharedInstance().GetPreviewDataFrom(from, to, buffer, bufferValues) == TkErrorSuccess;
}
