#include "solver/tablefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

namespace solver {
namespace tablefile {

namespace {

constexpr char kMagic[8] = {'M', 'L', 'P', 'N', 'P', 'D', 'B', 0};

void Put(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

std::vector<uint8_t> Header(const PatternDb& db) {
    std::vector<uint8_t> h(kMagic, kMagic + 8);
    Put(h, kFormatVersion, 4);
    Put(h, uint64_t(db.Size()), 4);
    Put(h, db.Tiles().size(), 4);
    h.insert(h.end(), db.Tiles().begin(), db.Tiles().end());
    Put(h, db.Entries(), 8);
    Put(h, (db.Entries() + 1) / 2, 8);
    return h;
}

}  // namespace

uint64_t Checksum(const uint8_t* data, size_t size) {
    // FNV-1a over 8-byte words, then the tail bytes, finished by a 64-bit mixer: any changed
    // or moved word changes the sum.
    uint64_t h = 0xcbf29ce484222325ull ^ size;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        h = (h ^ word) * 0x100000001b3ull;
        h ^= h >> 29;
    }
    for (; i < size; ++i) h = (h ^ data[i]) * 0x100000001b3ull;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

std::string FileName(const PatternDb& db) {
    std::string name = "pdb" + std::to_string(db.Size()) + "-";
    for (size_t i = 0; i < db.Tiles().size(); ++i) name += (i ? "." : "") + std::to_string(db.Tiles()[i]);
    return name + ".bin";
}

bool Load(const std::string& path, PatternDb& db, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "missing";
        return false;
    }
    const std::vector<uint8_t> expected = Header(db);
    std::vector<uint8_t> header(expected.size() + 8);
    if (!in.read(reinterpret_cast<char*>(header.data()), std::streamsize(header.size()))) {
        why = "truncated header";
        return false;
    }
    if (std::memcmp(header.data(), kMagic, 8) != 0) {
        why = "not a table file";
        return false;
    }
    if (std::memcmp(header.data(), expected.data(), expected.size()) != 0) {
        why = "another format version or pattern";
        return false;
    }
    uint64_t checksum = 0;
    for (int i = 0; i < 8; ++i) checksum |= uint64_t(header[expected.size() + size_t(i)]) << (8 * i);
    std::vector<uint8_t>& packed = db.Packed();
    packed.resize(size_t((db.Entries() + 1) / 2));
    if (!in.read(reinterpret_cast<char*>(packed.data()), std::streamsize(packed.size()))) {
        packed.clear();
        why = "truncated";
        return false;
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        packed.clear();
        why = "longer than its header says";
        return false;
    }
    if (Checksum(packed.data(), packed.size()) != checksum) {
        packed.clear();
        why = "checksum mismatch";
        return false;
    }
    return true;
}

bool Save(const std::string& path, const PatternDb& db, std::string& why) {
    std::vector<uint8_t> header = Header(db);
    Put(header, Checksum(db.Packed().data(), db.Packed().size()), 8);
    // A name no other writer uses: two draws of the system's random source.
    std::random_device random;
    const std::string temporary = path + ".tmp-" + std::to_string(random()) + std::to_string(random());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
        out.write(reinterpret_cast<const char*>(db.Packed().data()), std::streamsize(db.Packed().size()));
        out.close();
        if (!out) {
            why = "cannot write " + temporary + ": " + std::strerror(errno);
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = "cannot rename to " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace tablefile
}  // namespace solver
