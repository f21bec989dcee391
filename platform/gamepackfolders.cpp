#include "platform/gamepackfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#ifndef MARLIPAN_GAMEPACKS_FROM_BINARY
#define MARLIPAN_GAMEPACKS_FROM_BINARY "../share/marlipan/gamepacks"
#endif

namespace fs = std::filesystem;

namespace platform {

namespace {

const char kSubfolder[] = "/marlipan/gamepacks";

std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string PathIn(const QString& folder, const std::string& name) {
    return folder.isEmpty() ? name : Bytes(folder) + "/" + name;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool ReadAll(const std::string& path, std::vector<char>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool HasBytes(const std::string& path, const std::vector<char>& bytes) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size != bytes.size()) return false;
    std::vector<char> other;
    return ReadAll(path, other) && other == bytes;
}

}  // namespace

bool IsGamepackName(const std::string& name) {
    static const char ext[] = ".spx";
    const size_t n = sizeof ext - 1;
    if (name.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != ext[i]) return false;
    return true;
}

QString PlayerGamepackFolder() {
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return home.isEmpty() ? QString() : home + kSubfolder;
}

bool MakePlayerGamepackFolder() {
    const QString folder = PlayerGamepackFolder();
    return !folder.isEmpty() && QDir().mkpath(folder);
}

namespace {

// The player's folder and the installed ones that exist, in lookup order, each once.
std::vector<std::pair<QString, fs::path>> DataFolders() {
    // $XDG_DATA_HOME first (the player's folder), then $XDG_DATA_DIRS.
    QStringList candidates;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << dir + kSubfolder;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + "/" MARLIPAN_GAMEPACKS_FROM_BINARY;

    std::vector<std::pair<QString, fs::path>> folders;
    for (const QString& dir : candidates) {
        if (dir.isEmpty()) continue;
        std::error_code ec;
        const fs::path real = fs::canonical(Bytes(dir), ec);
        if (ec || !fs::is_directory(real, ec)) continue;
        if (std::any_of(folders.begin(), folders.end(), [&](const auto& f) { return f.second == real; })) continue;
        folders.emplace_back(QDir::cleanPath(dir), real);
    }
    return folders;
}

// The file a bare name finds wherever the game is started: the first of the player's and
// the installed folders that holds one; empty when none does.
std::string FindInDataFolders(const std::string& name) {
    for (const auto& folder : DataFolders()) {
        const std::string path = PathIn(folder.first, name);
        if (IsRegularFile(path)) return path;
    }
    return {};
}

}  // namespace

QStringList GamepackFolders() {
    QStringList folders{QString()};
    std::error_code ec;
    const fs::path current = fs::canonical(".", ec);
    for (const auto& folder : DataFolders())
        if (folder.second != current) folders << folder.first;
    return folders;
}

std::string FindGamepack(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return name;
    for (const QString& folder : GamepackFolders()) {
        const std::string path = PathIn(folder, name);
        if (IsRegularFile(path)) return path;
    }
    return name;
}

std::vector<std::string> ListGamepacks() {
    std::vector<std::string> names;
    std::set<std::string> known;
    bool currentDirectory = true;
    for (const QString& folder : GamepackFolders()) {
        std::error_code ec;
        const fs::path dir = folder.isEmpty() ? fs::path(".") : fs::path(Bytes(folder));
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (!IsGamepackName(name) || known.count(name)) continue;
            std::error_code type;
            if (!currentDirectory && !it->is_regular_file(type)) continue;
            known.insert(name);
            names.push_back(std::move(name));
        }
        currentDirectory = false;
    }
    // A Linux listing comes in no useful order; a Windows one is sorted by name, ignoring case.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = QString::compare(QFile::decodeName(QByteArray::fromStdString(a)),
                                       QFile::decodeName(QByteArray::fromStdString(b)), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

ImportedGamepack ImportGamepack(const std::string& path) {
    const std::string base = fs::path(path).filename().string();
    std::vector<char> bytes;
    if (base.empty() || !ReadAll(path, bytes))
        throw std::runtime_error("Can't read the gamepack '" + path + "'");

    // A file without the gamepack extension still gets it, or the settings would not list it.
    std::string stem = base, ext = ".spx";
    if (IsGamepackName(base)) {
        stem = base.substr(0, base.size() - ext.size());
        ext = base.substr(base.size() - ext.size());
    }
    const auto same = [&](const std::string& found) {
        std::error_code ec;
        return fs::equivalent(found, path, ec) || HasBytes(found, bytes);
    };
    const std::string ownName = stem + ext;
    const QString folder = PlayerGamepackFolder();
    for (int n = 1; n <= 999; ++n) {
        const std::string name = n == 1 ? ownName : stem + "-" + std::to_string(n) + ext;
        const std::string taken = n == 1 ? std::string() : ownName;
        // Here the name must open this pack ...
        const std::string here = FindGamepack(name);
        if (IsRegularFile(here) && !same(here)) continue;  // another pack answers to it here
        // ... and from any other folder too; the current one is not searched from there.
        const std::string kept = FindInDataFolders(name);
        if (!kept.empty()) {
            if (same(kept)) return {name, false, taken};
            continue;  // another pack answers to it elsewhere
        }
        if (folder.isEmpty()) break;
        std::error_code ec;
        const std::string target = PathIn(folder, name);
        if (fs::exists(fs::symlink_status(target, ec))) continue;  // not a file, but taken
        if (!MakePlayerGamepackFolder())
            throw std::runtime_error("Can't create the gamepack folder '" + Bytes(folder) + "'");
        QSaveFile out(QFile::decodeName(QByteArray::fromStdString(target)));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
            !out.commit())
            throw std::runtime_error("Can't copy the gamepack to '" + target + "': " + out.errorString().toStdString());
        return {name, true, taken};
    }
    throw std::runtime_error("Can't copy the gamepack '" + path + "' into the gamepack folder");
}

}  // namespace platform
