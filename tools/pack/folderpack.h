#pragma once
// marlipan-pack build DIR OUT.spx: a gamepack of the pictures in a folder. The command
// writes a manifest for them and builds from it like any other, so the player can refine
// that manifest and build again.

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct FolderPackOptions {
    QString size = "4";      // cells per side
    QString timer = "none";  // seconds, as a manifest's "timer:" takes it
    QString difficulty;      // empty: after the size, 3 Very Easy .. 7 Impossible
    QString description;     // empty: "Pictures from FOLDER"
    QString song;            // one song for every level; empty: no music
    QString title;           // the song's title; empty: the title the song holds, else its file name
    QString manifest;        // where the manifest goes; empty: beside OUT, as NAME.manifest
};

// Name order of the folder: case-insensitive and natural, so that "img2" comes before
// "IMG10"; digit runs compare by their value, and names that are equal that way (say
// "a01" and "A1") fall back to plain order.
bool NaturalLess(const QString& a, const QString& b);

// The files of `dir` that Qt reads as pictures (by extension), in NaturalLess order.
QStringList FolderPictures(const QString& dir);

// A level name from a file name: without its extension, underscores as spaces, a
// character Windows-1252 lacks as its plain letter ("ő" as "o", "Ł" as "L") or '?', cut to the 50
// characters a name holds.
std::string LevelNameFromFile(const QString& fileName);

// The manifest text for the folder: its first ten pictures as levels (the rest listed
// as comments), every level with the one song. Advice goes to `notes`. Throws PackError.
QByteArray FolderManifest(const QString& dir, const QString& manifestPath,
                          const FolderPackOptions& options, std::vector<std::string>* notes);

// Writes the manifest (refusing to replace one with other content, which may hold the
// player's changes) and builds OUT from it. Returns the manifest's path. Throws PackError.
QString FolderBuildCommand(const QString& dir, const QString& outPath,
                           const FolderPackOptions& options, std::vector<std::string>* notes);
