#include "platform/dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace {
DialogHooks& Hooks() {
    static DialogHooks hooks;
    return hooks;
}
}  // namespace

void SetDialogHooks(DialogHooks hooks) { Hooks() = std::move(hooks); }

void ShowMessage(const QString& text) {
    if (Hooks().message) return Hooks().message(text);
    QMessageBox::information(nullptr, QGuiApplication::applicationDisplayName(), text);
}

void ShowError(const QString& text) {
    QString message = text;
    if (!message.endsWith('.') && !message.endsWith('!') && !message.endsWith('?')) message += '.';
    if (Hooks().message) return Hooks().message(message);
    QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), message);
}

bool AskYesNo(const QString& caption, const QString& question) {
    if (Hooks().question) return Hooks().question(caption, question);
    return QMessageBox::question(nullptr, caption, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool ModalOrPopupOpen() {
    return QApplication::activePopupWidget() != nullptr || QGuiApplication::modalWindow() != nullptr;
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
