// Copies of the engine's records in the exported C layout. Everything is
// allocated with malloc so that the release functions can free it in one
// place; a failed allocation gives null and frees what was made.
#pragma once

#include "cartova.h"

#include <string>
#include <vector>

struct DeviceDescription;

TkDeviceNameList* CopyDeviceNameList(const std::vector<std::string>& names);
void FreeDeviceNameList(TkDeviceNameList* list);

TkAudioDeviceInfo* CopyAudioDeviceInfo(const DeviceDescription& description);
void FreeAudioDeviceInfo(TkAudioDeviceInfo* info);

// A malloc'd array of the gaps; null for an empty list or a failed allocation.
TkDroppedAudio* CopyDroppedAudio(const std::vector<TkDroppedAudio>& gaps);
TkTrackBoundaryList* CopyTrackBoundaryList(const std::vector<double>& seconds);
void FreeTrackBoundaryList(TkTrackBoundaryList* list);
