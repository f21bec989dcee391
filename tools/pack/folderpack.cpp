#include "tools/pack/folderpack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

#include <algorithm>

#include "gamepack/ansi.h"
#include "gamepack/gamepackformat.h"
#include "music/ymplayer.h"
#include "tools/pack/manifest.h"
#include "tools/pack/packtool.h"

namespace {

bool IsDigit(QChar c) { return c >= '0' && c <= '9'; }

int NaturalCompare(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            qsizetype ai = i, bj = j;
            while (i < a.size() && IsDigit(a[i])) ++i;
            while (j < b.size() && IsDigit(b[j])) ++j;
            QStringView da = QStringView(a).mid(ai, i - ai), db = QStringView(b).mid(bj, j - bj);
            while (da.size() > 1 && da[0] == '0') da = da.mid(1);
            while (db.size() > 1 && db[0] == '0') db = db.mid(1);
            if (da.size() != db.size()) return da.size() < db.size() ? -1 : 1;
            if (int c = da.compare(db)) return c;
            continue;
        }
        const char16_t ca = a[i].toCaseFolded().unicode(), cb = b[j].toCaseFolded().unicode();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    const bool aLeft = i < a.size(), bLeft = j < b.size();
    return aLeft == bLeft ? 0 : aLeft ? 1 : -1;
}

// Letters with a stroke or bar, which Unicode does not decompose into a plain letter
// and a mark as it does "ő" or "ź", and which Windows-1252 lacks: each with its plain
// letter. (Latin letters Windows-1252 holds, such as "Ø" and "ß", never get here.)
const char16_t kStrokedLetters[] = u"ŁLłlĐDđdĦHħhŦTŧtƀbƗIɨiƵZƶzǤGǥgıiĸkŊNŋnĿLŀl";

QChar PlainLetter(QChar c) {
    for (size_t i = 0; kStrokedLetters[i]; i += 2)
        if (kStrokedLetters[i] == c.unicode()) return QChar(kStrokedLetters[i + 1]);
    return QString(c).normalized(QString::NormalizationForm_D).at(0);
}

// Windows-1252 text of at most `capacity` characters, close to `text`.
std::string AnsiApproximation(const QString& text, size_t capacity) {
    std::string out;
    for (QChar c : text) {
        if (out.size() == capacity) break;
        if (c.isLowSurrogate()) continue;  // its high half already stood for the character
        std::string one;
        if (c.unicode() < 0x20) {
            one = " ";
        } else if (!ToAnsi(QString(c), one)) {
            // A letter with marks Windows-1252 lacks becomes its plain letter, if that fits.
            if (c.isHighSurrogate() || !ToAnsi(QString(PlainLetter(c)), one)) one = "?";
        }
        out += one;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

QString Value(const std::string& ansi) { return EscapeManifestValue(FromAnsi(ansi)); }

// A path as a manifest line holds it: relative to the manifest, '#' escaped, and a leading
// blank (which the line's trimming would drop) kept behind "./".
QString PathValue(const QDir& base, const QString& file) {
    const QString absolute = QFileInfo(file).absoluteFilePath();
    QString rel = base.relativeFilePath(absolute);
    if (rel.startsWith("../")) rel = absolute;  // a file from elsewhere, such as the song
    if (rel.startsWith(' ')) rel = "./" + rel;
    return EscapeManifestValue(rel);
}

std::string Quote(const QString& s) { return "'" + s.toStdString() + "'"; }

}  // namespace

bool NaturalLess(const QString& a, const QString& b) {
    const int c = NaturalCompare(a, b);
    return c ? c < 0 : a < b;
}

QStringList FolderPictures(const QString& dir) {
    QSet<QString> suffixes;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        suffixes.insert(QString::fromLatin1(format).toLower());
    QStringList pictures;
    for (const QString& name : QDir(dir).entryList(QDir::Files, QDir::NoSort))
        if (suffixes.contains(QFileInfo(name).suffix().toLower())) pictures.append(name);
    std::sort(pictures.begin(), pictures.end(), NaturalLess);
    return pictures;
}

std::string LevelNameFromFile(const QString& fileName) {
    QString name = QFileInfo(fileName).completeBaseName();
    name.replace('_', ' ');
    return AnsiApproximation(name.simplified(), kNameCapacity);
}

QByteArray FolderManifest(const QString& dirPath, const QString& manifestPath,
                          const FolderPackOptions& o, std::vector<std::string>* notes) {
    const QDir dir(dirPath);
    if (!QFileInfo(dirPath).isDir())
        throw PackError(Quote(dirPath) + " is not a folder");
    QStringList pictures;
    for (const QString& name : FolderPictures(dirPath)) {
        if (name.contains('\n') || name.contains('\r')) {
            if (notes) notes->push_back("picture " + Quote(name) + " is left out: its name holds a line break");
            continue;
        }
        pictures.append(name);
    }
    if (pictures.isEmpty())
        throw PackError("no pictures in " + Quote(dirPath) + " (JPEG, PNG or another kind Qt reads)");
    if (pictures.size() > kMaxLevels && notes)
        notes->push_back(Quote(dirPath) + " holds " + std::to_string(pictures.size()) +
                         " pictures and a gamepack ten levels: the first ten are taken, the "
                         "manifest lists the others as comments");

    // The options, checked here so that a refusal names the option, not a manifest line.
    const int size = o.size.toInt();
    if (size < 3 || size > 7) throw PackError("--size: \"" + o.size.toStdString() + "\" is not 3, 4, 5, 6 or 7");
    QString difficulty = o.difficulty.isEmpty() ? QString(DifficultyNames[size - 3]) : o.difficulty;
    bool knownDifficulty = false;
    for (int i = 0; i < kDifficultyCount; ++i)
        knownDifficulty = knownDifficulty || difficulty.compare(DifficultyNames[i], Qt::CaseInsensitive) == 0;
    if (!knownDifficulty)
        throw PackError("--difficulty: \"" + difficulty.toStdString() +
                        "\" is not one of Very Easy, Easy, Medium, Hard, Impossible");
    bool knownTimer = o.timer.compare("none", Qt::CaseInsensitive) == 0;
    for (int i = 1; i < kTimeLimitCount; ++i) knownTimer = knownTimer || o.timer == QString::number(TimeLimits[i]);
    if (!knownTimer)
        throw PackError("--timer: \"" + o.timer.toStdString() +
                        "\" is not none or one of 30 60 90 120 150 180 210 240 270 300 600 1200 (seconds)");
    std::string description;
    if (o.description.isEmpty()) {
        description = AnsiApproximation("Pictures from " + QFileInfo(dir.absolutePath()).fileName(),
                                        kDescriptionCapacity);
    } else if (!ToAnsi(o.description, description) || description.size() > kDescriptionCapacity) {
        throw PackError("--description: at most 255 characters of Windows-1252 text fit");
    }

    const QFileInfo manifestInfo(manifestPath);
    const QDir base = manifestInfo.absoluteDir();
    QString song, title;
    if (!o.song.isEmpty()) {
        QFile f(o.song);
        if (!f.open(QIODevice::ReadOnly))
            throw PackError("--song: can't read " + Quote(o.song) + ": " + f.errorString().toStdString());
        const QByteArray raw = f.readAll();
        // Checked as the build will check it, and asked for its own title.
        const std::vector<uint8_t> packed = PrepareSong(std::vector<uint8_t>(raw.begin(), raw.end()), o.song);
        std::string ansi;
        if (!o.title.isEmpty()) {
            if (!ToAnsi(o.title, ansi) || ansi.size() > kNameCapacity)
                throw PackError("--title: at most 50 characters of Windows-1252 text fit");
        } else {
            CYmEngine engine(nullptr);
            engine.LoadSong(packed.data(), packed.size());
            ansi = AnsiApproximation(FromAnsi(engine.Song().SongName).simplified(), kNameCapacity);
            if (ansi.empty()) ansi = LevelNameFromFile(o.song);
        }
        song = PathValue(base, o.song);
        title = Value(ansi);
    }

    QString text = "# Made by \"marlipan-pack build\" from the pictures in " +
                   QFileInfo(dir.absolutePath()).fileName() +
                   ", in name order.\n# Change what you like, then build again from this file:\n"
                   "#   marlipan-pack build " + manifestInfo.fileName() + " PACK.spx\n";
    text += "description: " + Value(description) + "\n";
    text += "difficulty: " + difficulty + "\n";
    text += "size: " + QString::number(size) + "\n";
    text += "timer: " + o.timer + "\n";
    for (int i = 0; i < pictures.size(); ++i) {
        const QString comment = i < kMaxLevels ? "" : "# ";
        if (i == kMaxLevels) text += "\n# Left out: a gamepack holds ten levels.\n";
        std::string name = LevelNameFromFile(pictures[i]);
        if (name.empty()) name = "Level " + std::to_string(i + 1);
        text += "\n" + comment + "level: " + Value(name) + "\n";
        text += comment + "picture: " + PathValue(base, dir.filePath(pictures[i])) + "\n";
        if (!song.isEmpty()) {
            text += comment + "song: " + song + "\n";
            text += comment + "title: " + title + "\n";
        }
    }
    return text.toUtf8();
}

QString FolderBuildCommand(const QString& dir, const QString& outPath, const FolderPackOptions& o,
                           std::vector<std::string>* notes) {
    QString manifest = o.manifest;
    if (manifest.isEmpty()) {
        const QFileInfo out(outPath);
        manifest = QDir::cleanPath(out.path() + "/" + out.completeBaseName() + ".manifest");
    }
    const QByteArray text = FolderManifest(dir, manifest, o, notes);
    ParseManifest(text, manifest);  // a name or path the format cannot hold stops here
    QFile existing(manifest);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly) || existing.readAll() != text)
            throw PackError(Quote(manifest) + " exists and may hold your changes: build from it "
                            "(marlipan-pack build " + manifest.toStdString() + " " + outPath.toStdString() +
                            "), or delete it, or give another with --manifest FILE");
    } else {
        WriteFileAtomically(manifest, reinterpret_cast<const uint8_t*>(text.constData()), size_t(text.size()));
    }
    BuildCommand(manifest, outPath, notes);
    return manifest;
}
