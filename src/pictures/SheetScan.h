// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QImage>
#include <QStringList>

// The QR codes in a photo or a scan of a sheet, by ZXing: the picture as grey levels, turned and looked
// at harder where a first look finds nothing.
namespace sheetscan {

Result<QStringList> scan(const QString &path);
QStringList codesIn(const QImage &image);

} // namespace sheetscan
