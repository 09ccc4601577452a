// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

class QLabel;
class QTimer;

// A notice inside the window, for desktops without a tray that shows messages: the information icon,
// the title and the text, over the window's top; it does not block, a later notice replaces it, and it
// hides itself after a while or on a click.
class NoticePanel : public QFrame {
    Q_OBJECT

public:
    explicit NoticePanel(QWidget *parent);
    void showNotice(const QString &text, const QString &title);
    QString text() const;
    QString title() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *icon_;
    QLabel *title_;
    QLabel *text_;
    QTimer *hideTimer_;
};
