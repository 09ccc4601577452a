// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/FallbackTarget.h"
#include "documents/office/OfficeOptions.h"

#include <QString>
#include <memory>

class OfficeConnection;

// Where worksheets go, in one place for the window and the command line.
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

// The target for one worksheet: the word processor when it can be reached, with the .docx fallback.
struct WorksheetTarget {
    std::unique_ptr<FallbackTarget> target;
    std::shared_ptr<OfficeConnection> office; // null when no office was reached
};

bool libreOfficeSupported();

// Starts reaching the word processor in the background (a window that just opened), so the first
// worksheet does not wait for a cold office; chooseTarget then takes that connection. Returns at once
// and tells the user nothing.
void warmUpOffice(const TargetSettings &settings);

class WriterHost;
struct WorksheetArgs;

// The command line's LibreOffice run: each worksheet typed into a new document and, where a path is
// given, exported by its extension. With headless the documents are closed after their export and an
// office started here is ended at the end; otherwise they stay open for the user.
struct OfficeSheet {
    const WorksheetArgs *args;
    QString exportPath;
};
Status typeIntoLibreOffice(const TargetSettings &settings, WriterHost &host,
                           const QList<OfficeSheet> &sheets);
WorksheetTarget chooseTarget(const TargetSettings &settings, FallbackTarget::Notify notify,
                             FallbackTarget::OpenFile open = &FallbackTarget::openWithDefaultApplication);
