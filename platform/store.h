#pragma once
// The per-user store on this platform: QSettings("Dunmarsh", "Marlipan") in its native
// format, which on Linux is the INI file ~/.config/Dunmarsh/Marlipan.conf (XDG).
//
// A binary value is written as a QByteArray (the file shows it as @ByteArray(...)) and
// reads back as one; a string is a QString. Anything else in the file (a list, a
// @Variant) can only come from editing it by hand and reads as StoreValueType::Other.
//
// QSettings writes the file only at sync() or destruction, through a lock file and an
// atomic rename, and keeps one parsed copy of each file per process: what reached the
// disk can only be seen from another process.

#include <memory>
#include <string>

#include "common/settingsstore.h"

class QSettings;

class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    ~QSettingsStore() override;
    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    StoreValue Read(const std::string& name) const override;
    void WriteString(const std::string& name, const std::string& value) override;
    void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override;
    // Throws StoreError naming the file when it cannot be written.
    void Sync() override;

    // The file behind the store, in the file system's encoding.
    std::string FileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};
