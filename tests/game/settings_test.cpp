// The seven settings: defaults, flag normalisation, the mends of damaged values, and the
// moments the settings and the Top 10 table reach the store.
#include <gtest/gtest.h>

#include <string>

#include "common/settingsstore.h"
#include "game/hiscoretable.h"
#include "game/settings.h"

namespace {

std::string Stored(const MemoryStore& store, const std::string& name) {
    auto it = store.Committed().find(name);
    if (it == store.Committed().end() || it->second.type != StoreValueType::String)
        return "<none>";
    return it->second.text;
}

StoreValue Text(const std::string& s) { return {StoreValueType::String, s, {}}; }

TEST(SettingsFirstRun, NoStoreGivesTheDefaultsAndExitWritesAllEight) {
    MemoryStore store;
    GameSettings s;
    s.PlayMusic = "0";  // whatever was in memory is replaced
    s.Load(store);
    EXPECT_TRUE(s.MusicOn());
    EXPECT_TRUE(s.SoundFXOn());
    EXPECT_FALSE(s.OnTopOn());
    EXPECT_FALSE(s.DoubleSizeOn());
    EXPECT_FALSE(s.FewestMovesOn());
    EXPECT_EQ(s.MusicVolume, "128");
    EXPECT_EQ(s.GamepackName, "default.spx");
    EXPECT_EQ(s.SlideSpeed, "10");
    EXPECT_EQ(s.MusicVolumeValue(), 128);
    EXPECT_EQ(s.SlideSpeedValue(), 10);

    HiScoreTable t;
    t.Load(store);
    StoreSettingsAndTop10(store, s, t);
    EXPECT_EQ(Stored(store, "PlayMusic"), "1");
    EXPECT_EQ(Stored(store, "PlaySoundFX"), "1");
    EXPECT_EQ(Stored(store, "OnTop"), "0");
    EXPECT_EQ(Stored(store, "DoubleSize"), "0");
    EXPECT_EQ(Stored(store, "FewestMoves"), "0");
    EXPECT_EQ(Stored(store, "MusicVolume"), "128");
    EXPECT_EQ(Stored(store, "GamepackName"), "default.spx");
    EXPECT_EQ(Stored(store, "SlideSpeed"), "10");
    ASSERT_EQ(store.Committed().count("HiScore"), 1u);
    EXPECT_EQ(store.Committed().at("HiScore").bytes, HiScoreTable().Serialise());
}

TEST(SettingsFlags, OnByDefaultFlagsCountAnythingButZeroAsOnAndWriteOne) {
    for (const char* stored : {"yes", "2", "", " 0", "1"}) {
        MemoryStore store;
        store.Put("PlayMusic", Text(stored));
        store.Put("PlaySoundFX", Text(stored));
        GameSettings s;
        s.Load(store);
        EXPECT_EQ(s.PlayMusic, "1") << stored;
        EXPECT_EQ(s.PlaySoundFX, "1") << stored;
        s.Save(store);
        store.Sync();
        EXPECT_EQ(Stored(store, "PlayMusic"), "1") << stored;
    }
    MemoryStore store;
    store.Put("PlayMusic", Text("0"));
    GameSettings s;
    s.Load(store);
    EXPECT_FALSE(s.MusicOn());
    EXPECT_TRUE(s.SoundFXOn());
}

TEST(SettingsFlags, OffByDefaultFlagsCountOnlyOneAsOnAndWriteZeroOtherwise) {
    for (const char* stored : {"yes", "2", "", "01", "true"}) {
        MemoryStore store;
        store.Put("OnTop", Text(stored));
        store.Put("DoubleSize", Text(stored));
        store.Put("FewestMoves", Text(stored));
        GameSettings s;
        s.Load(store);
        EXPECT_EQ(s.OnTop, "0") << stored;
        EXPECT_FALSE(s.DoubleSizeOn()) << stored;
        EXPECT_FALSE(s.FewestMovesOn()) << stored;
        s.Save(store);
        store.Sync();
        EXPECT_EQ(Stored(store, "OnTop"), "0") << stored;
        EXPECT_EQ(Stored(store, "DoubleSize"), "0") << stored;
        EXPECT_EQ(Stored(store, "FewestMoves"), "0") << stored;
    }
    MemoryStore store;
    store.Put("OnTop", Text("1"));
    store.Put("FewestMoves", Text("1"));
    GameSettings s;
    s.Load(store);
    EXPECT_TRUE(s.OnTopOn());
    EXPECT_TRUE(s.FewestMovesOn());
    s.Save(store);
    store.Sync();
    EXPECT_EQ(Stored(store, "FewestMoves"), "1");
}

TEST(SettingsZoom, SmallScreenNeverZoomsButKeepsTheStoredChoice) {
    MemoryStore store;
    store.Put("DoubleSize", Text("1"));
    GameSettings s;
    s.Load(store);
    EXPECT_TRUE(s.DoubleSizeOn());
    EXPECT_FALSE(s.LimitZoomToScreen(600));
    EXPECT_FALSE(s.DoubleSizeOn());
    s.Save(store);
    store.Sync();
    EXPECT_EQ(Stored(store, "DoubleSize"), "1");

    GameSettings tall;
    tall.Load(store);
    EXPECT_TRUE(tall.LimitZoomToScreen(601));
    EXPECT_TRUE(tall.DoubleSizeOn());
}

TEST(SettingsNumbers, DamagedNumbersFallBackToTheirDefaults) {
    const char* volumes[] = {"loud", "12x", "-1", "256", "99999999999", " 12"};
    const char* speeds[] = {"fast", "0", "25", "-3", "1.5", "10 "};
    for (const char* v : volumes) {
        MemoryStore store;
        store.Put("MusicVolume", Text(v));
        GameSettings s;
        s.Load(store);
        EXPECT_EQ(s.MusicVolume, "128") << v;
    }
    for (const char* v : speeds) {
        MemoryStore store;
        store.Put("SlideSpeed", Text(v));
        GameSettings s;
        s.Load(store);
        EXPECT_EQ(s.SlideSpeed, "10") << v;
    }
}

TEST(SettingsNumbers, EveryValueTheDialogOrEngineCanProduceIsKept) {
    for (int v : {0, 1, 239, 255}) {
        MemoryStore store;
        store.Put("MusicVolume", Text(std::to_string(v)));
        GameSettings s;
        s.Load(store);
        EXPECT_EQ(s.MusicVolumeValue(), v);
    }
    for (int v : {1, 24}) {
        MemoryStore store;
        store.Put("SlideSpeed", Text(std::to_string(v)));
        GameSettings s;
        s.Load(store);
        EXPECT_EQ(s.SlideSpeedValue(), v);
    }
}

TEST(SettingsNumbers, ConversionsOfDamagedTextInMemoryGiveDefaultsAndSaveMendsThem) {
    GameSettings s;
    s.SlideSpeed = "0";  // would never end a slide
    s.MusicVolume = "";
    EXPECT_EQ(s.SlideSpeedValue(), 10);
    EXPECT_EQ(s.MusicVolumeValue(), 128);
    MemoryStore store;
    s.SetMusicVolume(77);
    s.Save(store);
    store.Sync();
    EXPECT_EQ(Stored(store, "MusicVolume"), "77");
    EXPECT_EQ(Stored(store, "SlideSpeed"), "10");
}

TEST(SettingsTypes, WrongTypedValuesFallBackToDefaults) {
    MemoryStore store;
    const StoreValue binary{StoreValueType::Binary, "", {'0'}};
    const StoreValue other{StoreValueType::Other, "", {}};
    store.Put("PlayMusic", binary);
    store.Put("OnTop", binary);
    store.Put("MusicVolume", binary);
    store.Put("GamepackName", other);
    store.Put("SlideSpeed", other);
    GameSettings s;
    ASSERT_NO_THROW(s.Load(store));
    EXPECT_TRUE(s.MusicOn());
    EXPECT_FALSE(s.OnTopOn());
    EXPECT_EQ(s.MusicVolume, "128");
    EXPECT_EQ(s.GamepackName, "default.spx");
    EXPECT_EQ(s.SlideSpeed, "10");
}

TEST(SettingsStoring, TableChangesAreDurableAtOnce) {
    MemoryStore store;
    GameSettings s;
    s.Load(store);
    HiScoreTable t;
    t.Load(store);
    s.GamepackName = "won.spx";
    t.RecordResult(77, 5, s.GamepackName);
    StoreSettingsAndTop10(store, s, t);
    ASSERT_EQ(store.SyncCount(), 1);

    // A later run, as after a kill: only what was synced counts.
    MemoryStore later;
    for (const auto& [name, value] : store.Committed()) later.Put(name, value);
    HiScoreTable back;
    back.Load(later);
    EXPECT_EQ(back.Entry(0).Moves, 77);
    EXPECT_EQ(back.Entry(0).Gamepack, "won.spx");
    GameSettings sback;
    sback.Load(later);
    EXPECT_EQ(sback.GamepackName, "won.spx");
}

TEST(SettingsStoring, ClearThenStoreLeavesTenDefaultEntries) {
    MemoryStore store;
    HiScoreTable t;
    t.RecordResult(5, 1, "a.spx");
    t.RecordResult(6, 1, "b.spx");
    StoreSettingsAndTop10(store, GameSettings(), t);
    t.ResetHiScoreTable();
    StoreSettingsAndTop10(store, GameSettings(), t);
    const std::vector<uint8_t>& rec = store.Committed().at("HiScore").bytes;
    EXPECT_EQ(rec, HiScoreTable().Serialise());
    std::optional<HiScoreTable> back = HiScoreTable::Parse(rec.data(), rec.size());
    ASSERT_TRUE(back);
    for (const HiScoreEntry& e : back->Entries()) {
        EXPECT_EQ(e.Moves, 1000001);
        EXPECT_EQ(e.TimeLeft, -1);
        EXPECT_EQ(e.Colour, HiScoreEntry::kSilver);
        EXPECT_EQ(e.Gamepack, "");
    }
}

TEST(SettingsStoring, FailingStoreIsReported) {
    MemoryStore store;
    store.SetSyncFails(true);
    EXPECT_THROW(StoreSettingsAndTop10(store, GameSettings(), HiScoreTable()), StoreError);
    EXPECT_TRUE(store.Committed().empty());
}

}  // namespace
