#pragma once
// What the game asks of the sound card: a wave-out device for the music and one channel
// of sound effects. The concrete object (SdlAudio) is built in main and handed to the main
// window; tests hand it a fake or nothing at all.

#include <cstddef>
#include <cstdint>

#include "music/waveout.h"

namespace platform {

class Audio {
public:
    virtual ~Audio() = default;

    // The music's device. It outlives every engine that uses it.
    virtual waveout::Device& WaveOut() = 0;

    // Decodes a complete RIFF WAVE image into an effect held in memory; returns its id, or
    // -1 when the image cannot be decoded (the effect then plays nothing).
    virtual int LoadEffect(const uint8_t* wav, size_t size) = 0;
    // Starts an effect and returns at once; it cuts off the effect still playing. An
    // unknown id, or no sound device, plays nothing.
    virtual void PlayEffect(int id) = 0;
    // Nothing new has played for a while: the card may close its device if nothing is
    // playing and the music's device is closed, and open it again for the next effect or
    // song. Called on the user-interface thread.
    virtual void Rest() {}
};

}  // namespace platform
