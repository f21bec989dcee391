#include "platform/dialogs.h"

#include <QGuiApplication>
#include <QMessageBox>

void ShowMessage(const QString& text) {
    QMessageBox::information(nullptr, QGuiApplication::applicationDisplayName(), text);
}

bool AskYesNo(const QString& caption, const QString& question) {
    return QMessageBox::question(nullptr, caption, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
