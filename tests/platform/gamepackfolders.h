#pragma once
// A temporary current directory, player's data home and two installed data folders, for
// tests of where gamepacks are found. The environment and the current directory are put
// back when it goes.

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <string>

class TestGamepackFolders {
public:
    TestGamepackFolders()
        : oldDir_(QDir::currentPath()), oldHome_(qgetenv("XDG_DATA_HOME")), oldDirs_(qgetenv("XDG_DATA_DIRS")) {
        for (const char* sub : {"cwd", "home/marlipan/gamepacks", "share1/marlipan/gamepacks", "share2/marlipan/gamepacks"})
            QDir().mkpath(root_.filePath(sub));
        QDir::setCurrent(root_.filePath("cwd"));
        qputenv("XDG_DATA_HOME", root_.filePath("home").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (root_.filePath("share1") + ":" + root_.filePath("share2")).toLocal8Bit());
    }
    ~TestGamepackFolders() {
        QDir::setCurrent(oldDir_);
        qputenv("XDG_DATA_HOME", oldHome_);
        qputenv("XDG_DATA_DIRS", oldDirs_);
    }
    bool valid() const { return root_.isValid(); }

    // Paths of a file in each folder.
    std::string Cwd(const std::string& name) const { return In("cwd", name); }
    std::string Player(const std::string& name) const { return In("home/marlipan/gamepacks", name); }
    std::string Installed(const std::string& name, int which = 1) const {
        return In(which == 1 ? "share1/marlipan/gamepacks" : "share2/marlipan/gamepacks", name);
    }
    std::string Outside(const std::string& name) const { return In("", name); }

private:
    std::string In(const char* folder, const std::string& name) const {
        const QString dir = *folder ? root_.filePath(folder) : root_.path();
        return QFile::encodeName(dir).toStdString() + "/" + name;
    }
    QTemporaryDir root_;
    QString oldDir_;
    QByteArray oldHome_, oldDirs_;
};
