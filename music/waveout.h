#pragma once
// The boundary between the music engine and a sound device: the operations of a
// Windows-style wave-out device, so the engine can stream two circulating buffers to
// whatever the platform offers (an SDL2 device in the game, a fake in tests).

#include <cstdint>
#include <string>

namespace waveout {

using Result = uint32_t;
constexpr Result kOk = 0;
// Common failure codes, with the meanings of their Windows namesakes.
constexpr Result kError = 1;          // unspecified error
constexpr Result kBadDevice = 2;      // no such device / no device at all
constexpr Result kNotEnabled = 3;     // driver failed to enable
constexpr Result kAllocated = 4;      // device already in use
constexpr Result kInvalidHandle = 5;  // device not open
constexpr Result kNoMemory = 7;
constexpr Result kStillPlaying = 33;  // buffer still queued
constexpr Result kUnprepared = 34;    // header not prepared

// Callback messages.
constexpr uint32_t kWomOpen = 0x3BB;
constexpr uint32_t kWomClose = 0x3BC;
constexpr uint32_t kWomDone = 0x3BD;   // a queued buffer has finished (or was reset)

struct Format {
    uint16_t FormatTag = 1;   // PCM
    uint16_t Channels = 2;
    uint32_t SamplesPerSec = 44100;
    uint32_t AvgBytesPerSec = 176400;
    uint16_t BlockAlign = 4;
    uint16_t BitsPerSample = 16;
};

// Describes one buffer to the device. The device owns it from Write until it reports
// the buffer done; the caller must not touch Data or BufferLength in between.
struct Header {
    uint8_t* Data = nullptr;
    uint32_t BufferLength = 0;   // bytes to play
    uint32_t Flags = 0;          // device bookkeeping (prepared, queued, done)
    uintptr_t User = 0;          // the caller's
};

// Called for kWomOpen, kWomClose and kWomDone (with the header of the finished buffer).
// A device reports finished buffers in the order they were written, one at a time, on a
// thread of its own: never from inside one of the operations below and never on the
// thread that opened it. The callback may call Write for a finished header.
using Callback = void (*)(uint32_t message, Header* header, void* instance);

class Device {
public:
    virtual ~Device() = default;

    // Opens the default output for the format; done reports go to the callback.
    virtual Result Open(const Format& format, Callback callback, void* instance) = 0;
    virtual Result PrepareHeader(Header* header) = 0;
    // Queues a prepared header; buffers play in the order they were written.
    virtual Result Write(Header* header) = 0;
    // Stops playback and reports every queued buffer done, in order.
    virtual Result Reset() = 0;
    virtual Result UnprepareHeader(Header* header) = 0;
    virtual Result Close() = 0;
    // The system's description of an error code, as a user may read it.
    virtual std::string ErrorText(Result code) const = 0;
};

}  // namespace waveout
