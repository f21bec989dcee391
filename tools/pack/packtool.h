#pragma once
// What marlipan-pack does, as functions the tests call directly. Every refusal is a
// PackError (manifest.h) with a one-line message.

#include <QImageReader>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Songs as the game takes them. A plain YM song (tags YM2!, YM3!, YM3b, YM5!, YM6!) is
// packed with the LH5 packer; an LH5-packed one is kept as it is. Either way the result
// must load in the game's own engine and be playable, or it is refused with the reason.
std::vector<uint8_t> PrepareSong(const std::vector<uint8_t>& bytes, const QString& name);

// A JPEG file, by its first bytes.
bool IsJpeg(const std::vector<uint8_t>& bytes);

// A JPEG is kept as it is once the game's decoder has read it; anything else Qt reads
// is encoded to JPEG (quality 90), transparency laid over white.
std::vector<uint8_t> PreparePictureFile(const std::vector<uint8_t>& bytes, const QString& name);
// Throws PackError for a picture the game would refuse (a JPEG by the game's own decoder:
// its pixels, its scans, damage; any other format by its pixels). `reader` reads `bytes`;
// its allocation limit is raised to what the game's pixel limit needs.
void CheckPictureFile(const std::vector<uint8_t>& bytes, const QString& name, QImageReader& reader);

// The gamepack the manifest describes, as file bytes. Pictures are fitted to the board
// (picturefit.h); its advice goes to `notes`, each line naming the manifest line.
std::vector<uint8_t> BuildFromManifest(const QString& manifestPath,
                                       std::vector<std::string>* notes = nullptr);

// marlipan-pack build: writes the file atomically.
void BuildCommand(const QString& manifestPath, const QString& outPath,
                  std::vector<std::string>* notes = nullptr);

// Writes the file through a temporary one, so that it is never left half written.
void WriteFileAtomically(const QString& path, const uint8_t* data, size_t size);

// marlipan-pack info: every header field and each level's chunks, as UTF-8 text.
// Damaged values are shown as they are and marked; the text then ends with the fault
// and `damaged` is set.
std::string InfoText(const QString& path, bool* damaged = nullptr);

// marlipan-pack extract: levelNN.jpg and levelNN.ym for each level, and a manifest.txt
// that builds the gamepack again. Returns the names written, in order.
std::vector<QString> ExtractCommand(const QString& path, const QString& dir);
