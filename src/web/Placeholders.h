#pragma once

#include <QString>

namespace kv::web {

// Replaces the placeholders of one template line with their values from the
// current records, group by group and row by row in a fixed order, each row
// over the whole line as it then stands (letter case ignored), so a value
// put in by an earlier row is open to later rows ("%Year%" in a description
// is filled in). Plain values are HTML-escaped; links, image tags and
// comments are HTML and go in as they are. Placeholders not listed stay.
//
// Three directives change the generation values and are removed from the
// line first, before any value goes in: "%PicturePreviewSize%=" and
// "%PersonPreviewSize%=" followed by digits (a box size from 1 to the
// largest int; anything else changes nothing), "%IndexName%=" followed by
// a file name (letters, "-", "." and "_"). A line without "%" is left as
// it is.
void SubstitutePlaceholders(QString& line);

}  // namespace kv::web
