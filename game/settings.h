#pragma once
// The game's settings, held as text as they are stored: flags are "1" or "0" and count as
// on when they differ from "0"; numbers are decimal text.

#include <string>

class HiScoreTable;
class SettingsStore;

class GameSettings {
public:
    static constexpr const char* kDefaultMusicVolume = "128";
    static constexpr const char* kDefaultGamepackName = "default.spx";
    static constexpr const char* kDefaultSlideSpeed = "10";
    static constexpr int kMinMusicVolume = 0, kMaxMusicVolume = 255;
    static constexpr int kMinSlideSpeed = 1, kMaxSlideSpeed = 24;
    // Zoom needs a screen taller than this.
    static constexpr int kMinZoomScreenHeight = 601;

    std::string PlayMusic = "1";
    std::string PlaySoundFX = "1";
    std::string OnTop = "0";
    // The zoom in effect. LimitZoomToScreen can force it off for this run while the Zoom
    // menu item keeps the stored choice in DoubleSizeChecked, which is what Save writes.
    std::string DoubleSize = "0";
    bool DoubleSizeChecked = false;
    std::string MusicVolume = kDefaultMusicVolume;
    std::string GamepackName = kDefaultGamepackName;  // file-system bytes
    std::string SlideSpeed = kDefaultSlideSpeed;
    // The level-complete screen tells the fewest moves the level could have taken.
    std::string FewestMoves = "0";
    // The gamepack the player chose while it cannot be found. The default pack is played
    // meanwhile (GamepackName: what a result or a saved game names), but the choice is what
    // is stored, so that the pack is played again once it is back. Empty while the pack
    // played is the one chosen.
    std::string UnfoundGamepack;
    // The player picks a gamepack: in Settings, by opening a file, by restoring a game.
    void ChooseGamepack(const std::string& name) {
        GamepackName = name;
        UnfoundGamepack.clear();
    }

    static const char* Flag(bool on) { return on ? "1" : "0"; }

    bool MusicOn() const { return PlayMusic != "0"; }
    bool SoundFXOn() const { return PlaySoundFX != "0"; }
    bool OnTopOn() const { return OnTop != "0"; }
    bool DoubleSizeOn() const { return DoubleSize != "0"; }
    bool FewestMovesOn() const { return FewestMoves != "0"; }

    // The Zoom command: sets both the zoom in effect and the menu's check mark.
    void SetDoubleSize(bool on) {
        DoubleSize = Flag(on);
        DoubleSizeChecked = on;
    }
    // On a screen 600 pixels high or less the window is never zoomed; returns whether the
    // Zoom item may be chosen. DoubleSizeChecked is left as read, so the stored choice
    // survives a run on a small screen.
    bool LimitZoomToScreen(int screenHeight);

    // The numbers, for the music engine and the slide. Text that is not a whole number in
    // range (the settings dialog could not have produced it) gives the default.
    int MusicVolumeValue() const;
    int SlideSpeedValue() const;
    void SetMusicVolume(int volume) { MusicVolume = std::to_string(volume); }

    // Reads the values; a missing, empty or wrongly typed value takes its default,
    // as does a number that is not in range. Flags are normalised to "1"/"0". Never throws
    // for the contents of the store, so the game always starts.
    void Load(const SettingsStore& store);
    // Writes the values; the caller syncs.
    void Save(SettingsStore& store) const;
};

// Writes the settings and the Top 10 table and makes them durable. Called at exit and
// whenever the table changes, so a crash or a kill later loses no result. Throws
// StoreError when the store cannot be written.
void StoreSettingsAndTop10(SettingsStore& store, const GameSettings& settings,
                           const HiScoreTable& table);
