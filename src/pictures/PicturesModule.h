// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

// Reading a photo or scan needs Qt's image readers and ZXing, which the command line does not link: the
// program reaches them through a module of its own (libtessaly-pictures.so), loaded only by the
// commands that read pictures.
struct PicturesEntry {
    int version;
    // The texts of the QR codes in the picture, or why the picture cannot be read.
    Result<QStringList> (*scan)(const QString &path);
};

constexpr int PicturesEntryVersion = 1;

namespace picturesmodule {

// The module's entry, loaded once from the module folders; null, with *why set, when there is none.
const PicturesEntry *entry(QString *why = nullptr);

} // namespace picturesmodule
