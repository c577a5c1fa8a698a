#pragma once

#include <QString>

namespace kv::pictures {

// The title and comment a camera or photo editor stored inside a picture
// file, read with Exiv2 on every call. Only .jpg, .jpeg, .jpe, .tif, .tiff
// and .nef files (any letter case) are examined; other files, files without
// the item and files whose metadata cannot be read give an empty text.
//
// The Exif title and comment (tags 0x9C9B and 0x9C9C of the first image
// directory) are UTF-16LE text. The IPTC caption (2:120) and special
// instructions (2:40) are text in UTF-8 when the coded character set (1:90)
// says so, else Latin-1; Exiv2 keeps the first of repeated non-repeatable
// datasets. A non-empty IPTC value replaces the Exif value.
//
// The comment taken from IPTC keeps one leading blank before the text,
// as the bulk load has always stored it.
QString MetadataTitle(const QString& fileName);
QString MetadataComment(const QString& fileName);

}  // namespace kv::pictures
