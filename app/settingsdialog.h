#pragma once
// TForm2, "Game settings": picks the gamepack from the ".spx" files of the gamepack
// folders (platform/gamepackfolders.h), describes the selected one from its header, and sets the music volume (heard
// at once) and the slide speed (applied on OK).
//
// The dialog works on the main window's state through TForm2Links, so that this library
// needs nothing from the game: the three settings strings are changed in place, the music
// engine is asked for and given its volume, and a newly chosen gamepack is started through
// a callback.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class CYmEngine;
class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

struct TForm2Links {
    CYmEngine& MusicEngine;
    std::string& GamepackName;  // file-system bytes
    std::string& MusicVolume;   // decimal text
    std::string& SlideSpeed;    // decimal text
    QAction* Pause1 = nullptr;  // loses its check mark on OK; may be null
    // Starts level 0 of the gamepack now named by GamepackName. Called on OK only when
    // another gamepack than the one current at opening was chosen.
    std::function<void()> StartGamepack;
};

class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(QWidget* owner, TForm2Links links);

    QGroupBox* GroupBox1;
    QListWidget* ListBox1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QGroupBox* GroupBox2;
    QLabel *Label7, *Label8;
    QSlider *TrackBar1, *TrackBar2;
    QPushButton *Button2, *Button1;  // OK, Cancel

    // The file-system name of list entry `row`.
    const std::string& EntryName(int row) const { return entries_.at(size_t(row)); }

    void ListBox1Click();
    void ListBox1DblClick();
    void TrackBar1Change(int position);
    void Button2Click();  // OK
    void Button1Click();  // Cancel

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void ListGamepacks();
    int SelectedRow() const;
    void ShowGamepackInfo();
    void ClearGamepackInfo();

    TForm2Links links_;
    std::string InitialGamepackName;
    int InitialVolume = 0;
    std::vector<std::string> entries_;  // by row, as the file system gives them
};
