#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Edits of metadata blocks as bytes. EXIF blocks are the TIFF structure a
// JPEG's APP1 segment holds, with or without its leading "Exif\0\0". No
// picture library is involved, and every offset is checked against the
// block before use.

// Removes the location: the entries of the GPS directory and the values
// they point to are zeroed, its entry count set to 0, and the first
// directory's pointer to it removed; every other byte stays as it was.
// True when the block holds no GPS directory afterwards; false when its
// structure cannot be followed (the caller then drops the block rather than
// keep a location).
bool RemoveExifGps(std::vector<std::uint8_t>& exif);

// The byte order of the block's TIFF structure: 'I' (little-endian) or 'M',
// 0 when it has none.
char ExifByteOrder(const std::vector<std::uint8_t>& exif);

// Gives a classic TIFF file of the same byte order the EXIF block's
// information: its EXIF and GPS directories are copied
// behind the file, their offsets moved with them, and the file's first
// directory is written anew with the pointers to them and the descriptive
// tags of the block's first directory (description, make, model, software,
// date, artist, copyright) that the file does not have. Tags that only
// describe a JPEG stream (components, compressed bits, the JPEG's pixel
// dimensions, the interoperability directory) are left out. A maker note
// is copied as it is. False, with `tiff` unchanged, when either structure
// cannot be followed or the file would pass 4 GiB.
bool AddExifToTiff(std::vector<std::uint8_t>& tiff, const std::vector<std::uint8_t>& exif);

// Removes the location from an XMP packet: every property of the EXIF
// namespace whose name starts with GPS, in element form
// (<exif:GPSLatitude>...</exif:GPSLatitude>, or empty) and in attribute
// form (exif:GPSLatitude="..."), written with the usual prefix "exif".
// False when such a name stands where neither form can be followed; the
// caller then drops the packet.
bool RemoveXmpGps(std::string& xmp);
