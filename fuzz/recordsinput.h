#pragma once
// The input form of records_fuzzer, shared with the seed writer: the store's values one
// after another, each as [name][type][length, 2 bytes little-endian][bytes]. The name
// byte picks one of kStoreNames (mod 9), the type byte one of the four value types
// (mod 4: missing, string, binary, other). A later value replaces an earlier one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/settingsstore.h"

namespace recordsinput {

constexpr const char* kStoreNames[9] = {"PlayMusic", "PlaySoundFX", "OnTop",
                                        "DoubleSize", "MusicVolume", "GamepackName",
                                        "SlideSpeed", "HiScore", "Savegame"};

inline void Append(std::vector<uint8_t>& out, int name, StoreValueType type,
                   const std::vector<uint8_t>& bytes) {
    out.push_back(uint8_t(name));
    out.push_back(type == StoreValueType::Missing ? 0
                  : type == StoreValueType::String ? 1
                  : type == StoreValueType::Binary ? 2
                                                   : 3);
    out.push_back(uint8_t(bytes.size()));
    out.push_back(uint8_t(bytes.size() >> 8));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void Fill(MemoryStore& store, const uint8_t* data, size_t size) {
    size_t at = 0;
    while (size - at >= 4) {
        const char* name = kStoreNames[data[at] % 9];
        const unsigned type = data[at + 1] % 4;
        size_t length = size_t(data[at + 2]) | size_t(data[at + 3]) << 8;
        at += 4;
        if (length > size - at) length = size - at;
        StoreValue v;
        const uint8_t* bytes = data + at;
        switch (type) {
        case 0: v.type = StoreValueType::Missing; break;
        case 1: v.type = StoreValueType::String; v.text.assign(bytes, bytes + length); break;
        case 2: v.type = StoreValueType::Binary; v.bytes.assign(bytes, bytes + length); break;
        default: v.type = StoreValueType::Other; break;
        }
        store.Put(name, std::move(v));
        at += length;
    }
}

}  // namespace recordsinput
