#pragma once

#include <QChar>
#include <QString>

#include <optional>
#include <vector>

namespace kv::common {

// An edit mask as the catalogue writes it: "mask;save literals;blank", for
// example "00000\-9999;1;_" (five digits, a hyphen, four optional digits,
// literals stored with the value, "_" for an empty place). Its mask
// characters are those of the desktop program that made the catalogue:
//   0 digit   9 digit or blank   # digit, sign or blank
//   L letter  l letter or blank  A letter or digit  a the same or blank
//   C any character  c any character or blank
//   > upper case from here  < lower case from here  <> no case change
//   ! optional places blank on the left (dropped here)  \x the literal x
// and any other character stands for itself.
struct EditMask {
    QString inputMask;          // the same mask for QLineEdit::setInputMask
    QChar blank = QLatin1Char('_');
    bool saveLiterals = true;
    // One entry per place of the box: the literal shown there, or nothing
    // for a place the user fills.
    std::vector<std::optional<QChar>> places;

    bool isEmpty() const { return places.empty(); }
    // The input mask with its blank character, for the line edit.
    QString qtInputMask() const;
};

// Reads a catalogue edit mask. Qt's masks swap the required and the
// optional digit markers ("0" and "9") and name the other kinds with other
// letters, so every mask character is translated; characters that Qt would
// read as mask characters but the catalogue mask takes as literals are
// escaped. An empty text gives an empty mask.
EditMask TranslateEditMask(const QString& editMask);

// The value a box with the mask holds, read from its displayed text (one
// character per place): the characters typed, with the literals when the
// mask saves them; blank places are left out. A null string when nothing
// was typed at all, so that an untouched or emptied box stores Null.
QString MaskedValue(const EditMask& mask, const QString& displayText);

}  // namespace kv::common
