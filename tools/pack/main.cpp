// marlipan-pack: makes, inspects and unpacks gamepacks (docs/gamepacks.md).
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>

#include "tools/pack/packtool.h"

namespace {

const char kUsage[] =
    "usage: marlipan-pack build MANIFEST OUT.spx | info FILE.spx | extract FILE.spx DIR";

int Fail(const char* message) {
    std::fprintf(stderr, "marlipan-pack: %s\n", message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // Qt's image plugins need it
    const QStringList args = app.arguments();
    const QString command = args.size() > 1 ? args[1] : QString();
    try {
        if (command == "build" && args.size() == 4) {
            BuildCommand(args[2], args[3]);
        } else if (command == "info" && args.size() == 3) {
            bool damaged = false;
            std::string text = InfoText(args[2], &damaged);
            std::fputs(text.c_str(), stdout);
            if (damaged) return Fail(("'" + args[2].toStdString() + "' is damaged").c_str());
        } else if (command == "extract" && args.size() == 4) {
            for (const QString& name : ExtractCommand(args[2], args[3]))
                std::printf("%s\n", name.toUtf8().constData());
        } else if (command == "--help" || command == "-h") {
            std::printf("%s\n", kUsage);
        } else {
            std::fprintf(stderr, "%s\n", kUsage);
            return 2;
        }
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return 0;
}
