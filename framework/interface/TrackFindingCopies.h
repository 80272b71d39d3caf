// The track finder's records in the exported C layout and back: the setting
// a caller passes becomes the finder's parameters, and its analysis of a
// side becomes a malloc'd TkTrackFinding that Cartova_ReleaseTrackFinding
// frees in one place. A failed allocation gives null and frees what was made.
#pragma once

#include "cartova.h"
#include "preview/TrackGapFinder.h"

// The defaults of TrackGapParameters for a null setting.
TrackGapParameters GapParameters(const TkTrackGapSetting* setting);

TkTrackFinding* CopyTrackFinding(const SideAnalysis& side);
void FreeTrackFinding(TkTrackFinding* finding);
