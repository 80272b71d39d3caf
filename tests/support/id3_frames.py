"""Prints the ID3 text frames of a WAV or DSF file as read by mutagen.

One line per text frame: the frame id, a space, and the frame's text as
hexadecimal UTF-8 (several values joined by "/"). Exit status 2 when the file
has no ID3 tag.
"""
import sys

import mutagen

audio = mutagen.File(sys.argv[1])
if audio is None or audio.tags is None:
    sys.exit(2)
print("VERSION %d.%d" % (audio.tags.version[0], audio.tags.version[1]))
for frame in audio.tags.values():
    if hasattr(frame, "text"):
        text = "/".join(str(t) for t in frame.text)
        print("%s %s" % (frame.FrameID, text.encode("utf-8").hex()))
