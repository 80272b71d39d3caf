// One row of the write-to-files dialog: a track between two adjacent markers.
#pragma once

#include <QString>

struct SaveDialogItem {
    int state = 1;           // 1 checked (the track is written), 0 unchecked
    QString markerStart;     // "S" for the start marker, else the first marker's id
    QString markerEnd;       // "E" for the end marker, else the next marker's id
    QString fileName;        // possibly without extension; null when absent
    QString trackTitle;
    QString trackArtist;
    double duration = 0.0;   // seconds between the two markers

    bool isChecked() const { return state != 0; }
};
