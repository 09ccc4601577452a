// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Questions.h"

#include <QGuiApplication>
#include <QMessageBox>

bool MessageBoxQuestions::askYesNo(const QString &text) {
    return QMessageBox::question(parent_, QGuiApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
