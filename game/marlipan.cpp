#include "game/main.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    MarlipanApplication app(argc, argv);
    TForm1 form;
    if (form.StartFailed()) return 1;
    form.show();
    return app.exec();
}
