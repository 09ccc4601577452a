// SPDX-License-Identifier: GPL-3.0-or-later
// A grade page as any server may send it: the first line is the Content-Type header, the rest the body.
// Decoding by the charset (header, <meta>, or the GB18030 default), the body's content, and the checks
// and split into records that decide whether the page goes into the bank.
#include "download/PageText.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = input.indexOf('\n');
    const QString header = newline < 0 ? QString() : QString::fromLatin1(input.first(newline));
    const QByteArray body = newline < 0 ? input : input.sliced(newline + 1);
    bool clean = true;
    const QString decoded = pagetext::decode(body, header, &clean);
    const QString text = pagetext::bodyContent(decoded);
    if (!pagetext::usable(text))
        return 0;
    const QString normalised = pagetext::normalised(text);
    if (pagetext::complete(normalised))
        (void)pagetext::records(normalised);
    return 0;
}
