// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/FallbackDelivery.h"
#include "documents/SheetDelivery.h"
#include "documents/office/OfficeOptions.h"

#include <QString>
#include <functional>
#include <memory>

// Where worksheets go, as tessaly.ini and the environment set it.
struct TargetSettings {
    enum class Kind { Automatic, LibreOffice, Docx };
    Kind kind = Kind::Automatic;
    OfficeOptions office;
    QString folder; // where .docx files are saved; empty: the documents folder's "Tessaly"

    // From tessaly.ini ([document] target = auto | libreoffice | docx, folder = ...;
    // [office] pipe, profile, search), overridden by TESSALY_TARGET, TESSALY_DOCUMENTS_DIR,
    // TESSALY_OFFICE_PIPE, TESSALY_OFFICE_PROFILE and TESSALY_OFFICE_SEARCH (folders joined by ':').
    static TargetSettings read(const QString &settingsFile);
    static std::optional<Kind> kindFromName(const QString &name);
};

// Starts reaching the word processor in the background (a window that just opened), so the first
// worksheet does not wait for a cold office; chooseOutputs then takes that connection. Returns at once
// and tells the user nothing.
void warmUpOffice(const TargetSettings &settings);
// At the program's end: the office the warm-up started is ended when no document is open in it.
void endWarmOfficeIfUnused();

// Who asks, and how its sheets should reach the user.
struct DeliveryWish {
    // The window falls back to the documents folder when no office takes the sheet; the command line
    // writes its --output file (docx) or uses the office (libreoffice) and fails plainly when it cannot.
    bool window = true;
    bool headless = false; // the command line's office: export and close, end an office started here
    FallbackDelivery::Notify notify;
    FallbackDelivery::OpenFile open = &FallbackDelivery::openWithDefaultApplication;
    std::function<void()> idle;      // the window's events while the office takes a sheet
    std::function<bool()> cancelled; // the window's stop, while the office takes a sheet
    std::function<bool()> mayRaise;  // no dialog of the window's is open: a sheet may come to the front
};

// The one choice of where sheets go, for the window and the command line alike.
Result<std::unique_ptr<SheetOutputs>> chooseOutputs(const TargetSettings &settings, const DeliveryWish &wish);
