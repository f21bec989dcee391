#include "platform/sdlaudio.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace platform {

namespace {

// Samples per SDL callback period: 23 ms, short next to the 0.37 s of a music buffer.
constexpr Uint16 kPeriodFrames = 1024;

// The reporting thread of the wave-out device this thread belongs to, if any: Close must
// not wait for its own thread.
thread_local const SdlWaveOut* tReportingFor = nullptr;

std::string SdlError(const char* what) {
    const char* e = SDL_GetError();
    return std::string(what) + (e && *e ? std::string(": ") + e : std::string());
}

}  // namespace

// ---------------------------------------------------------------- SdlWaveOut

SdlWaveOut::SdlWaveOut(SdlAudio& mixer) : mixer_(mixer) {}

SdlWaveOut::~SdlWaveOut() { Shutdown(); }

waveout::Result SdlWaveOut::Open(const waveout::Format& f, waveout::Callback callback,
                                 void* instance) {
    if (!callback) return kInvalidParam;
    if (f.FormatTag != 1 || f.Channels != 2 || f.SamplesPerSec != uint32_t(SdlAudio::kSampleRate) ||
        f.BitsPerSample != 16 || f.BlockAlign != 4 || f.AvgBytesPerSec != 4u * SdlAudio::kSampleRate)
        return kBadFormat;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (open_) return waveout::kAllocated;
    }
    // Also retried here, so a sound card that appears later is used.
    if (!mixer_.OpenDevice()) return waveout::kBadDevice;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        closing_ = false;
        callback_ = callback;
        instance_ = instance;
        queueHead_ = queueCount_ = offset_ = 0;
        doneHead_ = doneCount_ = 0;
        pendingPlayed_ = 0;
    }
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = false;
        return waveout::kNoMemory;
    }
    return waveout::kOk;
}

waveout::Result SdlWaveOut::PrepareHeader(waveout::Header* h) {
    if (!h || !h->Data) return kInvalidParam;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return waveout::kInvalidHandle;
    if (h->Flags & kInQueue) return waveout::kStillPlaying;
    h->Flags = (h->Flags | kPrepared) & ~kDone;
    return waveout::kOk;
}

waveout::Result SdlWaveOut::Write(waveout::Header* h) {
    if (!h) return kInvalidParam;
    std::unique_lock<std::mutex> lock(mutex_);
    if (!open_ || closing_) return waveout::kInvalidHandle;
    if (!(h->Flags & kPrepared)) return waveout::kUnprepared;
    if (h->Flags & kInQueue) return waveout::kStillPlaying;
    if (h->BufferLength % 4 != 0) return kInvalidParam;   // whole stereo samples only
    if (queueCount_ == kSlots) return waveout::kNoMemory;
    if (queueCount_ > 0) {
        // Queued behind a playing buffer: how much sound was left to cover the refill.
        uint64_t lead = (queue_[queueHead_]->BufferLength - offset_) / 2;
        for (size_t i = 1; i < queueCount_; ++i) lead += queue_[(queueHead_ + i) % kSlots]->BufferLength / 2;
        stats_.minLeadValues = uint32_t(std::min<uint64_t>(stats_.minLeadValues, lead));
    }
    h->Flags = (h->Flags | kInQueue) & ~kDone;
    queue_[(queueHead_ + queueCount_) % kSlots] = h;
    ++queueCount_;
    ++stats_.writes;
    lock.unlock();
    // Not under the lock: the output callback runs under SDL's device lock and takes this
    // one inside it.
    mixer_.Resume();
    return waveout::kOk;
}

void SdlWaveOut::PushDoneLocked(waveout::Header* h, bool played) {
    // Every header in done_ was taken from queue_, which holds no more than kSlots.
    done_[(doneHead_ + doneCount_) % kSlots] = Done{h, played};
    ++doneCount_;
    if (played) {
        ++pendingPlayed_;
        ++stats_.buffersPlayed;
    } else {
        ++stats_.buffersReset;
    }
}

waveout::Result SdlWaveOut::Reset() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return waveout::kInvalidHandle;
        while (queueCount_ > 0) {
            PushDoneLocked(queue_[queueHead_], false);
            queueHead_ = (queueHead_ + 1) % kSlots;
            --queueCount_;
        }
        offset_ = 0;
    }
    wake_.notify_all();
    return waveout::kOk;
}

waveout::Result SdlWaveOut::UnprepareHeader(waveout::Header* h) {
    if (!h) return kInvalidParam;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return waveout::kInvalidHandle;
    if (h->Flags & kInQueue) return waveout::kStillPlaying;
    h->Flags &= ~kPrepared;
    return waveout::kOk;
}

waveout::Result SdlWaveOut::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return waveout::kInvalidHandle;
        if (queueCount_ > 0) return waveout::kStillPlaying;
        if (tReportingFor == this) return waveout::kError;
        closing_ = true;
    }
    wake_.notify_all();
    // The thread delivers what is still due (reports of buffers the engine has already
    // given up waiting for are harmless to it) and kWomClose, then ends.
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    callback_ = nullptr;
    instance_ = nullptr;
    return waveout::kOk;
}

void SdlWaveOut::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (tReportingFor == this) return;
        queueCount_ = doneCount_ = 0;
        closing_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    callback_ = nullptr;
}

std::string SdlWaveOut::ErrorText(waveout::Result code) const {
    switch (code) {
    case waveout::kOk: return "The command completed successfully.";
    case waveout::kBadDevice:
        return "No sound output device could be opened" +
               (mixer_.DeviceError().empty() ? std::string(".") : " (" + mixer_.DeviceError() + ").");
    case waveout::kAllocated: return "The sound output device is already in use.";
    case waveout::kInvalidHandle: return "The sound output device is not open.";
    case waveout::kNoMemory: return "The sound output device has no room for another buffer or thread.";
    case waveout::kStillPlaying: return "The buffer is still playing.";
    case waveout::kUnprepared: return "The buffer has not been prepared.";
    case kInvalidParam: return "An invalid parameter was passed to the sound output device.";
    case kBadFormat: return "The sound output device plays only 44 100 Hz 16-bit stereo PCM.";
    case waveout::kError:
    default: return "The sound output device failed (error " + std::to_string(code) + ").";
    }
}

MusicStats SdlWaveOut::Stats() const {
    std::lock_guard<std::mutex> lock(mutex_);
    MusicStats s = stats_;
    s.pendingReports = pendingPlayed_;
    return s;
}

bool SdlWaveOut::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

void SdlWaveOut::Run() {
    tReportingFor = this;
    std::unique_lock<std::mutex> lock(mutex_);
    waveout::Callback callback = callback_;
    void* instance = instance_;
    lock.unlock();
    callback(waveout::kWomOpen, nullptr, instance);
    lock.lock();
    for (;;) {
        wake_.wait(lock, [&] { return doneCount_ > 0 || closing_; });
        if (doneCount_ == 0) break;   // closing, with nothing left to report
        const Done d = done_[doneHead_];
        doneHead_ = (doneHead_ + 1) % kSlots;
        --doneCount_;
        d.header->Flags = (d.header->Flags & ~kInQueue) | kDone;
        lock.unlock();
        callback(waveout::kWomDone, d.header, instance);
        lock.lock();
        if (d.played) --pendingPlayed_;
    }
    lock.unlock();
    callback(waveout::kWomClose, nullptr, instance);
    tReportingFor = nullptr;
}

bool SdlWaveOut::Mix(int32_t* acc, uint32_t values) {
    bool finished = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return false;
        // A buffer that finishes in this period cannot have been refilled yet: only the
        // reports already waiting when it began can make the music run dry late.
        const int waiting = pendingPlayed_;
        uint32_t i = 0;
        while (i < values && queueCount_ > 0) {
            waveout::Header* h = queue_[queueHead_];
            const uint32_t take = std::min((h->BufferLength - offset_) / 2, values - i);
            const uint8_t* src = h->Data + offset_;
            for (uint32_t k = 0; k < take; ++k) {
                int16_t v;
                std::memcpy(&v, src + 2 * k, 2);
                acc[i + k] += v;
            }
            i += take;
            offset_ += take * 2;
            if (offset_ >= h->BufferLength) {
                queueHead_ = (queueHead_ + 1) % kSlots;
                --queueCount_;
                offset_ = 0;
                PushDoneLocked(h, true);
                finished = true;
            }
        }
        if (i < values && waiting > 0) ++stats_.lateRefills;
    }
    // No allocation, no system call unless a buffer finished (about three times a second).
    if (finished) wake_.notify_all();
    return true;
}

// ---------------------------------------------------------------- SdlAudio

SdlAudio::SdlAudio(bool openDevice) : manual_(!openDevice), waveOut_(*this) {
    // Audio only: SDL must not install signal handlers or touch the window system.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        deviceError_ = SdlError("SDL audio could not be initialised");
        manual_ = false;
        return;
    }
    sdlInit_ = true;
    if (manual_) {
        acc_.assign(size_t(kPeriodFrames) * 2, 0);
        return;
    }
    OpenDevice();
}

SdlAudio::~SdlAudio() {
    // The music's reporting thread goes first: a refill there resumes the device.
    waveOut_.Shutdown();
    // No callback runs after this, so the buffers and effects can go.
    if (closer_.joinable()) closer_.join();
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (sdlInit_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudio::OpenDevice() {
    if (device_ || manual_) return true;
    if (!sdlInit_) return false;
    // Some drivers have a single device: the one given up must be closed first.
    if (closer_.joinable()) closer_.join();
    resting_ = false;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kPeriodFrames;
    want.callback = &SdlAudio::OutputCallback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the card plays, so the callback always
    // fills 44 100 Hz 16-bit stereo, the format of the music and of the effects.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        deviceError_ = SdlError("SDL could not open the audio device");
        return false;
    }
    // Sized before the first callback can run: the device starts paused, and stays so
    // until there is something to play.
    acc_.assign(std::max<size_t>(have.size / 2, size_t(have.samples) * 2), 0);
    device_ = id;
    deviceError_.clear();
    return true;
}

void SdlAudio::Resume() {
    // SDL takes its device lock, which the callback holds while it runs: a callback that
    // is about to pause the device for want of anything to play has done so before this
    // returns, and the next one finds what was handed over before this call.
    if (device_) SDL_PauseAudioDevice(device_, 0);
}

bool SdlAudio::Paused() const {
    return device_ == 0 || SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_PLAYING;
}

void SDLCALL SdlAudio::OutputCallback(void* self, Uint8* stream, int len) {
    auto* audio = static_cast<SdlAudio*>(self);
    audio->callbacks_.fetch_add(1, std::memory_order_relaxed);
    audio->MixOutput(reinterpret_cast<int16_t*>(stream), uint32_t(len) / 2);
    // Nothing left to play: no more callbacks until Resume. SDL holds its device lock
    // around this call and its locks are reentrant, so the pause cannot miss a Resume
    // that comes meanwhile: that one waits for the lock and then resumes.
    if (audio->quiet_) SDL_PauseAudioDevice(audio->device_, 1);
}

void SdlAudio::MixOutput(int16_t* out, uint32_t values) {
    while (values > 0) {
        const uint32_t n = std::min<uint32_t>(values, uint32_t(acc_.size()) & ~1u);
        if (n == 0) {
            std::memset(out, 0, size_t(values) * 2);
            return;
        }
        int32_t* acc = acc_.data();
        std::fill(acc, acc + n, 0);
        const bool music = waveOut_.Mix(acc, n);
        MixEffect(acc, n);
        quiet_ = !music && effectPlaying_ < 0;
        for (uint32_t i = 0; i < n; ++i) out[i] = int16_t(std::clamp<int32_t>(acc[i], -32768, 32767));
        out += n;
        values -= n;
    }
}

void SdlAudio::MixEffect(int32_t* acc, uint32_t values) {
    const uint32_t request = effectRequest_.load(std::memory_order_acquire);
    if (request >> 8 != effectSeen_ >> 8) {
        // A new request cuts off the effect still playing.
        effectSeen_ = request;
        effectPlaying_ = int(request & 0xFF) - 1;
        effectPos_ = 0;
    }
    if (effectPlaying_ < 0) return;
    const std::vector<int16_t>& pcm = effects_[size_t(effectPlaying_)];
    const size_t n = std::min<size_t>(values, pcm.size() - effectPos_);
    for (size_t i = 0; i < n; ++i) acc[i] += pcm[effectPos_ + i];
    effectPos_ += n;
    if (effectPos_ >= pcm.size()) effectPlaying_ = -1;
}

int SdlAudio::LoadEffect(const uint8_t* wav, size_t size) {
    if (!wav || size == 0 || size > size_t(INT32_MAX) || effectCount_ == kMaxEffects) return -1;
    SDL_RWops* rw = SDL_RWFromConstMem(wav, int(size));
    if (!rw) return -1;
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &data, &length)) return -1;
    // Converted once, here, so that the output callback only copies.
    std::vector<int16_t> pcm;
    SDL_AudioStream* stream = SDL_NewAudioStream(spec.format, spec.channels, spec.freq,
                                                 AUDIO_S16SYS, 2, kSampleRate);
    // SDL 2.26's flush can drop the resampler's tail (46 ms of an 11 025 Hz clip, depending
    // on how the input was put): silence is put after the clip instead, and the output
    // cut to the clip's own length.
    const uint32_t inFrameBytes = uint32_t(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
    const uint64_t inFrames = inFrameBytes ? length / inFrameBytes : 0;
    const size_t outValues = spec.freq > 0 ? size_t((inFrames * kSampleRate + uint64_t(spec.freq) / 2) / uint64_t(spec.freq)) * 2 : 0;
    const std::vector<Uint8> silence(size_t(inFrameBytes) * size_t(std::max(spec.freq / 10, 1)), spec.silence);
    bool ok = stream && outValues > 0 && SDL_AudioStreamPut(stream, data, int(length)) == 0 &&
              SDL_AudioStreamPut(stream, silence.data(), int(silence.size())) == 0 &&
              SDL_AudioStreamFlush(stream) == 0;
    for (int avail; ok && (avail = SDL_AudioStreamAvailable(stream)) > 0;) {
        const size_t at = pcm.size();
        pcm.resize(at + size_t(avail) / 2);
        const int got = SDL_AudioStreamGet(stream, pcm.data() + at, avail);
        ok = got > 0;
        if (ok) pcm.resize(at + size_t(got) / 2);
    }
    if (pcm.size() > outValues) pcm.resize(outValues);
    if (stream) SDL_FreeAudioStream(stream);
    SDL_FreeWAV(data);
    if (!ok || pcm.empty()) return -1;
    effects_[size_t(effectCount_)] = std::move(pcm);
    return effectCount_++;
}

void SdlAudio::PlayEffect(int id) {
    if (id < 0 || id >= effectCount_ || !HasDevice()) return;
    if (resting_ && !OpenDevice()) return;
    effectSerial_ = (effectSerial_ + 1) & 0xFFFFFF;
    effectRequest_.store(effectSerial_ << 8 | uint32_t(id + 1), std::memory_order_release);
    Resume();
}

void SdlAudio::Rest() {
    // The music's device is opened and closed on this thread too, so it cannot open
    // meanwhile; and a device that has paused itself has played its last effect to the end.
    if (!device_ || manual_ || waveOut_.IsOpen()) return;
    const SDL_AudioDeviceID id = device_;
    // The callback runs under the device's lock: with it held none is under way, and one
    // that paused the device is done with device_. A paused device never calls back again.
    SDL_LockAudioDevice(id);
    const bool paused = Paused();
    if (paused) device_ = 0;
    SDL_UnlockAudioDevice(id);
    if (!paused) return;
    resting_ = true;
    // SDL waits two periods for the card to drain before it closes: on a thread of its
    // own, so the frames go on meanwhile.
    if (closer_.joinable()) closer_.join();
    try {
        closer_ = std::thread([id] { SDL_CloseAudioDevice(id); });
    } catch (const std::system_error&) {
        SDL_CloseAudioDevice(id);
    }
}

const std::vector<int16_t>* SdlAudio::EffectSamples(int id) const {
    return id >= 0 && id < effectCount_ ? &effects_[size_t(id)] : nullptr;
}

}  // namespace platform
