// The places the click repair found in the recording, as the waveform marks them and the
// window counts them: a copy of the framework's list of the last finished analysis, kept
// while the repair is on. Empty when there is no repair (none run, undone, a new recording).
//
// Invariant: the places are in ascending order of time and do not overlap (as the
// framework gives them), so the ones on screen are found by binary search.
#pragma once

#include "bridge/CartovaController.h"

#include <span>
#include <vector>

class ClickMarks {
public:
    void set(std::vector<ClickPlace> places) { m_places = std::move(places); }
    void clear() { m_places.clear(); }

    const std::vector<ClickPlace>& places() const { return m_places; }
    bool empty() const { return m_places.empty(); }
    // Places rebuilt from the music around them, and those of one kind among them.
    int repairedCount() const;
    int repairedCount(TkClickKind kind) const;
    // Places that could not be rebuilt, left as recorded.
    int unrepairedCount() const { return static_cast<int>(m_places.size()) - repairedCount(); }
    // The places that reach into [from, to) seconds.
    std::span<const ClickPlace> between(double from, double to) const;

private:
    std::vector<ClickPlace> m_places;
};
