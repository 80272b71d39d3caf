// The Find Track Gaps command: finding, suggestions, track count, adding as one step.
#include "control/TrackGapFlow.h"

#include "bridge/CartovaController.h"
#include "control/DialogService.h"
#include "document/Document.h"
#include "marker/MarkerManager.h"

#include <cmath>
#include <optional>

namespace {

// A lead-in or run-out shorter than this is not worth a track of its own.
constexpr double kShortestLead = 0.5;

QString MinutesSeconds(double seconds)
{
    const long tenths = std::lround(seconds * 10.0);
    return QString::asprintf("%ld:%02ld.%ld", tenths / 600, (tenths / 10) % 60, tenths % 10);
}

} // namespace

TrackGapFlow::TrackGapFlow(DialogService& dialogs, CartovaController& bridge, Document& document)
    : m_dialogs(dialogs), m_bridge(bridge), m_document(document)
{
}

QString TrackGapFlow::problemText(const TrackFinding& finding, bool failed) const
{
    if (failed)
        return tr("Failed to find the gaps between tracks.");
    switch (finding.problem) {
    case TkSideProblemNoMusic: return tr("No music was found in the recording.");
    case TkSideProblemTooShort: return tr("The recording is shorter than the shortest gap between tracks.");
    case TkSideProblemTooManyTracks:
        return tr("This side cannot have that many tracks: there are places for at most %1.").arg(finding.places + 1);
    default: return QString();
    }
}

bool TrackGapFlow::run(MarkerManager& markers, double totalTime)
{
    uint32_t asked = 0; // 0: the gaps decide
    for (;;) {
        TrackFinding finding;
        const bool failed = m_bridge.FindTracks(asked, finding) != TkErrorSuccess;
        if (const QString problem = problemText(finding, failed); !problem.isEmpty()) {
            m_dialogs.OkAlertWithMessage(problem);
            return false;
        }
        const std::optional<double> start =
            finding.musicStart >= kShortestLead ? std::optional(finding.musicStart) : std::nullopt;
        const std::optional<double> end =
            totalTime - finding.musicEnd >= kShortestLead ? std::optional(finding.musicEnd) : std::nullopt;
        const int newGaps = TrackGapMarkers::countNew(markers, finding.boundaries);
        const int newLeads = (start ? TrackGapMarkers::countNew(markers, {*start}) : 0) +
                             (end ? TrackGapMarkers::countNew(markers, {*end}) : 0);
        if (newGaps + newLeads == 0) {
            m_dialogs.OkAlertWithMessage(finding.boundaries.empty()
                                             ? tr("No gaps between tracks were found.")
                                             : tr("Every gap between tracks already has a marker."));
            return false;
        }

        std::vector<double> suggested = finding.boundaries;
        if (start)
            suggested.insert(suggested.begin(), *start);
        if (end)
            suggested.push_back(*end);
        m_document.setSuggestedMarkers(suggested);
        TrackGapsRequest request;
        request.message = tr("Gaps between tracks found: %1").arg(newGaps);
        QStringList lines;
        if (start || end)
            lines << tr("The music plays from %1 to %2; the lead-in and run-out are left unchecked in Write to Files.")
                         .arg(MinutesSeconds(finding.musicStart), MinutesSeconds(finding.musicEnd));
        lines << tr("A marker is added at each gap. Edit > Undo takes them back.");
        request.information = lines.join('\n');
        const int found = static_cast<int>(finding.boundaries.size()) + 1;
        request.trackCount = found;
        request.maxTrackCount = static_cast<int>(finding.places) + 1;
        const bool accepted = m_dialogs.runTrackGapsDialog(request);
        m_document.setSuggestedMarkers({});
        if (!accepted)
            return false;
        if (request.trackCount != found) {
            asked = static_cast<uint32_t>(request.trackCount); // shown again before adding
            continue;
        }
        const bool added = m_document.trackGaps().addSuggestions(markers, finding.boundaries, start, end).added > 0;
        if (added)
            m_document.done(UndoStep::TrackGaps);
        return added;
    }
}
