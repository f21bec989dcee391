#include "game/settings.h"

#include <charconv>
#include <optional>

#include "common/settingsstore.h"
#include "game/hiscoretable.h"

namespace {

// A whole decimal number in [lo, hi], the whole text and nothing else.
std::optional<int> ParseInRange(const std::string& text, int lo, int hi) {
    int value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || text.empty()) return std::nullopt;
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

// The stored text, or empty when the value is missing or not a string.
std::string ReadText(const SettingsStore& store, const char* name) {
    const StoreValue v = store.Read(name);
    return v.type == StoreValueType::String ? v.text : std::string();
}

std::string NumberOrDefault(const std::string& text, int lo, int hi, const char* fallback) {
    return ParseInRange(text, lo, hi) ? text : std::string(fallback);
}

}  // namespace

bool GameSettings::LimitZoomToScreen(int screenHeight) {
    if (screenHeight >= kMinZoomScreenHeight) return true;
    DoubleSize = "0";
    return false;
}

int GameSettings::MusicVolumeValue() const {
    static const int fallback = *ParseInRange(kDefaultMusicVolume, 0, 255);
    return ParseInRange(MusicVolume, kMinMusicVolume, kMaxMusicVolume).value_or(fallback);
}

int GameSettings::SlideSpeedValue() const {
    static const int fallback = *ParseInRange(kDefaultSlideSpeed, 1, 24);
    return ParseInRange(SlideSpeed, kMinSlideSpeed, kMaxSlideSpeed).value_or(fallback);
}

void GameSettings::Load(const SettingsStore& store) {
    // Music and sound effects are on unless switched off; stay-on-top, zoom and the fewest
    // moves are off unless switched on.
    PlayMusic = Flag(ReadText(store, "PlayMusic") != "0");
    PlaySoundFX = Flag(ReadText(store, "PlaySoundFX") != "0");
    OnTop = Flag(ReadText(store, "OnTop") == "1");
    SetDoubleSize(ReadText(store, "DoubleSize") == "1");
    FewestMoves = Flag(ReadText(store, "FewestMoves") == "1");

    MusicVolume = NumberOrDefault(ReadText(store, "MusicVolume"), kMinMusicVolume,
                                  kMaxMusicVolume, kDefaultMusicVolume);
    SlideSpeed = NumberOrDefault(ReadText(store, "SlideSpeed"), kMinSlideSpeed,
                                 kMaxSlideSpeed, kDefaultSlideSpeed);
    GamepackName = ReadText(store, "GamepackName");
    if (GamepackName.empty()) GamepackName = kDefaultGamepackName;
}

void GameSettings::Save(SettingsStore& store) const {
    store.WriteString("PlayMusic", Flag(MusicOn()));
    store.WriteString("PlaySoundFX", Flag(SoundFXOn()));
    store.WriteString("OnTop", Flag(OnTopOn()));
    store.WriteString("DoubleSize", Flag(DoubleSizeChecked));
    store.WriteString("FewestMoves", Flag(FewestMovesOn()));
    // Numbers are written as the values in effect, so text that fell back is mended.
    store.WriteString("MusicVolume", std::to_string(MusicVolumeValue()));
    store.WriteString("GamepackName", UnfoundGamepack.empty() ? GamepackName : UnfoundGamepack);
    store.WriteString("SlideSpeed", std::to_string(SlideSpeedValue()));
}

void StoreSettingsAndTop10(SettingsStore& store, const GameSettings& settings,
                           const HiScoreTable& table) {
    settings.Save(store);
    table.Save(store);
    store.Sync();
}
