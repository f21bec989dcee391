#include "tools/pack/manifest.h"

#include <QList>
#include <QStringDecoder>

#include "gamepack/ansi.h"
#include "gamepack/gamepackformat.h"

namespace {

class Parser {
public:
    explicit Parser(const QString& source) : source_(source) {}

    [[noreturn]] void Fail(int line, const QString& message) const {
        throw PackError((source_ + ":" + QString::number(line) + ": " + message).toStdString());
    }

    // Text value that the header stores in `capacity` Windows-1252 characters.
    std::string Ansi(int line, const QString& key, const QString& value, size_t capacity) const {
        std::string bytes;
        if (!ToAnsi(value, bytes)) {
            for (QChar c : value) {
                std::string one;
                if (!ToAnsi(QString(c), one))
                    Fail(line, key + ": the character '" + QString(c) +
                                   "' cannot be stored (gamepacks hold Windows-1252 text only)");
            }
            Fail(line, key + ": text cannot be stored as Windows-1252");
        }
        if (bytes.size() > capacity)
            Fail(line, QString("%1: %2 characters, at most %3 fit")
                           .arg(key).arg(bytes.size()).arg(capacity));
        return bytes;
    }

private:
    QString source_;
};

// A comment starts at a '#' that begins the line or follows a blank; "\#" is a '#'.
QString StripComment(const QString& line) {
    QString out;
    for (int i = 0; i < line.size(); ++i) {
        QChar c = line[i];
        if (c == '\\' && i + 1 < line.size() && line[i + 1] == '#') {
            out += '#';
            ++i;
            continue;
        }
        if (c == '#' && (i == 0 || line[i - 1].isSpace())) break;
        out += c;
    }
    return out;
}

}  // namespace

QString EscapeManifestValue(const QString& value) {
    QString out = value;
    out.replace("#", "\\#");
    return out;
}

Manifest ParseManifest(const QByteArray& utf8, const QString& source) {
    Parser p(source);
    Manifest m;
    bool seenDescription = false, seenTimer = false;
    int difficultyLine = 0, sizeLine = 0;
    const QList<QByteArray> lines = utf8.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        const int line = n + 1;
        QByteArray raw = lines[n];
        if (raw.endsWith('\r')) raw.chop(1);
        if (n == 0 && raw.startsWith("\xEF\xBB\xBF")) raw.remove(0, 3);
        // Stateless: a line that ends inside a character (a Windows-1252 "Caf\xE9") is an
        // error, not a character held back for input that never comes.
        QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = decode(raw);
        if (decode.hasError())
            p.Fail(line, "not valid UTF-8 (save the manifest as UTF-8)");
        text = StripComment(text).trimmed();
        if (text.isEmpty()) continue;
        int colon = text.indexOf(':');
        if (colon <= 0) p.Fail(line, "expected \"key: value\"");
        const QString key = text.left(colon).trimmed();
        const QString value = text.mid(colon + 1).trimmed();
        ManifestLevel* level = m.levels.empty() ? nullptr : &m.levels.back();
        auto once = [&](bool& seen) {
            if (seen) p.Fail(line, key + ": given twice");
            seen = true;
        };
        auto inLevel = [&]() -> ManifestLevel& {
            if (!level) p.Fail(line, key + ": comes before the first \"level:\" line");
            return *level;
        };

        if (key == "description") {
            once(seenDescription);
            m.description = p.Ansi(line, key, value, kDescriptionCapacity);
        } else if (key == "difficulty") {
            if (difficultyLine) p.Fail(line, key + ": given twice");
            difficultyLine = line;
            for (int i = 0; i < kDifficultyCount; ++i)
                if (value.compare(DifficultyNames[i], Qt::CaseInsensitive) == 0) m.difficulty = i;
            if (m.difficulty < 0)
                p.Fail(line, "difficulty: \"" + value +
                                 "\" is not one of Very Easy, Easy, Medium, Hard, Impossible");
        } else if (key == "size") {
            if (sizeLine) p.Fail(line, key + ": given twice");
            sizeLine = line;
            for (int i = 0; i < kSizeCount; ++i)
                if (value == SizeTexts[i]) m.sizeIndex = i;
            if (m.sizeIndex < 0) p.Fail(line, "size: \"" + value + "\" is not 3, 4, 5, 6 or 7");
        } else if (key == "timer") {
            once(seenTimer);
            m.timerIndex = -1;
            if (value.compare("none", Qt::CaseInsensitive) == 0) m.timerIndex = 0;
            for (int i = 1; i < kTimeLimitCount; ++i)
                if (value == QString::number(TimeLimits[i])) m.timerIndex = i;
            if (m.timerIndex < 0)
                p.Fail(line, "timer: \"" + value +
                                 "\" is not none or one of 30 60 90 120 150 180 210 240 270 "
                                 "300 600 1200 (seconds)");
        } else if (key == "level") {
            if (int(m.levels.size()) == kMaxLevels)
                p.Fail(line, QString("level: a gamepack holds at most %1 levels").arg(kMaxLevels));
            ManifestLevel l;
            l.line = line;
            l.name = p.Ansi(line, "level name", value, kNameCapacity);
            m.levels.push_back(l);
        } else if (key == "picture") {
            ManifestLevel& l = inLevel();
            if (l.pictureLine) p.Fail(line, "picture: given twice for this level");
            if (value.isEmpty()) p.Fail(line, "picture: no file named");
            l.picture = value;
            l.pictureLine = line;
        } else if (key == "song") {
            ManifestLevel& l = inLevel();
            if (l.songLine) p.Fail(line, "song: given twice for this level");
            if (value.isEmpty()) p.Fail(line, "song: no file named");
            l.song = value;
            l.songLine = line;
        } else if (key == "title") {
            ManifestLevel& l = inLevel();
            if (l.titleLine) p.Fail(line, "title: given twice for this level");
            l.titleLine = line;
            l.title = p.Ansi(line, "title", value, kNameCapacity);
        } else {
            p.Fail(line, "unknown key \"" + key +
                             "\" (keys: description, difficulty, size, timer, level, picture, "
                             "song, title)");
        }
    }
    const int last = int(lines.size());
    if (m.difficulty < 0) p.Fail(last, "no \"difficulty:\" line");
    if (m.sizeIndex < 0) p.Fail(last, "no \"size:\" line");
    if (m.levels.empty()) p.Fail(last, "no \"level:\" line");
    for (const ManifestLevel& l : m.levels)
        if (!l.pictureLine) p.Fail(l.line, "level: has no \"picture:\" line");
    return m;
}
