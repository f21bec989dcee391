#include "game/main.h"
#include "platform/application.h"
#include "platform/sdlaudio.h"
#include "platform/store.h"

int main(int argc, char** argv) {
    MarlipanApplication app(argc, argv);
    QSettingsStore store;
    // Made before the window and gone after it: the music engine plays through it.
    platform::SdlAudio audio;
    TForm1 form(store, &audio);
    if (form.StartFailed()) return 1;
    form.show();
    return app.exec();
}
