#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/mainwindow.h"
#include "platform/application.h"
#include "platform/gamepackfolders.h"
#include "platform/sdlaudio.h"
#include "platform/store.h"

namespace {

// `marlipan [FILE]`; prints and exits for --help and --version, and for more than one file.
QStringList ParseCommandLine(const QCoreApplication& app) {
    QCommandLineParser options;
    options.setApplicationDescription("A sliding picture puzzle with chiptune music.");
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument("FILE", "A gamepack (.spx) to start playing.", "[FILE]");
    options.process(app);
    if (options.positionalArguments().size() > 1) {
        std::fputs("marlipan: give at most one gamepack file\n", stderr);
        std::exit(2);
    }
    return options.positionalArguments();
}

bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered without a window system, so that they work in any terminal.
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication core(argc, argv);
        core.setApplicationVersion("1.10");
        ParseCommandLine(core);
    }
    MarlipanApplication app(argc, argv);
    const QStringList files = ParseCommandLine(app);

    // Made on the first start, so that the player finds where new gamepacks go.
    platform::MakePlayerGamepackFolder();
    QSettingsStore store;
    // Made before the window and gone after it: the music engine plays through it.
    platform::SdlAudio audio;
    MainWindow form(store, &audio);
    if (form.StartFailed()) return 1;
    form.show();
    if (!files.isEmpty()) form.OpenGamepackFile(QFile::encodeName(files.first()).toStdString());
    return app.exec();
}
