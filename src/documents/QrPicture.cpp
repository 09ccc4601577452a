// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/QrPicture.h"

#include <array>
#include <memory>
#include <qrencode.h>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace qrpicture {

namespace {

constexpr int QuietModules = 4; // the margin a reader needs around the code

void bigEndian(QByteArray &out, quint32 value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void chunk(QByteArray &out, const char type[4], const QByteArray &data) {
    bigEndian(out, static_cast<quint32>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out += data;
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef *>(out.constData() + start),
                            static_cast<uInt>(out.size() - start));
    bigEndian(out, static_cast<quint32>(crc));
}

} // namespace

std::optional<QByteArray> png(const QString &text, int pixelsPerModule) {
    const QByteArray utf8 = text.toUtf8();
    // Level M: a smudge or a fold in a photo still reads.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return std::nullopt;
    const int modules = code->width + 2 * QuietModules;
    const int side = modules * pixelsPerModule;
    // One bit a pixel, 1 white; each row starts with filter type 0.
    const int rowBytes = (side + 7) / 8;
    QByteArray raw;
    raw.reserve(static_cast<qsizetype>(rowBytes + 1) * side);
    for (int y = 0; y < side; ++y) {
        raw += '\0';
        const int my = y / pixelsPerModule - QuietModules;
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < side; ++x) {
            const int mx = x / pixelsPerModule - QuietModules;
            const bool dark = mx >= 0 && my >= 0 && mx < code->width && my < code->width &&
                              (code->data[my * code->width + mx] & 1) != 0;
            if (!dark)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        raw += row;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), '\0');
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef *>(raw.constData()), static_cast<uLong>(raw.size()),
                  9) != Z_OK)
        return std::nullopt;
    packed.truncate(static_cast<qsizetype>(packedSize));

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    bigEndian(header, static_cast<quint32>(side));
    bigEndian(header, static_cast<quint32>(side));
    header += '\x01'; // bit depth
    header += '\0';   // greyscale
    header += '\0';   // deflate
    header += '\0';   // adaptive filtering
    header += '\0';   // no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

} // namespace qrpicture
