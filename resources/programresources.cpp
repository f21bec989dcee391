#include "resources/programresources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must stand outside any namespace.
static bool RegisterOnce() {
    Q_INIT_RESOURCE(marlipan);
    return true;
}

void InitProgramResources() {
    static const bool registered = RegisterOnce();
    (void)registered;
}
