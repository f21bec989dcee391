#pragma once
// TForm3, "About": the game's name and version, the folder where more gamepacks go and a
// link that starts a mail about the game. Links open with the system's handler for them.

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(QWidget* owner, const QString& versionText);
    ~TForm3() override;

    QLabel* Image1;
    QLabel *Label1, *Label7;  // the title's shadow, and the title drawn over it
    QLabel *Label2, *Label8;  // version, credit line
    QLabel *Label3, *Label4;  // "More gamepacks" and its link
    QLabel *Label5, *Label6;  // "Send comments" and its link
    QPushButton* Button1;

    // Where the links lead: the player's own gamepack folder, where new packs go, and a new message with the subject "Marlipan".
    static QUrl GamepackFolderUrl();
    static QUrl CommentsUrl();

    void Label4Click();
    void Label6Click();
    void Label4MouseEnter();
    void Label4MouseLeave();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The hand cursor is pushed on the application's override stack on entering a link
    // and popped on leaving, which brings back whatever cursor was there before.
    bool handShown_ = false;
};
