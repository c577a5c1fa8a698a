#pragma once

#include "common/FileTransfer.h"

#include <QString>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::pictures {

// Answers of CopyPictureFile.
inline constexpr int kCopyNoFile = 0;    // the picture has no file name
inline constexpr int kCopyDone = 1;      // copied, or skipped
inline constexpr int kCopyAborted = 3;   // the user chose Abort
inline constexpr int kCopyIgnored = 5;   // the user chose Ignore

// Copies a picture's file out of its storage location into
// destinationDirectory. While the file cannot be found, asks for the disc
// labelled as the storage location says (Abort, Retry, Ignore); a file of a
// location without a full directory path is never found. An existing
// destination is replaced only when the user says Yes, and only once the
// copy is complete; the picture's own file is never its own destination.
// transfer, when given, receives what the copy itself came to (left as it
// was when no copy was tried).
// The copy is then turned by the picture's RotateImage angle when
// applyRotation, and fitted into largestSide x largestSide when shrink and
// it is larger. Write errors while rewriting the copy throw FileWriteError.
int CopyPictureFile(data::TProgramDataForm& dm, const QString& pictureId, const QString& destinationDirectory,
                    bool applyRotation, bool shrink, int largestSide, common::TransferResult* transfer = nullptr);

}  // namespace kv::pictures
