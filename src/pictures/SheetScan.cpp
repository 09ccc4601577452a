// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/SheetScan.h"

#include <QDir>
#include <QImageReader>
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

using namespace Qt::Literals::StringLiterals;

namespace sheetscan {

QStringList codesIn(const QImage &picture) {
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setTryDownscale(true);
    QStringList texts;
    for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints))
        if (result.isValid())
            texts.append(QString::fromStdString(result.text()));
    return texts;
}

Result<QStringList> scan(const QString &path) {
    QImageReader reader(path);
    // A phone's photo stands the right way up as the phone saw it.
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return Result<QStringList>::failure(
            u"无法读取图片 %1：%2"_s.arg(QDir::toNativeSeparators(path), reader.errorString()));
    return Result<QStringList>::success(codesIn(image));
}

} // namespace sheetscan
