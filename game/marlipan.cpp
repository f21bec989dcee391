#include "game/main.h"
#include "platform/application.h"
#include "platform/store.h"

int main(int argc, char** argv) {
    MarlipanApplication app(argc, argv);
    QSettingsStore store;
    TForm1 form(store);
    if (form.StartFailed()) return 1;
    form.show();
    return app.exec();
}
