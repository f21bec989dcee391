#pragma once
#include <QApplication>

// The program's application object. Its event dispatch is the top-level error handler:
// an exception escaping any handler is shown in a message box and the program goes on.
class MarlipanApplication : public QApplication {
public:
    MarlipanApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error the way the top-level handler does: the text with a full stop added,
// in a message box captioned with the application title.
void ShowError(const QString& text);
