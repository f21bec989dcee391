#pragma once
// Level pictures at the size the game shows them: the board is a square of at most
// LargestBoardSide() pixels (the zoomed window), so anything larger is only weight in the
// gamepack, and anything smaller is enlarged into blocks.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Side of the board square in the zoomed window, and in the normal one.
int LargestBoardSide();
int SmallestBoardSide();

// The picture as the gamepack stores it (see PreparePictureFile): a side longer than
// LargestBoardSide() is scaled down to it, smoothly, and a photo's stored rotation is
// applied, since the game's decoder ignores it. Everything else goes through unchanged.
// Advice for the player (a picture that will look blocky or stretched) is added to
// `notes`, one line each. Throws PackError.
std::vector<uint8_t> FitPictureFile(const std::vector<uint8_t>& bytes, const QString& name,
                                    std::vector<std::string>* notes);
