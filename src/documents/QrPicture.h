// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The sheet's code as a QR code picture (libqrencode): a black-and-white PNG, each module a square of
// pixels so no program that scales it blurs the edges, with the quiet zone around it.
namespace qrpicture {

// The PNG, or none when the text cannot be encoded.
std::optional<QByteArray> png(const QString &text, int pixelsPerModule = 8);

} // namespace qrpicture
