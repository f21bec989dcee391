#include "platform/store.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace {

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QStringLiteral("Dunmarsh"), QStringLiteral("Marlipan"));
}

// Strings travel as the file system's bytes (the gamepack name is a file name); the file
// itself holds them as UTF-8 text.
QString ToQString(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string FromQString(const QString& text) {
    QByteArray b = QFile::encodeName(text);
    return std::string(b.constData(), size_t(b.size()));
}

}  // namespace

QSettingsStore::QSettingsStore() : settings_(OpenSettings()) {}

QSettingsStore::~QSettingsStore() = default;

StoreValue QSettingsStore::Read(const std::string& name) const {
    const QVariant v = settings_->value(ToQString(name));
    StoreValue out;
    if (!v.isValid()) return out;  // missing
    switch (v.typeId()) {
    case QMetaType::QString: {
        const QString text = v.toString();
        out.type = StoreValueType::String;
        out.text = FromQString(text);
        // QSettings writes a byte array as "@ByteArray(...)" and reads back only a whole
        // one as bytes; a file cut off inside the value leaves the front as text. Those
        // are the value's bytes, less the last character, which may be half an escape.
        static const QString kByteArray = QStringLiteral("@ByteArray(");
        if (text.startsWith(kByteArray) && text.size() > kByteArray.size()) {
            const QByteArray front = text.mid(kByteArray.size()).chopped(1).toLatin1();
            out.cutBinary = true;
            out.bytes.assign(front.constData(), front.constData() + front.size());
        }
        break;
    }
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        out.type = StoreValueType::Binary;
        out.bytes.assign(b.constData(), b.constData() + b.size());
        break;
    }
    default:
        out.type = StoreValueType::Other;
        break;
    }
    return out;
}

void QSettingsStore::WriteString(const std::string& name, const std::string& value) {
    settings_->setValue(ToQString(name), ToQString(value));
}

void QSettingsStore::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
    settings_->setValue(ToQString(name),
                        QByteArray(reinterpret_cast<const char*>(value.data()),
                                   qsizetype(value.size())));
}

void QSettingsStore::Sync() {
    // A QSettings object reports the first error it met for ever after, so each sync is
    // done by a fresh one. Unwritten values live in the process's shared copy of the file,
    // not in the object, so the fresh one writes them too; and since it is opened before
    // the old one closes, that copy is never dropped from the cache with values pending.
    std::unique_ptr<QSettings> fresh = OpenSettings();
    fresh->sync();
    const QSettings::Status status = fresh->status();
    settings_.swap(fresh);
    fresh.reset();
    // A FormatError only says the file read in was malformed; QSettings still writes it
    // out afresh, so only an AccessError means the values did not reach the disk.
    if (status != QSettings::AccessError) return;
    throw StoreError("Can't write the settings file \"" + FileName() + "\"");
}

std::string QSettingsStore::FileName() const {
    return FromQString(settings_->fileName());
}
