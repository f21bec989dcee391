#include "tools/pack/packtool.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <cstring>
#include <sstream>

#include "gamepack/ansi.h"
#include "gamepack/gamepackfile.h"
#include "gamepack/picture.h"
#include "music/ymdecruncher.h"
#include "music/ymplayer.h"
#include "tools/lh5/lh5pack.h"
#include "tools/pack/manifest.h"
#include "tools/pack/picturefit.h"

namespace {

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::vector<uint8_t> ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw PackError("can't read '" + path.toStdString() + "': " + f.errorString().toStdString());
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw PackError("can't read '" + path.toStdString() + "': " + f.errorString().toStdString());
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void WriteAll(const QString& path, const uint8_t* data, size_t size) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size) || !f.commit())
        throw PackError("can't write '" + path.toStdString() + "': " + f.errorString().toStdString());
}

bool HasMethod(const std::vector<uint8_t>& b, const char* method) {
    return b.size() >= 7 && std::memcmp(b.data() + 2, method, 5) == 0;
}

bool LooksLikeLha(const std::vector<uint8_t>& b) {
    return b.size() >= 7 && b[2] == '-' && b[3] == 'l' && b[6] == '-';
}

bool IsPlainYm(const std::vector<uint8_t>& b) {
    static const char* const tags[] = {"YM2!", "YM3!", "YM3b", "YM5!", "YM6!"};
    if (b.size() < 4) return false;
    for (const char* t : tags)
        if (std::memcmp(b.data(), t, 4) == 0) return true;
    return false;
}

std::string Quote(const QString& name) { return "'" + name.toStdString() + "'"; }

bool StartsWith(const std::vector<uint8_t>& b, const char* tag, size_t at = 0) {
    const size_t n = std::strlen(tag);
    return b.size() >= at + n && std::memcmp(b.data() + at, tag, n) == 0;
}

// ABC music notation: a text file whose first line that is neither blank nor a comment
// is a tune's "X:" field (or that says "%abc" in its first line).
bool IsAbcText(const std::vector<uint8_t>& b) {
    if (StartsWith(b, "%abc")) return true;
    size_t i = StartsWith(b, "\xEF\xBB\xBF") ? 3 : 0;
    while (i < b.size()) {
        if (b[i] == '%' || b[i] == '\n' || b[i] == '\r' || b[i] == ' ' || b[i] == '\t') {
            while (i < b.size() && b[i] != '\n') ++i;
            ++i;
            continue;
        }
        return i + 1 < b.size() && b[i] == 'X' && b[i + 1] == ':';
    }
    return false;
}

// What a file that is no YM song is instead, with what to do about it; empty when
// it is none of the kinds people take for songs.
std::string OtherKindOfSong(const std::vector<uint8_t>& b, const QString& name) {
    if (StartsWith(b, "MThd")) {
        const QFileInfo info(name);
        const QString ym = info.path() == "." ? info.completeBaseName() + ".ym"
                                              : info.path() + "/" + info.completeBaseName() + ".ym";
        return "a MIDI file, not a YM song: import it first with \"marlipan-ym import " +
               name.toStdString() + " " + ym.toStdString() + "\" and give the YM song";
    }
    const char* what = nullptr;
    if (StartsWith(b, "RIFF") && StartsWith(b, "WAVE", 8)) what = "a WAV recording";
    else if (StartsWith(b, "OggS")) what = "an Ogg file (Vorbis, Opus, Speex or FLAC audio)";
    else if (StartsWith(b, "fLaC")) what = "a FLAC recording";
    else if (StartsWith(b, "ID3") || (b.size() >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0))
        what = "an MP3 recording";
    else if (IsAbcText(b))
        return "ABC music notation, not a YM song: abc2midi makes a MIDI file of it, and "
               "\"marlipan-ym import\" a YM song of that";
    if (!what) return "";
    return std::string(what) + ", not a YM song: the game plays only songs for its sound chip "
                               "(YM files; marlipan-ym imports MIDI files)";
}

// "Name": the header's bytes as UTF-8 text.
std::string Text(const std::string& ansi) { return FromAnsi(ansi).toUtf8().toStdString(); }

}  // namespace

std::vector<uint8_t> PrepareSong(const std::vector<uint8_t>& bytes, const QString& name) {
    std::vector<uint8_t> packed;
    const bool plain = !LooksLikeLha(bytes) && IsPlainYm(bytes);
    // What the file is comes first: another kind's bytes read as a packed size are noise.
    if (!plain && !LooksLikeLha(bytes)) {
        const std::string other = OtherKindOfSong(bytes, name);
        if (!other.empty()) throw PackError("song " + Quote(name) + " is " + other);
        throw PackError("song " + Quote(name) +
                        " is neither a YM song (YM2!, YM3!, YM3b, YM5!, YM6!) nor an "
                        "LH5-packed one");
    }
    const uint64_t unpacked = plain ? bytes.size() : ClaimedUnpackedSize(bytes.data(), bytes.size());
    if (unpacked > kMaxSongBytes)
        throw PackError("song " + Quote(name) + " is " + std::to_string(unpacked) +
                        " bytes unpacked; the game plays songs of at most " +
                        std::to_string(kMaxSongBytes) + " bytes");
    if (HasMethod(bytes, "-lh5-")) {
        packed = bytes;
    } else if (LooksLikeLha(bytes)) {
        throw PackError("song " + Quote(name) + " is packed with method " +
                        std::string(reinterpret_cast<const char*>(bytes.data()) + 2, 5) +
                        "; the game unpacks -lh5- only (unpack it and give the plain YM song)");
    } else {
        std::string member;
        if (!ToAnsi(QFileInfo(name).fileName(), member) || member.size() > 200) member = "song.ym";
        packed = lh5::PackArchive(bytes, member);
    }

    // The game's own engine decides what it can play.
    CYmEngine engine(nullptr);
    if (!engine.LoadSong(packed.data(), packed.size()))
        throw PackError("song " + Quote(name) + " cannot be unpacked by the game's LH5 decoder");
    if (!engine.Playable())
        throw PackError("song " + Quote(name) + " unpacks, but holds no song the game can play (" +
                        std::string(SongKindName(engine.Frames().Kind)) + ", " +
                        std::to_string(engine.Frames().FrameCount) + " frames)");
    if (plain) {
        CYmDecruncher check;
        if (!check.Decrunch(packed.data(), packed.size()) || check.OutputSize() != bytes.size() ||
            std::memcmp(check.Output(), bytes.data(), bytes.size()) != 0)
            throw PackError("song " + Quote(name) + ": packing did not give the song back unchanged");
    }
    return packed;
}

bool IsJpeg(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

void CheckPictureFile(const std::vector<uint8_t>& bytes, const QString& name, QImageReader& reader) {
    // A JPEG goes through the game's own decoder, which refuses what the game would: too
    // many pixels or scans, damage.
    if (IsJpeg(bytes)) {
        try {
            PreparePicture(bytes.data(), bytes.size(), 16);
        } catch (const PictureLimitError& e) {
            throw PackError("picture " + Quote(name) + " is refused by the game: " + e.what());
        } catch (const PictureError& e) {
            throw PackError("picture " + Quote(name) + " cannot be decoded: " + e.what() +
                            " (save it as an RGB or greyscale JPEG, or as PNG)");
        }
        return;
    }
    // The game's own pixel limit holds for every format. Qt refuses by default to
    // allocate more than 256 MiB for an image, which a picture under that limit can need
    // (8 bytes a pixel for 16-bit colour with alpha), so its limit is raised to match.
    reader.setAllocationLimit(int((kMaxPicturePixels * 8) >> 20) + 16);
    const QSize claimed = reader.size();
    if (claimed.isValid() && uint64_t(claimed.width()) * uint64_t(claimed.height()) > kMaxPicturePixels)
        throw PackError("picture " + Quote(name) + " is refused by the game: it has " +
                        std::to_string(claimed.width()) + " x " + std::to_string(claimed.height()) +
                        " pixels; at most " + std::to_string(kMaxPicturePixels) + " are decoded");
}

std::vector<uint8_t> PreparePictureFile(const std::vector<uint8_t>& bytes, const QString& name) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    CheckPictureFile(bytes, name, reader);
    if (IsJpeg(bytes)) return bytes;
    QImage image;
    if (!reader.read(&image)) {
        if (reader.error() == QImageReader::UnsupportedFormatError)
            throw PackError("picture " + Quote(name) + " is not a picture this tool can read");
        throw PackError("picture " + Quote(name) + " cannot be read: " +
                        reader.errorString().toStdString());
    }
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
    try {
        return EncodeJpeg(image, 90);
    } catch (const PictureError& e) {
        throw PackError("picture " + Quote(name) + " cannot be encoded: " + e.what());
    }
}

void WriteFileAtomically(const QString& path, const uint8_t* data, size_t size) {
    WriteAll(path, data, size);
}

std::vector<uint8_t> BuildFromManifest(const QString& manifestPath, std::vector<std::string>* notes) {
    std::vector<uint8_t> text = ReadAll(manifestPath);
    Manifest m = ParseManifest(QByteArray(reinterpret_cast<const char*>(text.data()),
                                          qsizetype(text.size())),
                               manifestPath);
    const QDir base = QFileInfo(manifestPath).absoluteDir();
    auto at = [&](int line, const PackError& e) {
        return PackError(manifestPath.toStdString() + ":" + std::to_string(line) + ": " + e.what());
    };

    GamepackSource src;
    src.Description = m.description;
    src.Difficulty = m.difficulty;
    src.SizeIndex = m.sizeIndex;
    src.TimerIndex = m.timerIndex;
    for (const ManifestLevel& l : m.levels) {
        GamepackLevelSource level;
        level.Name = l.name;
        level.SongTitle = l.title;
        try {
            QString picture = base.filePath(l.picture);
            std::vector<std::string> advice;
            level.Picture = FitPictureFile(ReadAll(picture), l.picture, &advice);
            for (const std::string& note : advice)
                if (notes) notes->push_back(at(l.pictureLine, PackError(note)).what());
        } catch (const PackError& e) {
            throw at(l.pictureLine, e);
        }
        if (l.songLine) {
            try {
                level.Song = PrepareSong(ReadAll(base.filePath(l.song)), l.song);
            } catch (const PackError& e) {
                throw at(l.songLine, e);
            } catch (const std::exception& e) {
                throw at(l.songLine, PackError(std::string("song: ") + e.what()));
            }
        }
        src.Levels.push_back(std::move(level));
    }
    try {
        return BuildGamepack(src);
    } catch (const std::invalid_argument& e) {
        throw PackError(manifestPath.toStdString() + ": " + e.what());
    }
}

void BuildCommand(const QString& manifestPath, const QString& outPath, std::vector<std::string>* notes) {
    std::vector<uint8_t> bytes = BuildFromManifest(manifestPath, notes);
    WriteAll(outPath, bytes.data(), bytes.size());
}

std::string InfoText(const QString& path, bool* damaged) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw PackError("can't open '" + path.toStdString() + "': " + f.errorString().toStdString());
    const int64_t fileSize = f.size();
    QByteArray raw = f.read(qint64(kGamepackHeaderSize));
    if (size_t(raw.size()) < kGamepackHeaderSize)
        throw PackError("'" + path.toStdString() + "' is too short to hold a gamepack header (" +
                        std::to_string(fileSize) + " bytes)");
    auto* bytes = reinterpret_cast<uint8_t*>(raw.data());
    ScrambleBytes(bytes, kGamepackHeaderSize);
    GamepackHeader h;
    ParseGamepackHeader(bytes, kGamepackHeaderSize, h);

    std::ostringstream out;
    auto field = [&](const char* name) -> std::ostringstream& {
        out << name << std::string(14 - std::strlen(name), ' ');
        return out;
    };
    auto indexed = [&](const char* name, int32_t v, int count, const std::string& text) {
        field(name) << v;
        if (v >= 0 && v < count) out << " (" << text << ")\n";
        else out << " (out of range)\n";
    };
    field("file:") << path.toStdString() << ", " << fileSize << " bytes\n";
    field("preamble:");
    for (size_t i = 0; i < h.Preamble.size(); ++i) {
        static const char hex[] = "0123456789ABCDEF";
        out << (i ? " " : "") << hex[h.Preamble[i] >> 4] << hex[h.Preamble[i] & 15];
    }
    out << "\n";
    field("description:") << Text(h.Description) << "\n";
    auto counted = [&](const char* name, int32_t v, int lo, int hi) {
        field(name) << v << (v >= lo && v <= hi ? "\n" : " (out of range)\n");
    };
    counted("levels:", h.LevelCount, 1, kMaxLevels);
    auto at = [](const char* const* table, int count, int32_t v) {
        return v >= 0 && v < count ? std::string(table[v]) : std::string();
    };
    indexed("difficulty:", h.Difficulty, kDifficultyCount,
            at(DifficultyNames, kDifficultyCount, h.Difficulty));
    {
        std::string cells = at(SizeTexts, kSizeCount, h.SizeIndex);
        indexed("size:", h.SizeIndex, kSizeCount, cells + " x " + cells + " cells");
    }
    indexed("timer:", h.TimerIndex, kTimeLimitCount,
            h.TimerIndex == 0 ? std::string("no limit")
            : h.TimerIndex > 0 && h.TimerIndex < kTimeLimitCount
                ? std::to_string(TimeLimits[h.TimerIndex]) + " s"
                : std::string());
    counted("song chunks:", h.SongCount, 0, kMaxLevels);

    std::string fault = ValidateGamepackHeader(h);
    const int shown = h.LevelCount < 0 ? 0 : h.LevelCount > kMaxLevels ? kMaxLevels : h.LevelCount;
    for (int i = 0; i < shown; ++i) {
        std::string label = "level " + std::to_string(i + 1) + ":";
        field(label.c_str()) << "\"" << Text(h.LevelNames[size_t(i)]) << "\"\n";
        int64_t picAt = PictureOffset(h, i), picSize = h.PictureSizes[size_t(i)];
        out << "  picture:    " << picSize << " bytes at offset " << picAt;
        bool inside = picSize > 0 && picAt <= fileSize && picSize <= fileSize - picAt;
        out << (inside ? "\n" : picSize < 0 ? " (out of range)\n" : picSize == 0 ? " (no picture)\n"
                                                                     : " (outside the file)\n");
        if (inside || !fault.empty()) {
        } else {
            fault = "the picture of level " + std::to_string(i + 1) + " lies outside the file";
        }
        int64_t songSize = h.SongSizes[size_t(i)];
        out << "  song:       \"" << Text(h.SongTitles[size_t(i)]) << "\", ";
        if (songSize == 0) {
            out << "no music\n";
        } else if (songSize < 0) {
            out << songSize << " bytes (out of range)\n";
        } else if (i >= h.SongCount) {
            out << songSize << " bytes, not stored (past the song chunks)\n";
        } else {
            int64_t songAt = SongOffset(h, i);
            bool songInside = songSize > 0 && songAt <= fileSize && songSize <= fileSize - songAt;
            out << songSize << " bytes at offset " << songAt
                << (songInside ? "\n" : " (outside the file)\n");
            if (!songInside && fault.empty())
                fault = "the song of level " + std::to_string(i + 1) + " lies outside the file";
        }
    }
    if (damaged) *damaged = !fault.empty();
    if (!fault.empty()) out << "damaged:      " << fault << "\n";
    return out.str();
}

std::vector<QString> ExtractCommand(const QString& path, const QString& dirPath) {
    GamepackFile file = GamepackFile::Open(Local(path));
    const GamepackHeader& h = file.header();
    QDir dir(dirPath);
    if (!dir.mkpath("."))
        throw PackError("can't create the folder '" + dirPath.toStdString() + "'");

    std::vector<QString> written;
    auto write = [&](const QString& name, const uint8_t* data, size_t size) {
        WriteAll(dir.filePath(name), data, size);
        written.push_back(name);
    };
    // Texts for the manifest: one line each, '#' escaped.
    auto value = [](const std::string& ansi) {
        QString s = FromAnsi(ansi);
        for (QChar& c : s)
            if (c.unicode() < 0x20) c = ' ';
        return EscapeManifestValue(s.trimmed());
    };

    QString manifest = "# Extracted from " + QFileInfo(path).fileName() +
                       " by marlipan-pack; \"marlipan-pack build\" makes it again.\n";
    if (!h.Description.empty()) manifest += "description: " + value(h.Description) + "\n";
    manifest += QString("difficulty: %1\n").arg(DifficultyNames[h.Difficulty]);
    manifest += QString("size: %1\n").arg(SizeTexts[h.SizeIndex]);
    manifest += "timer: " +
                (h.TimerIndex ? QString::number(h.TimeLimit()) : QString("none")) + "\n";
    CYmDecruncher decruncher;
    for (int i = 0; i < h.LevelCount; ++i) {
        GamepackLevel level = file.ReadLevel(i);
        const QString stem = QString("level%1").arg(i + 1, 2, 10, QChar('0'));
        manifest += "\nlevel: " + value(h.LevelNames[size_t(i)]) + "\n";
        write(stem + ".jpg", level.picture.data(), level.picture.size);
        manifest += "picture: " + stem + ".jpg\n";
        if (level.song.size > 0) {
            if (decruncher.Decrunch(level.song.data(), level.song.size)) {
                write(stem + ".ym", decruncher.Output(), decruncher.OutputSize());
                manifest += "song: " + stem + ".ym\n";
            } else {
                // Kept as stored, so nothing is lost; the game cannot play it either.
                write(stem + ".lha", level.song.data(), level.song.size);
                manifest += "# song: " + stem + ".lha (the game cannot unpack it)\n";
            }
        }
        if (!h.SongTitles[size_t(i)].empty())
            manifest += "title: " + value(h.SongTitles[size_t(i)]) + "\n";
    }
    QByteArray text = manifest.toUtf8();
    write("manifest.txt", reinterpret_cast<const uint8_t*>(text.constData()), size_t(text.size()));
    return written;
}
