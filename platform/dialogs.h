#pragma once
#include <QString>

// Message boxes and the busy cursor, as the game uses them.
void ShowMessage(const QString& text);                           // plain box, OK
bool AskYesNo(const QString& caption, const QString& question);  // true for Yes

// Sets the busy cursor for its lifetime and restores the cursor that was there before,
// on every path out of the scope.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
