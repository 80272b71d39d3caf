// Counting and finding the places of the click repair.
#include "document/ClickMarks.h"

#include <algorithm>

int ClickMarks::repairedCount() const
{
    return static_cast<int>(std::count_if(m_places.begin(), m_places.end(), [](const ClickPlace& p) { return p.repaired; }));
}

int ClickMarks::repairedCount(TkClickKind kind) const
{
    return static_cast<int>(std::count_if(m_places.begin(), m_places.end(),
                                          [kind](const ClickPlace& p) { return p.repaired && p.kind == kind; }));
}

std::span<const ClickPlace> ClickMarks::between(double from, double to) const
{
    // Places do not overlap, so their ends ascend with their starts.
    const auto first = std::lower_bound(m_places.begin(), m_places.end(), from,
                                        [](const ClickPlace& p, double t) { return p.seconds + p.length < t; });
    const auto last = std::lower_bound(first, m_places.end(), to,
                                       [](const ClickPlace& p, double t) { return p.seconds < t; });
    return {first, last};
}
