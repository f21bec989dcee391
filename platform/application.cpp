#include "platform/application.h"

#include <exception>

#include <QIcon>

#include "platform/dialogs.h"
#include "resources/programresources.h"
#include "platform/keystate.h"

MarlipanApplication::MarlipanApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: Qt appends one to every window caption on X11 ("About — Marlipan!").
    // The title "Marlipan!" is the main window's caption and the message boxes' instead.
    setApplicationName("Marlipan");
    setOrganizationName("Dunmarsh");
    setApplicationVersion("1.10");  // as the About box shows it
    // The desktop entry's name: a Wayland compositor finds the window's icon through it.
    setDesktopFileName("com.dunmarsh.Marlipan");
    InitProgramResources();
    setWindowIcon(QIcon(":/icons/marlipan.png"));
    KeyState::Install(this);
}

bool WindowSystemKeepsOnTop() { return !QGuiApplication::platformName().startsWith("wayland"); }

bool MarlipanApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError("Unknown error");
    }
    return false;
}
