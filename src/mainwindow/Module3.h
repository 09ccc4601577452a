#pragma once

#include "mainwindow/NoticeSink.h"

#include <QObject>
#include <QString>

class QSystemTrayIcon;
class QWidget;
class NoticePanel;

// The program's icon in the desktop's notification area, and its notices. Where the desktop has no
// tray, or one that cannot show messages, the notices appear inside the owner window instead.
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

Q_SIGNALS:
    void leftClicked();  // restore and focus the owner
    void rightClicked(); // bring the owner to the front

private:
    bool trayShowsMessages() const;

    QWidget *owner_;
    QSystemTrayIcon *tray_ = nullptr;
    NoticePanel *panel_;
    bool removed_ = false;
};
