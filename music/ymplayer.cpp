#include "music/ymplayer.h"

#include <chrono>

namespace {

// How long Stop waits for the device to hand back its buffers after a reset. A device
// that keeps them longer is broken; the wait must still end so the game can go on.
constexpr auto kRetireTimeout = std::chrono::seconds(3);

}  // namespace

CYmEngine::CYmEngine(waveout::Device* device) : device_(device), sequencer_(chip_) {
    for (auto& b : buffers_) b.assign(kBufferValues, 0);
    retired_[0].store(true);
    retired_[1].store(true);
    chip_.BuildVolumeTables(volume_);
    sequencer_.ResetForPass(true);
}

CYmEngine::~CYmEngine() {
    try {
        Stop();
    } catch (const WaveOutError&) {
        // Nothing can be done about a device failing while the engine goes away.
    }
}

void CYmEngine::SetVolume(int volume) {
    volume_ = uint8_t(volume < 0 ? 0 : volume > 255 ? 255 : volume);
    // Under the refill lock: a refill takes the tables over as it starts and must not find
    // them half rebuilt, some entries at the old volume and some at the new. The rebuild
    // takes microseconds; at worst this waits for one refill in progress.
    std::lock_guard<std::mutex> lock(lock_);
    chip_.BuildVolumeTables(volume_);
}

void CYmEngine::Unload() {
    Stop();
    song_.Clear();
    frames_ = SongFrames();
    loaded_ = false;
    sequencer_.SetSong(nullptr, nullptr);
    songData_.clear();
}

bool CYmEngine::LoadSong(const uint8_t* packed, size_t size) {
    Unload();
    if (!packed || ClaimedUnpackedSize(packed, size) > kMaxSongBytes ||
        !decruncher_.Decrunch(packed, size))
        return false;
    songData_.assign(decruncher_.Output(), decruncher_.Output() + decruncher_.OutputSize());
    decruncher_.Release();
    return ParsePlainSong();
}

bool CYmEngine::LoadPlainSong(const uint8_t* data, size_t size) {
    Unload();
    if ((!data && size) || size > kMaxSongBytes) return false;
    if (size) songData_.assign(data, data + size);
    return ParsePlainSong();
}

bool CYmEngine::ParsePlainSong() {
    ParseSong(songData_, song_, frames_);
    if (frames_.Kind != SongKind::Unknown) {
        // Every song plays at the same clock, whatever its header says.
        chip_.SetChipClock(ym::kPlaybackClock);
        chip_.BuildVolumeTables(volume_);
    }
    sequencer_.SetSong(&songData_, &frames_);
    loaded_ = true;
    sequencer_.ResetForPass(true);
    return true;
}

void CYmEngine::ResetForPass() { sequencer_.ResetForPass(!Playing()); }

uint32_t CYmEngine::Render(int which) {
    chip_.SetTarget(buffers_[which].data(), kBufferValues);
    sequencer_.FillBuffer();
    return chip_.ValueIndex();
}

uint32_t CYmEngine::FillBuffer(int which) {
    if (deviceOpen_) return 0;   // the device's thread owns the renderer meanwhile
    return Render(which & 1);
}

std::string CYmEngine::ErrorText(waveout::Result code) const {
    std::string text = device_ ? device_->ErrorText(code) : std::string();
    if (text.size() > 255) text.resize(255);   // what a 256-character buffer holds
    return text;
}

void CYmEngine::RetireLocked(int which) {
    retired_[which].store(true, std::memory_order_release);
    // Both buffers back while playing: the song has ended (or the device refused a
    // refill). The device is closed later on the user-interface thread, never here.
    if (retired_[0].load() && retired_[1].load()) playing_.store(false, std::memory_order_release);
    retiredChanged_.notify_all();
}

void CYmEngine::DoneCallback(uint32_t message, waveout::Header* header, void* instance) {
    if (message != waveout::kWomDone || !instance || !header) return;
    static_cast<CYmEngine*>(instance)->OnBufferDone(header);
}

void CYmEngine::OnBufferDone(waveout::Header* header) {
    const int which = header == &headers_[0] ? 0 : header == &headers_[1] ? 1 : -1;
    if (which < 0) return;
    std::lock_guard<std::mutex> lock(lock_);
    if (retired_[which].load()) return;
    if (!playing_.load()) {
        RetireLocked(which);
        return;
    }
    const uint32_t values = Render(which);
    if (values == 0) {
        RetireLocked(which);
        return;
    }
    header->BufferLength = values * 2;
    if (device_->Write(header) != waveout::kOk) RetireLocked(which);
}

bool CYmEngine::WaitRetired() {
    std::unique_lock<std::mutex> lock(lock_);
    return retiredChanged_.wait_for(lock, kRetireTimeout,
                                    [&] { return retired_[0].load() && retired_[1].load(); });
}

void CYmEngine::AbortPlay(const std::string& step, waveout::Result code, bool queued,
                          const char* closeStep) {
    const std::string text = ErrorText(code);
    std::string extra;
    auto note = [&](const char* name, waveout::Result r) {
        if (r != waveout::kOk) extra += "\r\n[" + std::string(name) + "]\r\n" + ErrorText(r);
    };
    {
        std::lock_guard<std::mutex> lock(lock_);
        playing_.store(false);
        if (!queued) {
            retired_[0].store(true);
            retired_[1].store(true);
        }
    }
    if (queued) {
        note("WaveOutReset(Init)", device_->Reset());
        WaitRetired();
    }
    if (prepared_[1]) note("WaveOutUnprepareHeader2(Init)", device_->UnprepareHeader(&headers_[1]));
    if (prepared_[0]) note("WaveOutUnprepareHeader1(Init)", device_->UnprepareHeader(&headers_[0]));
    prepared_[0] = prepared_[1] = false;
    note(closeStep, device_->Close());
    deviceOpen_ = false;
    throw WaveOutError(step, text + extra);
}

void CYmEngine::Play() {
    if (!device_ || !Playable()) return;
    if (deviceOpen_) {
        if (Playing()) return;
        Stop();   // a song that ended by itself left the device open
    }

    // Refills wait for this lock, so a buffer that comes back early cannot be rendered
    // while the second one is, nor requeued ahead of it.
    std::unique_lock<std::mutex> lock(lock_);
    waveout::Format format;
    const waveout::Result opened = device_->Open(format, &CYmEngine::DoneCallback, this);
    if (opened != waveout::kOk) throw WaveOutError("WaveOutOpen", ErrorText(opened));
    deviceOpen_ = true;
    sequencer_.ResetForPass(true);
    retired_[0].store(false);
    retired_[1].store(false);
    playing_.store(true, std::memory_order_release);

    const uint32_t first = Render(0);
    if (first == 0) {
        // Nothing to play at all: close at once.
        playing_.store(false);
        retired_[0].store(true);
        retired_[1].store(true);
        deviceOpen_ = false;
        lock.unlock();
        const waveout::Result r = device_->Close();
        if (r != waveout::kOk) throw WaveOutError("WaveOutClose(Init)", ErrorText(r));
        return;
    }
    headers_[0] = waveout::Header{reinterpret_cast<uint8_t*>(buffers_[0].data()), first * 2, 0, 0};
    waveout::Result r = device_->PrepareHeader(&headers_[0]);
    if (r != waveout::kOk) {
        lock.unlock();
        AbortPlay("WaveOutPrepareHeaderN1", r, false, "WaveOutClose(Init1)");
    }
    prepared_[0] = true;
    r = device_->Write(&headers_[0]);
    if (r != waveout::kOk) {
        lock.unlock();
        AbortPlay("WaveOutWriteN1", r, false, "WaveOutClose(Init2)");
    }

    const uint32_t second = Render(1);
    if (second == 0) {
        retired_[1].store(true);   // the song ended inside the first buffer
        return;
    }
    headers_[1] = waveout::Header{reinterpret_cast<uint8_t*>(buffers_[1].data()), second * 2, 0, 0};
    r = device_->PrepareHeader(&headers_[1]);
    if (r != waveout::kOk) {
        retired_[1].store(true);   // never queued, so it will not come back
        lock.unlock();
        AbortPlay("WaveOutPrepareHeaderN2", r, true, "WaveOutClose(Init)");
    }
    prepared_[1] = true;
    r = device_->Write(&headers_[1]);
    if (r != waveout::kOk) {
        retired_[1].store(true);   // never queued, so it will not come back
        lock.unlock();
        AbortPlay("WaveOutWriteN2", r, true, "WaveOutClose(Init)");
    }
}

void CYmEngine::Stop() {
    if (!deviceOpen_) return;
    {
        // Taken so that a refill in progress finishes (and its buffer is queued) before
        // the reset, and every later return finds playing cleared and retires.
        std::lock_guard<std::mutex> lock(lock_);
        playing_.store(false, std::memory_order_release);
    }
    std::string step, text;
    auto check = [&](const char* name, waveout::Result r) {
        if (r != waveout::kOk && step.empty()) {
            step = name;
            text = ErrorText(r);
        }
    };
    check("WaveOutReset", device_->Reset());
    if (!WaitRetired() && step.empty()) {
        step = "WaveOutReset";
        text = "The device did not return its buffers.";
    }
    if (prepared_[0]) check("WaveOutUnprepareHeader1(Stop)", device_->UnprepareHeader(&headers_[0]));
    if (prepared_[1]) check("WaveOutUnprepareHeader2(Stop)", device_->UnprepareHeader(&headers_[1]));
    prepared_[0] = prepared_[1] = false;
    check("WaveOutClose(Stop)", device_->Close());
    deviceOpen_ = false;
    if (!step.empty()) throw WaveOutError(step, text);
}
