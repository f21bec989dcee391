#include "platform/dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

namespace {
DialogHooks& Hooks() {
    static DialogHooks hooks;
    return hooks;
}
}  // namespace

void SetDialogHooks(DialogHooks hooks) { Hooks() = std::move(hooks); }

namespace {
QPointer<QWidget>& Owner() {
    static QPointer<QWidget> owner;
    return owner;
}

QWidget* BoxParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* owner = Owner();
    return owner && owner->isVisible() ? owner : nullptr;
}

// Messages may hold a file's name ("The gamepack "<b>.spx" is damaged"): plain text always,
// never taken for markup.
void ShowBox(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok, BoxParent());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
}  // namespace

void SetMessageBoxOwner(QWidget* window) { Owner() = window; }

void ShowMessage(const QString& text) {
    if (Hooks().message) return Hooks().message(text);
    ShowBox(QMessageBox::Information, text);
}

void ShowError(const QString& text) {
    QString message = text;
    if (!message.endsWith('.') && !message.endsWith('!') && !message.endsWith('?')) message += '.';
    if (Hooks().message) return Hooks().message(message);
    ShowBox(QMessageBox::Critical, message);
}

bool AskYesNo(const QString& caption, const QString& question) {
    if (Hooks().question) return Hooks().question(caption, question);
    return QMessageBox::question(BoxParent(), caption, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool ModalOrPopupOpen() {
    return QApplication::activePopupWidget() != nullptr || QGuiApplication::modalWindow() != nullptr;
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
