#pragma once
// AboutBox, "About": the game's name and version, the folder where more gamepacks go and a
// link that starts a mail about the game. Links open with the system's handler for them.

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(QWidget* owner, const QString& versionText);
    ~AboutBox() override;

    QLabel* icon;
    QLabel *titleShadow, *title;  // the title's shadow, and the title drawn over it
    QLabel *version, *credit;  // "v1.10", the credit line
    QLabel *gamepacksCaption, *gamepacksLink;  // "More gamepacks" and its link
    QLabel *commentsCaption, *commentsLink;  // "Send comments" and its link
    QPushButton* okButton;

    // Where the links lead: the player's own gamepack folder, where new packs go, and a new message with the subject "Marlipan".
    static QUrl GamepackFolderUrl();
    static QUrl CommentsUrl();

    void openGamepackFolder();
    void writeComments();
    void showHandCursor();
    void hideHandCursor();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The hand cursor is pushed on the application's override stack on entering a link
    // and popped on leaving, which brings back whatever cursor was there before.
    bool handShown_ = false;
};
