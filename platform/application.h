#pragma once
#include <QApplication>

// The program's application object. Its event dispatch is the top-level error handler:
// an exception escaping any handler is shown in a message box and the program goes on.
class MarlipanApplication : public QApplication {
public:
    MarlipanApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// False on Wayland, where the compositor alone decides which window stays on top (and
// where a window cannot place itself): Qt's stay-on-top hint does nothing there.
bool WindowSystemKeepsOnTop();
