// C copies of click-repair places; see ClickPlaceCopies.h.
#include "ClickPlaceCopies.h"

#include <algorithm>
#include <cstdlib>

TkClickPlaceList* CopyClickPlaceList(const RepairedPlaces* places)
{
    auto* list = static_cast<TkClickPlaceList*>(std::calloc(1, sizeof(TkClickPlaceList)));
    if (list == nullptr || places == nullptr || places->Places().empty()) {
        if (list != nullptr && places != nullptr) {
            list->sample_rate = places->Rate();
            list->channels = places->Channels();
        }
        return list;
    }
    list->sample_rate = places->Rate();
    list->channels = places->Channels();
    const std::vector<RepairedPlace>& source = places->Places();
    size_t samples = 0;
    for (const RepairedPlace& place : source) {
        samples += place.samples.size();
    }
    // One block for the places and one for every place's samples.
    list->places = static_cast<TkClickPlace*>(std::calloc(source.size(), sizeof(TkClickPlace)));
    float* block = samples > 0 ? static_cast<float*>(std::malloc(samples * sizeof(float))) : nullptr;
    if (list->places == nullptr || (samples > 0 && block == nullptr)) {
        std::free(block);
        FreeClickPlaceList(list);
        return nullptr;
    }
    list->count = source.size();
    for (size_t i = 0; i < source.size(); ++i) {
        const RepairedPlace& place = source[i];
        TkClickPlace& copy = list->places[i];
        copy.position = place.position;
        copy.length = place.length;
        copy.channel_mask = place.channelMask;
        copy.strength_db = place.strengthDb;
        copy.kind = static_cast<TkClickKind>(place.kind);
        copy.repaired = place.repaired ? 1 : 0;
        if (!place.samples.empty()) {
            std::copy(place.samples.begin(), place.samples.end(), block);
            copy.samples = block;
            block += place.samples.size();
        }
    }
    return list;
}

void FreeClickPlaceList(TkClickPlaceList* list)
{
    if (list == nullptr) {
        return;
    }
    // The first place with samples holds the start of the samples' block.
    for (size_t i = 0; list->places != nullptr && i < list->count; ++i) {
        if (list->places[i].samples != nullptr) {
            std::free(const_cast<float*>(list->places[i].samples));
            break;
        }
    }
    std::free(list->places);
    std::free(list);
}
