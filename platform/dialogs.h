#pragma once
#include <QString>
#include <functional>

// The application title: the caption of the plain and the error message boxes.
inline const QString& ApplicationTitle() {
    static const QString title = QStringLiteral("Marlipan!");
    return title;
}

// Message boxes and the busy cursor, as the game uses them.
//
// A box belongs to the main window (given here for its lifetime) once that is on screen,
// so that the window system keeps the box above it; a box over a modal dialog belongs to
// the dialog. Before the window shows, a box has no parent and appears on its own.
class QWidget;
void SetMessageBoxOwner(QWidget* window);
void ShowMessage(const QString& text);                           // plain box, OK
void ShowError(const QString& text);                             // error box; adds the full stop
bool AskYesNo(const QString& caption, const QString& question);  // true for Yes

// A menu, a message box or another modal window is open: the frame loop waits meanwhile,
// as it would inside the window system's own loop for them.
bool ModalOrPopupOpen();

// Tests answer message boxes through these instead of a modal box.
struct DialogHooks {
    std::function<void(const QString& text)> message;  // ShowMessage and ShowError
    std::function<bool(const QString& caption, const QString& question)> question;
};
void SetDialogHooks(DialogHooks hooks);

// Sets the busy cursor for its lifetime and restores the cursor that was there before,
// on every path out of the scope.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
