// The list of tracks handed to the framework: one SaveSetting per checked marker, with
// its file path in the album folder, its stretch of the recording, the gain and its tags.
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

// One setting per checked track of markers, written into DestinationDirectory / dirName.
// A folder at a track's path skips the track with an alert; an existing file is replaced
// only when the user answers "OK".
std::vector<SaveSetting> BuildSaveSettings(const TrackMarkers& markers, const QString& dirName,
                                           const QString& extension, double gain, const AlertHandler& alert);
