// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mainwindow/NoticeSink.h"

#include <QObject>
#include <QString>

class QSystemTrayIcon;
class QTimer;
class QWidget;
class NoticePanel;

// The program's icon in the desktop's notification area, and its notices. The icon follows the tray as
// it comes and goes while the program runs. A notice goes to the tray; where there is none, to the
// desktop's notification service; where there is neither, into the owner window.
class Module3 : public QObject, public NoticeSink {
    Q_OBJECT

public:
    explicit Module3(QWidget *owner);

    void AddTrayIcon(const QString &tooltip);
    void ShowNotice(const QString &text, const QString &title, int iconKind) override;
    void RemoveTrayIcon();

    bool trayShown() const;
    bool trayRemoved() const { return removed_; }
    QString trayToolTip() const;
    NoticePanel *panel() const { return panel_; }
    enum class Route { None, Tray, Desktop, Panel };
    // Where the last notice went.
    Route lastRoute() const { return lastRoute_; }
    // Shows or hides the icon as the tray is there or not (every two seconds, and before a notice).
    void followTray();

Q_SIGNALS:
    void leftClicked();  // restore and focus the owner
    void rightClicked(); // bring the owner to the front

private:
    bool trayShowsMessages() const;

    QWidget *owner_;
    QSystemTrayIcon *tray_ = nullptr;
    NoticePanel *panel_;
    bool removed_ = false;
    QTimer *trayWatch_;
    Route lastRoute_ = Route::None;
};
