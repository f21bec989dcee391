#pragma once
// One bounds-checked reader for every record the program reads from a file or the
// settings store. A read past the end yields zeros and sets a sticky flag, so a record
// is checked once, after it has been read, instead of at every field.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class ByteReader {
public:
    ByteReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}

    bool ok() const { return !overflow_; }
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
    const uint8_t* here() const { return data_ + (pos_ <= size_ ? pos_ : size_); }

    void seek(size_t pos) {
        if (pos > size_) { overflow_ = true; pos_ = size_; } else pos_ = pos;
    }
    void skip(size_t n) {
        if (n > remaining()) { overflow_ = true; pos_ = size_; } else pos_ += n;
    }

    uint8_t u8() { uint8_t v = 0; bytes(&v, 1); return v; }
    uint16_t u16le() { uint8_t b[2]; bytes(b, 2); return uint16_t(b[0] | b[1] << 8); }
    uint32_t u32le() {
        uint8_t b[4]; bytes(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    int32_t i32le() { return int32_t(u32le()); }
    uint16_t u16be() { uint8_t b[2]; bytes(b, 2); return uint16_t(b[0] << 8 | b[1]); }
    uint32_t u32be() {
        uint8_t b[4]; bytes(b, 4);
        return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
    }

    // Copies n bytes; on overflow the destination is zero-filled.
    void bytes(void* out, size_t n) {
        if (n > remaining()) {
            std::memset(out, 0, n);
            overflow_ = true;
            pos_ = size_;
            return;
        }
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
    }

    // A length-prefixed string in a slot of 1 + capacity bytes; a length byte above the
    // capacity is cut to it (the slot cannot hold more).
    std::string shortString(size_t capacity) {
        size_t start = pos_;
        size_t len = u8();
        if (len > capacity) len = capacity;
        std::string s;
        if (len <= remaining()) s.assign(reinterpret_cast<const char*>(here()), len);
        seek(start + 1 + capacity);
        return s;
    }

    // A NUL-terminated string; an unterminated one ends at the end of the data.
    std::string cString() {
        std::string s;
        while (pos_ < size_ && data_[pos_] != 0) s.push_back(char(data_[pos_++]));
        if (pos_ < size_) ++pos_; else overflow_ = true;
        return s;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool overflow_ = false;
};
