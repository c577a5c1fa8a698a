#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kv::pictures {

// Preview files are scrambled with a key: every byte is XORed with a
// keystream drawn from the Park-Miller generator seeded from the key's
// hash. Scrambling again with the same key restores the file. Stored
// previews depend on this stream byte for byte.

// The key's bytes as the key text is stored: one byte per character in the
// Windows-1252 code page ("?" for characters it does not have).
QByteArray KeyBytes(const QString& key);

// 2137585 for an empty key; otherwise h = (h + 7 * b) * 3 over the bytes,
// then h + 701 * length, all with 32-bit wrap-around.
qint32 KeyHash(const QByteArray& key);

// One keyed generator. Park-Miller (16807, 2^31 - 1) in Schrage's form with
// 127773 and 2836, applied unchanged to any first state.
class KeyStream {
public:
    explicit KeyStream(const QByteArray& key);
    static KeyStream fromState(qint32 state);

    // Advances; 0 to 2147483646.
    qint32 next();
    // floor(next() * n / 2147483645): 0 to n.
    qint32 below(qint32 n);
    // The low eight bits of below(256).
    quint8 nextByte() { return static_cast<quint8>(below(256) & 0xFF); }
    // XORs the bytes, first to last, with the next keystream bytes.
    void apply(char* data, qsizetype size);
    void apply(QByteArray& bytes) { apply(bytes.data(), bytes.size()); }

    qint32 state() const { return m_state; }

private:
    KeyStream() = default;
    qint32 m_state = 0;
};

// The process-wide generator: seeded from a key, advanced by each draw.
void SeedFromKey(const QByteArray& key);
qint32 NextRandom();
qint32 RandomBelow(qint32 n);

// XORs the whole buffer with the key's stream from its start.
void ScrambleBytes(QByteArray& bytes, const QByteArray& key);

// XORs the whole file in place with the key's stream (the same call undoes
// it). The new content replaces the file only once it is complete. False
// when the file cannot be read; write errors throw FileWriteError.
bool ScrambleFile(const QString& fileName, const QByteArray& key);

// The file XORed with the key's stream, in memory; with writeBack also
// written over the file. Empty when the file cannot be read.
QByteArray LoadUnscrambled(const QString& fileName, const QByteArray& key, bool writeBack);

// Rewrites the file scrambled with newKey instead of oldKey.
bool RekeyFile(const QString& fileName, const QByteArray& oldKey, const QByteArray& newKey);

// Row scrambling of bitmaps (preview names ending in .bmp): for each row,
// top first, the mix step (swapping the bytes at i and end - i for i = 0,
// 3, 6, ... up to half the row) and the XOR of the row's stored bytes,
// padding included; the stream runs on from row to row.
void ScrambleBitmapRows(QImage& bitmap, const QByteArray& key);
void UnscrambleBitmapRows(QImage& bitmap, const QByteArray& key);

// Scrambles a freshly written preview file with the key: the whole file for
// a JPEG name, the pixel rows for a BMP name, nothing for other names or an
// empty key (previews are scrambled exactly when the key is not empty).
bool ScramblePreviewFile(const QString& fileName, const QString& key);

// True when the name is of kind JPEG and the file does not decode as a
// JPEG (a missing file counts as scrambled).
bool IsScrambledPreview(const QString& fileName);

// True when the file, unscrambled in memory with the key, decodes as JPEG.
bool OpensWithKey(const QString& fileName, const QByteArray& key);

// Brings one JPEG preview file from oldKey to newKey: a plain file is
// scrambled with a non-empty new key; a file that opens with the old key is
// re-keyed (or left plain for an empty new key); anything else (another
// key, damaged, missing) is left as it is. Names of other kinds are left as
// they are: their bytes are not scrambled as a whole.
void RekeyPreviewFile(const QString& fileName, const QString& oldKey, const QString& newKey);

}  // namespace kv::pictures
