<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Sillaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sillaro, Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AlertDialog</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Gain:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No device found.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ClickRepairFlow</name>
    <message>
        <source>Repair Clicks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finding clicks…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No clicks were found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to find the clicks.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clicks repaired: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clicks: %1, pops: %2, crackle: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not be rebuilt, left as recorded: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Listening and Write to Files use the repair; the recording itself is unchanged. Edit &gt; Undo takes the repair back.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ControlManager</name>
    <message>
        <source>There is a problem with an audio playback device. It might not be installed on your computer or might be used by another app.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write to Files  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No device found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to record newly?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to delete the selected marker?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to remove all markers?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to obtain version info.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This Sillaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>is up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Increasing the gain will result in a longer time in writing to files.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to use the folder specified as the temporary file storage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to save the file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnected from the device.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped recording because the limit of recording time has been reached.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Some audio was lost while recording: the recording has gaps.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>The computer could not keep up with the turntable %n time(s).</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: %n sample(s) lost</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The computer could not keep up with the turntable at %n place(s) of the recording:</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Play the vinyl record on the turntable and click the &quot;Start Recording&quot; button.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maximum recording time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>approx.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temporary file storage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped recording because the temporary file storage is full.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped recording because the recording could not be stored: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click repair works on PCM recordings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording could not be recovered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another program is using it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its temporary files cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CoverThumbnail</name>
    <message>
        <source>No Cover</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cover</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CustomMenuView</name>
    <message>
        <source>Auto</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DialogButtons</name>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DownloadWrapper</name>
    <message>
        <source>A download is already running.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download address is not a secure (https) address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server answered with status %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Indicator_Gain</name>
    <message>
        <source>dB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Sillaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Sillaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit Sillaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write to Files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause Playback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove All Markers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 dB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sillaro Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Update...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Find Track Gaps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find Track Gaps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Repair Clicks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair Clicks...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Marker Backward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Marker Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clicks repaired: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MarkerManager</name>
    <message>
        <source>Cannot add any more markers.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Write to Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QuitFlow</name>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordManager</name>
    <message>
        <source>Stopped recording because the limit of recording time has been reached.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecoveryFlow</name>
    <message>
        <source>A recording of %1 from %2 was not written to files. Recover it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DSD %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PCM %1, %2-bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only what is left can be recovered: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recover</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Discard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Discard the recording of %1? It cannot be recovered afterwards.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording could not be discarded.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RepairClicksDialog</name>
    <message>
        <source>Repair Clicks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair the clicks, pops and crackle of the recording.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The damaged samples are rebuilt from the music around them when you listen and when tracks are written. The recording itself is not changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensitivity:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SaveDialog</name>
    <message>
        <source>Failed to save the file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insufficient free space in the destination.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 needed, %2 available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording engine is not ready.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The list of tracks was refused.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Earlier tracks are still being written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write to Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Folder Name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album Artist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Duration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track Artist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update File Names</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use Track Titles as File Names.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Album Artist to Track Artists</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The cover image is not a PNG or JPEG picture.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The cover image is too large to be stored in FLAC files.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The cover image cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG or JPEG pictures (*.png *.jpg *.jpeg)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cover Image…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove Cover</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A cover image is stored in FLAC files only.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SaveDialogModel</name>
    <message>
        <source>Track Titles will be used as File Names with no change to extensions.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album Artist will be copied to Track Artists.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to cancel writing to files?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unacceptable characters detected in the album name. Change the album name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No file name specified. Enter a file name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unacceptable characters detected in the file name. Change the file name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name duplicated. Change the file name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too long file path. Change the file name or the destination.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse Folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A file with the same name as the folder name exists in the destination.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cover Image</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>16 bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>24 bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sampling Frequency</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bit Depth</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DSD (.dsf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PCM (.wav)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temporary file storage </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording is available within the limit of the recording time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to use the folder specified as the temporary file storage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset to default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse Folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You cannot specify the folder as the temporary file storage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With the drive other than the default one, access speed may become slower, causing the delay of waveform drawing or sound skipping.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maximum recording time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>approx.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PCM (.flac)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrackGapFlow</name>
    <message>
        <source>Failed to find the gaps between tracks.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No music was found in the recording.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording is shorter than the shortest gap between tracks.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This side cannot have that many tracks: there are places for at most %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No gaps between tracks were found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every gap between tracks already has a marker.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gaps between tracks found: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The music plays from %1 to %2; the lead-in and run-out are left unchecked in Write to Files.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A marker is added at each gap. Edit &gt; Undo takes them back.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrackGapsDialog</name>
    <message>
        <source>Find Track Gaps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracks on this side:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change the count and the most gap-like places are chosen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Markers</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpdateChecker</name>
    <message>
        <source>CurrentLang</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>Sillaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest version of Sillaro </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>is now available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to download now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Debian package (*.deb)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to download new version.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpdateFileNamesDialog</name>
    <message>
        <source>Update File Names</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updates the names of all the files you checked.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Initial Track No.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WaveHints</name>
    <message>
        <source>Clicking the “Record” button starts preparation for recording.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clicking this area adds a marker.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WaveView</name>
    <message>
        <source>PopupMenu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Marker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove All Markers</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
