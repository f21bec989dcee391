#include "game/hiscoretable.h"

#include <algorithm>

#include "common/bytereader.h"
#include "common/settingsstore.h"

void HiScoreTable::ResetHiScoreTable() {
    entries_.fill(HiScoreEntry{});
}

void HiScoreTable::ResetHighlight() {
    for (HiScoreEntry& e : entries_) e.Colour = HiScoreEntry::kSilver;
}

namespace {

bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t c = uint8_t(s[i]);
        size_t n;
        if (c < 0x80) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if (c >= 0xE0 && c <= 0xEF) n = 2;
        else if (c >= 0xF0 && c <= 0xF4) n = 3;
        else return false;
        if (i + n >= s.size()) return false;  // the sequence runs past the end
        for (size_t k = 1; k <= n; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

std::string HiScoreTable::CutName(const std::string& name) {
    if (name.size() <= kNameCapacity) return name;
    size_t len = kNameCapacity;
    if (IsValidUtf8(name))
        while (len > 0 && (uint8_t(name[len]) & 0xC0) == 0x80) --len;
    return name.substr(0, len);
}

int HiScoreTable::RecordResult(int32_t moves, int32_t timeLeft, const std::string& gamepackName) {
    int p = 0;
    while (p < kEntryCount && entries_[size_t(p)].Moves <= moves) ++p;
    if (p == kEntryCount) return -1;

    HiScoreEntry entry;
    entry.Moves = moves;
    entry.TimeLeft = timeLeft;
    entry.Colour = HiScoreEntry::kYellow;
    entry.Gamepack = CutName(gamepackName);

    ResetHighlight();
    for (int k = kEntryCount - 1; k > p; --k) entries_[size_t(k)] = entries_[size_t(k - 1)];
    entries_[size_t(p)] = std::move(entry);
    return p;
}

std::vector<uint8_t> HiScoreTable::Serialise() const {
    std::vector<uint8_t> out(kRecordSize, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int b = 0; b < 4; ++b) out[at + size_t(b)] = uint8_t(v >> (8 * b));
    };
    for (size_t i = 0; i < entries_.size(); ++i) {
        const HiScoreEntry& e = entries_[i];
        const size_t at = i * kEntrySize;
        put32(at, uint32_t(e.Moves));
        put32(at + 4, uint32_t(e.TimeLeft));
        put32(at + 8, e.Colour);
        // Entries are built by this class, so a name never exceeds its slot; cut anyway
        // rather than write past it.
        const size_t len = std::min(e.Gamepack.size(), kNameCapacity);
        out[at + 12] = uint8_t(len);
        std::copy(e.Gamepack.begin(), e.Gamepack.begin() + std::ptrdiff_t(len),
                  out.begin() + std::ptrdiff_t(at + 13));
    }
    return out;
}

std::optional<HiScoreTable> HiScoreTable::Parse(const uint8_t* data, size_t size) {
    if (size != kRecordSize) return std::nullopt;
    ByteReader r(data, size);
    HiScoreTable t;
    for (HiScoreEntry& e : t.entries_) {
        e.Moves = r.i32le();
        e.TimeLeft = r.i32le();
        e.Colour = r.u32le();
        e.Gamepack = r.shortString(kNameCapacity);
    }
    if (!r.ok()) return std::nullopt;
    return t;
}

void HiScoreTable::Load(const SettingsStore& store) {
    const StoreValue v = store.Read(kValueName);
    ResetHiScoreTable();
    if (v.type != StoreValueType::Binary && !v.cutBinary) return;
    if (v.bytes.size() > kRecordSize) return;
    // A record cut short keeps the entries it holds whole; the slots after them stay empty.
    std::vector<uint8_t> record = Serialise();
    const size_t whole = v.bytes.size() / kEntrySize * kEntrySize;
    std::copy(v.bytes.begin(), v.bytes.begin() + std::ptrdiff_t(whole), record.begin());
    if (std::optional<HiScoreTable> parsed = Parse(record.data(), record.size())) *this = std::move(*parsed);
}

void HiScoreTable::Save(SettingsStore& store) const {
    store.WriteBinary(kValueName, Serialise());
}
