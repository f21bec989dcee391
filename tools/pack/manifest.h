#pragma once
// The text manifest that marlipan-pack builds a gamepack from (documented in
// docs/gamepacks.md). Parsing checks the text only; files are read by packtool.

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

// A refusal of marlipan-pack: what() is one line for the user.
class PackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ManifestLevel {
    int line = 0;           // of its "level:" line, for messages
    std::string name;       // Windows-1252 bytes
    QString picture;        // as written, relative to the manifest's folder
    int pictureLine = 0;
    QString song;           // empty: no music
    int songLine = 0;
    std::string title;      // Windows-1252 bytes
    int titleLine = 0;
};

struct Manifest {
    std::string description;  // Windows-1252 bytes
    int difficulty = -1;      // index into DifficultyNames
    int sizeIndex = -1;       // index into SizeTexts
    int timerIndex = 0;       // index into TimeLimits, 0 for none
    std::vector<ManifestLevel> levels;
};

// `source` names the manifest in messages ("packs/start.txt:12: ..."). Throws PackError.
Manifest ParseManifest(const QByteArray& utf8, const QString& source);

// The value as a manifest line holds it: a '#' that would start a comment is escaped.
QString EscapeManifestValue(const QString& value);
