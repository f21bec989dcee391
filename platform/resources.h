#pragma once
// Resources compiled into the program (resources/marlipan.qrc), found the way the game
// asks for them: by type and name, without regard to case ("wav", "appl" finds
// :/wav/APPL).

#include <QByteArray>
#include <QString>

namespace platform {

// The resource's bytes; a null array when there is no such resource.
QByteArray FindResource(const QString& name, const QString& type);

}  // namespace platform
