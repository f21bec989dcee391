// The records the game keeps in the per-user store, read from a store that holds anything:
// the seven settings, the Top 10 table and the saved game. What the game does next with
// them runs too: a restored game makes a move, its result is offered to the table, and
// everything is stored and read back unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/settingsstore.h"
#include "fuzz/recordsinput.h"
#include "game/board.h"
#include "game/hiscoretable.h"
#include "game/savegame.h"
#include "game/settings.h"

namespace {

// An invariant of the records broken: say which, then stop as a crash.
#define CHECK(ok)                                                            \
    do {                                                                     \
        if (!(ok)) {                                                         \
            std::fprintf(stderr, "records_fuzzer: failed %s (line %d)\n", #ok, __LINE__); \
            std::abort();                                                    \
        }                                                                    \
    } while (0)

// One move from the restored board, as the player's first click would make.
void MoveOnce(Board& board) {
    const int empty = board.FindEmptyCell();
    for (Board::Arrow a : {Board::Arrow::Left, Board::Arrow::Right, Board::Arrow::Up,
                           Board::Arrow::Down}) {
        const int cell = board.CellForArrow(a);
        if (cell >= 0 && cell != empty && board.TryMoveCell(cell)) {
            while (!board.AdvanceSlide(board.TileSize)) {}
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStore store;
    recordsinput::Fill(store, data, size);

    GameSettings settings;
    settings.Load(store);
    settings.LimitZoomToScreen(600);
    const int volume = settings.MusicVolumeValue();
    const int speed = settings.SlideSpeedValue();
    CHECK(volume >= GameSettings::kMinMusicVolume && volume <= GameSettings::kMaxMusicVolume);
    CHECK(speed >= GameSettings::kMinSlideSpeed && speed <= GameSettings::kMaxSlideSpeed);

    HiScoreTable table;
    table.Load(store);

    try {
        const std::optional<SaveGameRecord> saved = ReadSaveGame(store);
        if (saved) {
            for (int n = 3; n <= 7; ++n) {
                try {
                    CheckSavedLevel(*saved, 10, n);
                } catch (const SaveGameError&) {
                    continue;
                }
                Board board;
                board.BoardCols = board.BoardRows = n;
                board.BoardSize = 245 - 245 % n;
                board.TileSize = board.BoardSize / n;
                ApplySavedBoard(*saved, board.TileGrid, n);
                board.MoveCount = saved->MoveCount;
                MoveOnce(board);
                CHECK(board.MoveCount >= saved->MoveCount);
                table.RecordResult(board.MoveCount, saved->TimeLeft, saved->Gamepack);
                WriteSaveGame(store, MakeSaveGame(saved->Gamepack, saved->LevelIndex,
                                                  saved->TimeLeft, board.MoveCount,
                                                  board.TileGrid, n));
                break;
            }
        }
    } catch (const StoreError&) {
    } catch (const SaveGameError&) {
    }

    // Stored and read back: the same settings and the same table.
    StoreSettingsAndTop10(store, settings, table);
    GameSettings again;
    again.Load(store);
    CHECK(again.MusicVolumeValue() == volume && again.SlideSpeedValue() == speed &&
          again.GamepackName == settings.GamepackName && again.PlayMusic == settings.PlayMusic);
    HiScoreTable tableAgain;
    tableAgain.Load(store);
    CHECK(tableAgain.Serialise() == table.Serialise());
    return 0;
}
