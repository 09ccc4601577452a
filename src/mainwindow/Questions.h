// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The program's Yes/No questions ("确认退出？" and the download confirmation).
class Questions {
public:
    virtual ~Questions() = default;
    virtual bool askYesNo(const QString &text) = 0;
};

// Asks in a message box with Yes and No, under the application's title.
class MessageBoxQuestions : public Questions {
public:
    explicit MessageBoxQuestions(QWidget *parent)
        : parent_(parent) {}
    bool askYesNo(const QString &text) override;

private:
    QWidget *parent_;
};
