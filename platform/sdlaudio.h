#pragma once
// The sound card: one SDL2 audio device (SDL initialised for audio only) whose callback
// sums the music stream and the one sound-effect channel.
//
// Threads:
// - SDL's audio thread runs the output callback. It copies from the music buffers that
//   are queued and from the effect playing, allocates nothing, and shares with the other
//   threads only one mutex that they hold for a few instructions at a time, plus one
//   atomic for the effect requests. Once neither music nor an effect is left to play it
//   pauses the device; an effect request or a music buffer written resumes it.
// - The wave-out device's own thread reports finished music buffers (one at a time, in
//   order) to the engine's done-callback, which refills and requeues them there: never on
//   the user-interface thread and never inside SDL's callback.
// - The user-interface thread calls every public operation.
// - Rest hands the device it closes to a thread of its own, which only waits in SDL.

#include <SDL2/SDL.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"

namespace platform {

class SdlAudio;

// Figures of the music stream over the device's whole life. Once it is closed, every
// buffer written has come back: writes == buffersPlayed + buffersReset.
struct MusicStats {
    uint64_t buffersPlayed = 0;   // buffers played to their end
    uint64_t buffersReset = 0;    // buffers handed back unplayed by Reset
    uint64_t writes = 0;
    // Output periods in which the music ran dry while a buffer that had finished playing
    // still waited for its refill: an underrun caused by a late refill.
    uint64_t lateRefills = 0;
    // The least music still queued ahead when a buffer was written behind a playing one,
    // in 16-bit values (44 100 x 2 a second); UINT32_MAX before the first such write.
    uint32_t minLeadValues = UINT32_MAX;
    // Buffers played to their end whose report has not yet been handled by the callback.
    int pendingReports = 0;
};

// The music side of the mixer, with the operations and meaning of a Windows wave-out
// device: 44 100 Hz, 16-bit stereo PCM only.
class SdlWaveOut : public waveout::Device {
public:
    // Header flags, as the Windows namesakes.
    static constexpr uint32_t kDone = 0x01;
    static constexpr uint32_t kPrepared = 0x02;
    static constexpr uint32_t kInQueue = 0x10;
    // Failure codes beyond those of waveout.h.
    static constexpr waveout::Result kInvalidParam = 11;
    static constexpr waveout::Result kBadFormat = 32;

    explicit SdlWaveOut(SdlAudio& mixer);
    ~SdlWaveOut() override;
    SdlWaveOut(const SdlWaveOut&) = delete;
    SdlWaveOut& operator=(const SdlWaveOut&) = delete;

    waveout::Result Open(const waveout::Format& format, waveout::Callback callback,
                         void* instance) override;
    waveout::Result PrepareHeader(waveout::Header* header) override;
    waveout::Result Write(waveout::Header* header) override;
    waveout::Result Reset() override;
    waveout::Result UnprepareHeader(waveout::Header* header) override;
    // Refused while buffers are queued (kStillPlaying) and from inside the done-callback
    // (kError); otherwise delivers the reports still due, then kWomClose, and ends the
    // reporting thread.
    waveout::Result Close() override;
    std::string ErrorText(waveout::Result code) const override;

    MusicStats Stats() const;
    bool IsOpen() const;

private:
    friend class SdlAudio;
    static constexpr size_t kSlots = 8;   // the engine circulates two
    struct Done {
        waveout::Header* header;
        bool played;   // played to its end, rather than handed back by Reset
    };

    // SDL's audio thread: adds the next values of the queued buffers to acc; false once
    // the device is closed (no music is due).
    bool Mix(int32_t* acc, uint32_t values);
    // The reporting thread.
    void Run();
    void PushDoneLocked(waveout::Header* header, bool played);
    // Ends the reporting thread and forgets every buffer, whatever state it is in.
    void Shutdown();

    SdlAudio& mixer_;
    mutable std::mutex mutex_;        // held briefly by every thread; guards all below
    std::condition_variable wake_;    // the reporting thread waits here
    std::thread thread_;
    bool open_ = false;
    bool closing_ = false;
    waveout::Callback callback_ = nullptr;
    void* instance_ = nullptr;

    std::array<waveout::Header*, kSlots> queue_{};   // playing first
    size_t queueHead_ = 0, queueCount_ = 0;
    uint32_t offset_ = 0;                            // bytes of the first played so far
    std::array<Done, kSlots> done_{};                // waiting to be reported
    size_t doneHead_ = 0, doneCount_ = 0;
    int pendingPlayed_ = 0;   // played buffers not yet reported back to the engine
    MusicStats stats_;
};

class SdlAudio : public Audio {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kMaxEffects = 8;

    // Initialises SDL's audio and opens its default output device. Without a sound card
    // the object still works, silently: the music's Open fails with kBadDevice and
    // effects play nothing. With openDevice false no device is opened and the output
    // callback runs only through MixOutput, for tests that need every sample in hand.
    explicit SdlAudio(bool openDevice = true);
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    waveout::Device& WaveOut() override { return waveOut_; }
    SdlWaveOut& Music() { return waveOut_; }
    int LoadEffect(const uint8_t* wav, size_t size) override;
    void PlayEffect(int id) override;
    // Closes the output device while nothing plays and the music's device is closed: a
    // paused SDL device still wakes its thread for every period of silence. The next effect
    // or the music's Open opens it again.
    void Rest() override;

    // The device is open, resting or driven by hand; else DeviceError says why not.
    bool HasDevice() const { return device_ != 0 || manual_ || resting_; }
    bool DeviceOpen() const { return device_ != 0; }
    // While nothing plays (no music device open, no effect) the output device is paused:
    // SDL then plays silence without calling back into the mixer. An effect or music
    // resumes it at once.
    bool Paused() const;
    uint64_t OutputCallbacks() const { return callbacks_.load(std::memory_order_relaxed); }
    const std::string& DeviceError() const { return deviceError_; }
    // The output of SDL's callback for values 16-bit values (stereo pairs); only for an
    // object made without a device.
    void MixOutput(int16_t* out, uint32_t values);
    // An effect's samples as the device plays them: 44 100 Hz, 16-bit stereo.
    const std::vector<int16_t>* EffectSamples(int id) const;

private:
    friend class SdlWaveOut;
    static void SDLCALL OutputCallback(void* self, Uint8* stream, int len);
    // Opens the device unless it is open; a failure is kept in deviceError_. It starts
    // paused.
    bool OpenDevice();
    // Lets the device call back again, once what is to play has been handed over.
    void Resume();
    void MixEffect(int32_t* acc, uint32_t values);

    bool sdlInit_ = false;
    bool manual_ = false;
    SDL_AudioDeviceID device_ = 0;
    bool resting_ = false;   // closed by Rest, to be opened again when wanted
    std::thread closer_;     // closes the device Rest gave up
    std::string deviceError_;
    std::vector<int32_t> acc_;   // mixing sums, sized when the device opens

    // Effects: loaded on the user-interface thread before they can be requested, never
    // changed afterwards. A request is published as (serial << 8) | (id + 1).
    std::array<std::vector<int16_t>, kMaxEffects> effects_;
    int effectCount_ = 0;
    uint32_t effectSerial_ = 0;
    std::atomic<uint32_t> effectRequest_{0};
    // The output callback's own.
    uint32_t effectSeen_ = 0;
    int effectPlaying_ = -1;
    size_t effectPos_ = 0;
    bool quiet_ = false;   // the last output had neither music nor an effect to play
    std::atomic<uint64_t> callbacks_{0};

    SdlWaveOut waveOut_;
};

}  // namespace platform
