#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>

namespace kv::reference {

// Export files are written in UTF-8 without a byte order mark, every line
// (the header included) ending in CR LF: a file of plain ASCII text is byte
// for byte what older exports wrote, and a fixed-length file's first column
// starts at its first byte for any program that reads it as 8-bit text.
//
// Import files are read as UTF-8 when their bytes are valid UTF-8 (a byte
// order mark is skipped), as UTF-16 when they start with its byte order
// mark, and otherwise as Windows-1252, which is what older exports and most
// Windows programs wrote.

enum class TextEncoding { Utf8, Utf16, Windows1252 };

// The text of a file's bytes by the rules above.
QString DecodeTextBytes(const QByteArray& bytes, TextEncoding* encoding = nullptr);

// The lines of a text: split at LF with a CR before it dropped (a lone CR
// ends a line too); a final line break does not start another line.
QStringList SplitTextLines(const QString& text);

struct TextFileLines {
    enum class Status {
        Ok,
        Missing,     // no such file (or a directory)
        Unreadable,  // exists but cannot be opened or read, or is no regular file (a pipe, a device)
        Binary,      // holds NUL bytes: not a text file
    };
    Status status = Status::Missing;
    QStringList lines;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Reads a whole text file (a regular file of at most 1 GiB). A file whose
// first 64 KiB hold a NUL byte (and no UTF-16 byte order mark) is not text.
TextFileLines ReadTextFileLines(const QString& fileName);

// Writes an export file. The file is written beside its final name and
// replaces it only when everything was written, so a failed export never
// leaves a half-written file or destroys the one that was there.
class TextFileWriter {
public:
    explicit TextFileWriter(const QString& fileName);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Creates the file (to replace an existing one); false when it cannot.
    bool open();
    // Writes the line and CR LF.
    void writeLine(const QString& line);
    // Puts the file in place; false when anything could not be written.
    bool commit();

private:
    void flush();

    QSaveFile m_file;
    QByteArray m_buffer;
    bool m_failed = false;
};

}  // namespace kv::reference
