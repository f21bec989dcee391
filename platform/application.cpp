#include "platform/application.h"

#include <QMessageBox>
#include <exception>

#include "platform/keystate.h"

MarlipanApplication::MarlipanApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Marlipan");
    setApplicationDisplayName("Marlipan!");
    setOrganizationName("Dunmarsh");
    KeyState::Install(this);
}

bool MarlipanApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError("Unknown error");
    }
    return false;
}

void ShowError(const QString& text) {
    QString message = text;
    if (!message.endsWith('.') && !message.endsWith('!') && !message.endsWith('?'))
        message += '.';
    QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), message);
}
