#pragma once
// The per-user store of typed values (the game's settings, the Top 10 table and the saved
// game), as the game code sees it. No Qt here: platform/store.h puts QSettings behind it,
// MemoryStore below stands in for it in tests.
//
// Strings are byte strings: the settings are ASCII, and the gamepack name is kept as the
// bytes the file system gives, so that the same file opens again.

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A failure of the store itself (it cannot be written, it holds a value of the wrong type).
// what() is a sentence for the user, without the final full stop.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message the registry gives when a value has another type than the one asked for.
class StoreTypeError : public StoreError {
public:
    explicit StoreTypeError(const std::string& name)
        : StoreError("Invalid data type for '" + name + "'") {}
};

enum class StoreValueType { Missing, String, Binary, Other };

struct StoreValue {
    StoreValueType type = StoreValueType::Missing;
    std::string text;            // when type is String
    std::vector<uint8_t> bytes;  // when type is Binary, and when cutBinary is set
    // A String that is the front of a binary value whose end the store lost (its file was
    // truncated in the middle of the value); bytes holds the value's bytes up to the cut.
    bool cutBinary = false;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // What is stored under the name; Other for anything that is neither a string nor a
    // binary value (only possible by editing the store from outside).
    virtual StoreValue Read(const std::string& name) const = 0;

    // Writes may be held back until Sync().
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) = 0;

    // Makes every write so far durable; throws StoreError when that fails. Writes that
    // failed are kept and tried again by the next Sync().
    virtual void Sync() = 0;

    // Empty when the value is missing; StoreTypeError when it is there with another type.
    std::optional<std::string> ReadString(const std::string& name) const {
        StoreValue v = Read(name);
        if (v.type == StoreValueType::Missing) return std::nullopt;
        if (v.type != StoreValueType::String) throw StoreTypeError(name);
        return std::move(v.text);
    }
    std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) const {
        StoreValue v = Read(name);
        if (v.type == StoreValueType::Missing) return std::nullopt;
        if (v.type != StoreValueType::Binary) throw StoreTypeError(name);
        return std::move(v.bytes);
    }
};

// A store in memory. Reads see every write at once; Committed() holds only what the last
// successful Sync() made durable, which is what a later run of the program would find.
class MemoryStore : public SettingsStore {
public:
    StoreValue Read(const std::string& name) const override {
        auto it = values_.find(name);
        return it == values_.end() ? StoreValue{} : it->second;
    }
    void WriteString(const std::string& name, const std::string& value) override {
        values_[name] = StoreValue{StoreValueType::String, value, {}};
    }
    void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override {
        values_[name] = StoreValue{StoreValueType::Binary, {}, value};
    }
    void Sync() override {
        if (failSync_) throw StoreError("Can't write the settings: the store is read-only");
        committed_ = values_;
        ++syncCount_;
    }

    // Test hooks: plant any value (a wrong type among them), make Sync() fail.
    void Put(const std::string& name, StoreValue value) { values_[name] = std::move(value); }
    void SetSyncFails(bool fails) { failSync_ = fails; }
    const std::map<std::string, StoreValue>& Committed() const { return committed_; }
    int SyncCount() const { return syncCount_; }

private:
    std::map<std::string, StoreValue> values_;
    std::map<std::string, StoreValue> committed_;
    bool failSync_ = false;
    int syncCount_ = 0;
};
