// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/SheetDelivery.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

// The window's delivery: the word processor when one answered; when none did, or it failed with the
// sheet, the sheet is saved in the documents folder, the user is told where, and the file is opened with
// the desktop's default application. A sheet never ends in silence.
class FallbackDelivery : public SheetDelivery {
public:
    using Notify = std::function<void(const QString &)>;
    using OpenFile = std::function<bool(const QString &)>;

    // primary may be null: then unreachable says why (empty when the .docx was asked for).
    // stopped: the user's stop; a sheet the office dropped because of it is not saved instead.
    // idle: the window's events while a sheet is packed and saved (a long sheet takes a while).
    FallbackDelivery(std::unique_ptr<SheetDelivery> primary, QString unreachable, QString folder,
                     Notify notify, OpenFile open, std::function<bool()> stopped = {},
                     std::function<void()> idle = {});

    Result<QString> deliver(const DocxTarget &sheet, const QString &path) override;
    void finish() override;

    SheetDelivery *primary() const { return primary_.get(); }

    // A file name from the title and the time, not yet taken in the folder.
    static QString fileNameFor(const QString &folder, const QString &title, const QDateTime &when);
    // The documents folder's subfolder for the program.
    static QString defaultFolder();
    // Opens a file with the desktop's default application.
    static bool openWithDefaultApplication(const QString &path);

private:
    std::unique_ptr<SheetDelivery> primary_;
    QString unreachable_;
    QString folder_;
    Notify notify_;
    OpenFile open_;
    std::function<bool()> stopped_;
    std::function<void()> idle_;
    bool failedWhileTyping_ = false; // the office took the sheet and failed with it
};
