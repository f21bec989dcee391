// The marlipan-pack manifest parser on any text.
#include <QByteArray>
#include <QString>

#include <cstdint>

#include "tools/pack/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        ParseManifest(QByteArray(reinterpret_cast<const char*>(data), int(size)),
                      QStringLiteral("fuzz.manifest"));
    } catch (const PackError&) {
    }
    return 0;
}
