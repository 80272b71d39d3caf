"""Prints what mutagen reads of a FLAC file, one fact a line.

  BLOCKS <metadata block type codes in file order, comma-separated>
  STREAMINFO <rate> <channels> <bits> <total samples> <MD5 as hex>
  SEEKPOINTS <sample numbers of the seek points, comma-separated>
  COMMENT <field> <value as hexadecimal UTF-8>   (one per comment, in order)
  PICTURE <type> <mime> <width> <height> <depth> <colors> <data as hex>
Exit status 2 when mutagen does not take it for a FLAC file.
"""
import sys

from mutagen.flac import FLAC, error

try:
    audio = FLAC(sys.argv[1])
except error:
    sys.exit(2)
info = audio.info
print("BLOCKS " + ",".join(str(block.code) for block in audio.metadata_blocks))
print("STREAMINFO %d %d %d %d %032x" % (info.sample_rate, info.channels, info.bits_per_sample,
                                      info.total_samples, info.md5_signature))
points = audio.seektable.seekpoints if audio.seektable else []
print("SEEKPOINTS " + ",".join(str(point[0]) for point in points))
for field, value in (audio.tags or []):
    print("COMMENT %s %s" % (field, value.encode("utf-8").hex()))
for picture in audio.pictures:
    print("PICTURE %d %s %d %d %d %d %s" % (picture.type, picture.mime, picture.width, picture.height,
                                          picture.depth, picture.colors, picture.data.hex()))
