// The list of tracks handed to the framework: one SaveSetting per checked marker, with
// its file path in the album folder, its stretch of the recording, the gain and its tags.
// The tags are those the command-line tool gives the same tracks, so that both write the
// same files: the number of a track is its place among all tracks between the markers
// (checked or not, from 1), the total counts them all, the date is the day the recording
// started (yyyy-MM-dd) and the cover is the album's; WAV and DSF files leave out what
// only FLAC files hold.
// Entries already at a track's path are resolved here, before anything is written.
#pragma once

#include "bridge/CartovaController.h"
#include "control/DialogService.h"
#include "save/TrackMarkers.h"

#include <vector>

// Tag keys of a written track.
inline const QString kSaveTagTitle = QStringLiteral("Title");
inline const QString kSaveTagArtist = QStringLiteral("Artist");
inline const QString kSaveTagAlbum = QStringLiteral("Alubum");
inline const QString kSaveTagAlbumArtist = QStringLiteral("AlbumArtist");
inline const QString kSaveTagTrackNumber = QStringLiteral("TrackNumber");
inline const QString kSaveTagTrackTotal = QStringLiteral("TrackTotal");
inline const QString kSaveTagDate = QStringLiteral("Date");
inline const QString kSaveTagCoverImage = QStringLiteral("CoverImage");

// One setting per checked track of markers, written into DestinationDirectory / dirName.
// A recording date that is not known is today's.
// A folder at a track's path skips the track with an alert; an existing file is replaced
// only when the user answers "OK".
std::vector<SaveSetting> BuildSaveSettings(const TrackMarkers& markers, const QString& dirName,
                                           const QString& extension, double gain, const AlertHandler& alert);
