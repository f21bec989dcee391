#pragma once
// SettingsDialog, "Game settings": picks the gamepack from the ".spx" files of the gamepack
// folders (platform/gamepackfolders.h), describes the selected one from its header, and sets the music volume (heard
// at once) and the slide speed (applied on OK).
//
// The dialog works on the main window's state through SettingsDialogLinks, so that this library
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

struct SettingsDialogLinks {
    CYmEngine& MusicEngine;
    std::string& GamepackName;  // file-system bytes
    std::string& MusicVolume;   // decimal text
    std::string& SlideSpeed;    // decimal text
    QAction* pauseAction = nullptr;  // loses its check mark on OK; may be null
    // Starts level 0 of the gamepack now named by GamepackName. Called on OK only when
    // another gamepack than the one current at opening was chosen.
    std::function<void()> StartGamepack;
};

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(QWidget* owner, SettingsDialogLinks links);

    QGroupBox* gamepackGroup;
    QListWidget* gamepackList;
    QLabel *levelCountLabel, *dimensionsLabel, *difficultyLabel, *timerLabel, *descriptionText, *descriptionCaption;
    QGroupBox* otherGroup;
    QLabel *volumeCaption, *speedCaption;
    QSlider *volumeSlider, *speedSlider;
    QPushButton *okButton, *cancelButton;

    // The file-system name of list entry `row`.
    const std::string& EntryName(int row) const { return entries_.at(size_t(row)); }

    void showSelectedGamepack();
    void gamepackDoubleClicked();
    void volumeChanged(int position);
    void confirm();  // OK
    void cancel();  // Cancel

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillControls();
    void ListGamepacks();
    int SelectedRow() const;
    void ShowGamepackInfo();
    void ClearGamepackInfo();

    SettingsDialogLinks links_;
    std::string InitialGamepackName;
    int InitialVolume = 0;
    std::vector<std::string> entries_;  // by row, as the file system gives them
};
