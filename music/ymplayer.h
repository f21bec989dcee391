#pragma once
// CYmEngine: the song player. It unpacks and parses a song, runs the frame sequencer on
// the emulated chip and streams the sound through a wave-out device in two circulating
// buffers of 65 280 bytes.
//
// Threads: the user-interface thread calls the public operations; the device's thread
// runs the done-callback, which refills and requeues buffers. The playing flag and the
// retired markers are atomics; the mixing tables reach the renderer as an atomic
// snapshot latched once per buffer (CYmChip), and SetVolume rebuilds them under the
// refill lock so that no refill latches a half-built set.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "music/waveout.h"
#include "music/ymdecruncher.h"
#include "music/ymglobal.h"
#include "music/ymsequencer.h"
#include "music/ymsong.h"

// A device operation failed: the message is "[Step]\r\n" and the device's error text.
class WaveOutError : public std::runtime_error {
public:
    WaveOutError(const std::string& step, const std::string& text)
        : std::runtime_error("[" + step + "]\r\n" + text), step_(step) {}
    const std::string& Step() const { return step_; }

private:
    std::string step_;
};

class CYmEngine {
public:
    static constexpr uint32_t kBufferBytes = ym::kBufferBytes;
    static constexpr uint32_t kBufferValues = ym::kBufferValues;

    // device may be null: the engine then renders but Play does nothing.
    explicit CYmEngine(waveout::Device* device = nullptr);
    ~CYmEngine();
    CYmEngine(const CYmEngine&) = delete;
    CYmEngine& operator=(const CYmEngine&) = delete;

    // Stops playback, unpacks and parses the song. True when the song was unpacked; the
    // song may still be unplayable (unknown kind, no frames), see Playable().
    // A packed song whose header claims more than kMaxSongBytes unpacked is refused
    // before anything is unpacked.
    bool LoadSong(const uint8_t* packed, size_t size);
    // The same for a song that is already unpacked (the steps after unpacking); false,
    // with no song loaded, above kMaxSongBytes.
    bool LoadPlainSong(const uint8_t* data, size_t size);

    // Starts the loaded song from its first frame. Does nothing without a playable song,
    // without a device or while playing. Throws WaveOutError when the device fails.
    void Play();
    // Stops playback and closes the device; does nothing unless the device is open.
    // Throws WaveOutError after the whole sequence has run if a step failed.
    void Stop();
    // False again once a song that does not loop has played out and both buffers came
    // back; the device is then closed by the next Stop, Play, LoadSong or the destructor,
    // on the calling thread, never from the device's callback.
    bool Playing() const { return playing_.load(std::memory_order_acquire); }

    void SetVolume(int volume);   // 0..255, values outside are clamped
    uint8_t Volume() const { return volume_; }
    void SetLooping(bool on) { sequencer_.SetLooping(on); }
    bool Looping() const { return sequencer_.Looping(); }

    // Direct drive of the frame handler, the same code the done-callback runs; for tools
    // and tests, and only while not playing. ResetForPass starts a pass as Play does;
    // FillBuffer renders the next stretch into buffer 0 or 1 and returns the 16-bit
    // values written (fewer than kBufferValues only at the end of a song that does not
    // loop).
    void ResetForPass();
    uint32_t FillBuffer(int which);
    const uint8_t* BufferBytes(int which) const {
        return reinterpret_cast<const uint8_t*>(buffers_[which & 1].data());
    }
    const int16_t* BufferSamples(int which) const { return buffers_[which & 1].data(); }

    bool Loaded() const { return loaded_; }
    bool Playable() const { return loaded_ && frames_.Playable(); }
    bool EndOfSong() const { return sequencer_.EndOfSong; }
    const CYmSong& Song() const { return song_; }
    const SongFrames& Frames() const { return frames_; }
    const CYmChip& Chip() const { return chip_; }
    const CYmSequencer& Sequencer() const { return sequencer_; }

private:
    static void DoneCallback(uint32_t message, waveout::Header* header, void* instance);
    void OnBufferDone(waveout::Header* header);
    uint32_t Render(int which);
    void Unload();           // stops playback and forgets the song
    bool ParsePlainSong();   // songData_ holds the unpacked song
    void RetireLocked(int which);
    std::string ErrorText(waveout::Result code) const;
    // Undoes a failed start (returns a queued buffer, unprepares, closes) and throws the
    // error of the step that failed, with any failing release step on further lines.
    [[noreturn]] void AbortPlay(const std::string& step, waveout::Result code, bool queued,
                                const char* closeStep);
    bool WaitRetired();

    waveout::Device* device_;
    CYmSong song_;
    SongFrames frames_;
    CYmDecruncher decruncher_;
    std::vector<uint8_t> songData_;   // the unpacked song; drums converted in place
    bool loaded_ = false;
    uint8_t volume_ = 255;

    CYmChip chip_;
    CYmSequencer sequencer_;
    std::vector<int16_t> buffers_[2];
    waveout::Header headers_[2];

    // Shared with the device's thread.
    std::atomic<bool> playing_{false};
    std::atomic<bool> retired_[2];
    std::mutex lock_;                // orders refills against Play and Stop
    std::condition_variable retiredChanged_;
    bool deviceOpen_ = false;        // user-interface thread only
    bool prepared_[2] = {false, false};
};
