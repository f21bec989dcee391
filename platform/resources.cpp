#include "platform/resources.h"

#include <QDir>
#include <QFile>

#include "resources/programresources.h"


namespace platform {

namespace {

// The entry of dir whose name equals name without regard to case, or an empty string.
QString FindEntry(const QDir& dir, const QString& name, QDir::Filters filters) {
    for (const QString& entry : dir.entryList(filters, QDir::Name))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return QString();
}

}  // namespace

QByteArray FindResource(const QString& name, const QString& type) {
    InitProgramResources();
    if (name.isEmpty() || type.isEmpty()) return QByteArray();
    const QDir root(":/");
    const QString typeDir = FindEntry(root, type, QDir::Dirs | QDir::NoDotAndDotDot);
    if (typeDir.isEmpty()) return QByteArray();
    const QDir dir(root.filePath(typeDir));
    const QString file = FindEntry(dir, name, QDir::Files);
    if (file.isEmpty()) return QByteArray();
    QFile f(dir.filePath(file));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    QByteArray bytes = f.readAll();
    if (bytes.isNull()) bytes = QByteArray("");   // an empty resource still exists
    return bytes;
}

}  // namespace platform
