// marlipan-pack: makes, inspects and unpacks gamepacks (docs/gamepacks.md).
#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

#include <cstdio>
#include <exception>

#include "tools/pack/folderpack.h"
#include "tools/pack/manifest.h"
#include "tools/pack/packtool.h"

namespace {

const char kUsage[] =
    "usage: marlipan-pack build MANIFEST OUT.spx\n"
    "       marlipan-pack build FOLDER OUT.spx [--size 3..7] [--timer none|SECONDS]\n"
    "                 [--difficulty NAME] [--description TEXT] [--song FILE] [--title TEXT]\n"
    "                 [--manifest FILE]\n"
    "       marlipan-pack info FILE.spx\n"
    "       marlipan-pack extract FILE.spx DIR\n"
    "       marlipan-pack --help | --version";

const char kHelp[] =
    "\n"
    "build    makes a gamepack from a manifest, or from a folder of pictures (one level\n"
    "         each, in name order); a folder build also writes the manifest it used\n"
    "         (OUT.manifest, or --manifest FILE) to change and build again\n"
    "info     shows a gamepack's header and where its pictures and songs lie\n"
    "extract  writes a gamepack's pictures, songs and a manifest into DIR\n"
    "\n"
    "The manifest and the options: man marlipan-pack, and the pack maker's guide\n"
    "/usr/share/doc/marlipan/gamepacks.md.\n";

int Fail(const char* message) {
    std::fprintf(stderr, "marlipan-pack: %s\n", message);
    return 1;
}

int Usage() {
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
}

// The options of a folder build; false for one it does not know or one without its value.
bool ParseFolderOptions(const QStringList& args, FolderPackOptions& o) {
    for (int i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return false;
        const QString& key = args[i];
        const QString& value = args[i + 1];
        if (key == "--size") o.size = value;
        else if (key == "--timer") o.timer = value;
        else if (key == "--difficulty") o.difficulty = value;
        else if (key == "--description") o.description = value;
        else if (key == "--song") o.song = value;
        else if (key == "--title") o.title = value;
        else if (key == "--manifest") o.manifest = value;
        else return false;
    }
    return true;
}

void PrintNotes(const std::vector<std::string>& notes) {
    for (const std::string& note : notes) std::fprintf(stderr, "marlipan-pack: note: %s\n", note.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // Qt's image plugins need it
    // A damaged picture is reported once, by this tool, not also by Qt's image readers.
    QLoggingCategory::setFilterRules("qt.gui.imageio*=false");
    const QStringList args = app.arguments();
    const QString command = args.size() > 1 ? args[1] : QString();
    std::vector<std::string> notes;
    try {
        if (command == "build" && args.size() >= 4 && QFileInfo(args[2]).isDir()) {
            FolderPackOptions options;
            if (!ParseFolderOptions(args.mid(4), options)) return Usage();
            const QString manifest = FolderBuildCommand(args[2], args[3], options, &notes);
            PrintNotes(notes);
            std::printf("%s\n%s\n", args[3].toUtf8().constData(), manifest.toUtf8().constData());
        } else if (command == "build" && args.size() == 4) {
            BuildCommand(args[2], args[3], &notes);
            PrintNotes(notes);
        } else if (command == "info" && args.size() == 3) {
            bool damaged = false;
            std::string text = InfoText(args[2], &damaged);
            std::fputs(text.c_str(), stdout);
            if (damaged) return Fail(("'" + args[2].toStdString() + "' is damaged").c_str());
        } else if (command == "extract" && args.size() == 4) {
            for (const QString& name : ExtractCommand(args[2], args[3]))
                std::printf("%s\n", name.toUtf8().constData());
        } else if (command == "--help" || command == "-h") {
            std::printf("%s\n%s", kUsage, kHelp);
        } else if (command == "--version") {
            std::printf("marlipan-pack %s\n", MARLIPAN_VERSION);
        } else {
            return Usage();
        }
    } catch (const std::exception& e) {
        PrintNotes(notes);
        return Fail(e.what());
    }
    return 0;
}
