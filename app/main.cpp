#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "app/mainwindow.h"
#include "platform/application.h"
#include "platform/gamepackfolders.h"
#include "platform/sdlaudio.h"
#include "platform/store.h"
#include "solver/tables.h"

namespace {

constexpr const char* kVersion = "1.10";

// `marlipan [FILE]`, and the options every Qt program takes (-style, -platform, -reverse
// ...), which the toolkit removes only once it has reached the window system.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help, version;
    CommandLine() : help(parser.addHelpOption()), version(parser.addVersionOption()) {
        parser.setApplicationDescription("A sliding picture puzzle with chiptune music.");
        parser.addPositionalArgument("FILE", "A gamepack (.spx) to start playing.", "[FILE]");
        // Qt's own options are single words after one dash.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                 "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session", "display",
                                 "name", "visual", "style", "stylesheet", "qmljsdebugger"})
            Hidden(QCommandLineOption(name, QString(), "value"));
        for (const char* name : {"reverse", "testability", "nograb", "dograb", "widgetcount"})
            Hidden(QCommandLineOption(name));
    }
    void Hidden(QCommandLineOption option) {
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
};

[[noreturn]] void Refuse(const QString& why) {
    QString text = why;
    if (text.endsWith('.')) text.chop(1);
    if (!text.isEmpty()) text[0] = text[0].toLower();
    std::fprintf(stderr, "marlipan: %s\nusage: marlipan [--help] [--version] [FILE.spx]\n", text.toLocal8Bit().constData());
    std::exit(2);
}

// Checks the arguments before anything reaches the window system, so that a mistake is
// told as such in any terminal; prints and exits for --help and --version. Returns the
// gamepack file to open, if one is named.
QStringList ParseCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine line;
    if (!line.parser.parse(arguments)) Refuse(line.parser.errorText());
    if (line.parser.isSet(line.help) || line.parser.isSet("help-all") || line.parser.isSet(line.version)) {
        QCoreApplication core(argc, argv);
        core.setApplicationVersion(kVersion);
        line.parser.process(core);  // prints and exits
    }
    if (line.parser.positionalArguments().size() > 1) Refuse("give at most one gamepack file");
    return line.parser.positionalArguments();
}

}  // namespace

int main(int argc, char** argv) {
    const QStringList files = ParseCommandLine(argc, argv);
    MarlipanApplication app(argc, argv);

    // Made on the first start, so that the player finds where new gamepacks go.
    platform::MakePlayerGamepackFolder();
    QSettingsStore store;
    // Made before the window and gone after it: the music engine plays through it.
    platform::SdlAudio audio;
    // The solver's pattern databases, built on first use into the player's cache folder;
    // nothing is read or built before a hint or a fewest-moves search asks for them.
    auto tables = std::make_shared<solver::TableStore>(solver::TableStore::DefaultCacheFolder());
    MainWindow form(store, &audio, tables);
    if (form.StartFailed()) return 1;
    form.show();
    if (!files.isEmpty()) form.OpenGamepackFile(QFile::encodeName(files.first()).toStdString());
    return app.exec();
}
