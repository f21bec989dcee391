#pragma once
#include <QString>
#include <functional>

// The application title: the caption of the plain and the error message boxes.
inline const QString& ApplicationTitle() {
    static const QString title = QStringLiteral("Marlipan!");
    return title;
}

// Message boxes and the busy cursor, as the game uses them.
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
