// Opening a gamepack file named on the command line (what a file manager runs on a
// double-click). The settings, the saved game and the Top 10 keep a gamepack as a bare
// file name of at most 50 or 255 bytes, so the file is made reachable by such a name from
// wherever the game starts next: it is used where it lies when it lies in the player's
// gamepack folder or an installed one, and copied into the player's folder otherwise (also
// from the current folder, which the next start, from a menu, does not search).
#include <QFile>

#include "app/mainwindow.h"
#include "gamepack/gamepackfile.h"
#include "platform/dialogs.h"
#include "platform/gamepackfolders.h"

bool MainWindow::OpenGamepackFile(const std::string& path) {
    try {
        // The header and the first level's chunks are checked before anything is copied
        // or changed; a damaged file leaves the game as it was.
        ReadGamepackLevel(path, 0);
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
        return false;
    }
    platform::ImportedGamepack pack;
    try {
        pack = platform::ImportGamepack(path);
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
        return false;
    }
    if (!pack.nameTaken.empty()) {
        const auto decoded = [](const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); };
        ShowMessage(QString("Another gamepack is already known as \"%1\", so this one was added to your "
                            "gamepacks as \"%2\". Both are kept.")
                        .arg(decoded(pack.nameTaken), decoded(pack.name)));
    }
    Settings.ChooseGamepack(pack.name);
    try {
        newGame();
    } catch (const std::exception& e) {
        // A picture that cannot be decoded: shown as the top-level handler shows it (this
        // may run before the event loop, outside that handler); the Loading screen stays.
        ShowError(QString::fromLocal8Bit(e.what()));
        return false;
    }
    return Settings.GamepackName == pack.name;
}
