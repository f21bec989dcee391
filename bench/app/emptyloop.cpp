// The floor of every animated screen: a window with nothing in it, woken by a timer at the
// frame loop's pace and doing nothing else. bench/idle_cpu.sh measures it first, so that
// the game's figures can be read against what Qt's event loop alone costs on the machine.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "app/mainwindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(320, 300);
    window.show();
    // As the frame loop waits: single shot, started again when it fires.
    QTimer frame;
    frame.setTimerType(Qt::PreciseTimer);
    frame.setSingleShot(true);
    QObject::connect(&frame, &QTimer::timeout, [&frame] { frame.start(int(MainWindow::FrameWaitMs + 1)); });
    frame.start(int(MainWindow::FrameWaitMs + 1));
    return app.exec();
}
