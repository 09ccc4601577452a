// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxPackage.h"

#include "common/AtomicFile.h"

#include <QDateTime>
#include <algorithm>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace docxpackage {

namespace {

void put16(QByteArray &out, quint32 v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}
void put32(QByteArray &out, quint32 v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The time of the parts in the form zip keeps it (local time, to two seconds), as any archiver sets it.
std::pair<quint32, quint32> dosTimeAndDate(const QDateTime &when) {
    const QDate d = when.date();
    const QTime t = when.time();
    const int year = std::clamp(d.year(), 1980, 2107);
    return {static_cast<quint32>((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2)),
            static_cast<quint32>(((year - 1980) << 9) | (d.month() << 5) | d.day())};
}

// One part deflated raw (no zlib header), as zip's method 8 keeps it.
bool deflateRaw(const QByteArray &data, int level, QByteArray &out) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out.resize(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(data.size()))));
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(static_cast<qsizetype>(z.total_out));
    deflateEnd(&z);
    return result == Z_STREAM_END;
}

} // namespace

Result<QByteArray> zip(const QList<Part> &parts, int level) {
    // A package of the plain zip form (no zip64): a sheet's parts are far below its limits.
    constexpr qint64 Limit = 0xFFFFFFFE;
    if (parts.size() > 0xFFFF)
        return Result<QByteArray>::failure(u"无法写入压缩包：部件太多"_s);
    const std::pair<quint32, quint32> stamp = dosTimeAndDate(QDateTime::currentDateTime());
    const quint32 time = stamp.first; // named, not bound: the header's lambda takes them
    const quint32 date = stamp.second;
    QByteArray out;
    QByteArray directory;
    QByteArray packed;
    for (const Part &part : parts) {
        const QByteArray name = part.first.toUtf8();
        const QByteArray &data = part.second;
        if (data.size() > Limit || name.size() > 0xFFFF)
            return Result<QByteArray>::failure(u"无法写入压缩包：%1 太大"_s.arg(part.first));
        if (!deflateRaw(data, level, packed))
            return Result<QByteArray>::failure(u"无法写入压缩包：压缩 %1 失败"_s.arg(part.first));
        const auto crc = static_cast<quint32>(crc32(crc32(0, nullptr, 0),
                                                    reinterpret_cast<const Bytef *>(data.constData()),
                                                    static_cast<uInt>(data.size())));
        const qint64 at = out.size();
        if (at + packed.size() > Limit)
            return Result<QByteArray>::failure(u"无法写入压缩包：文件太大"_s);
        // The header that precedes a part, and its copy in the central directory; bit 11 says the
        // names are UTF-8.
        const auto common = [&](QByteArray &to) {
            put16(to, 20);       // version needed: deflate
            put16(to, 1u << 11); // flags
            put16(to, 8);        // deflated
            put16(to, time);
            put16(to, date);
            put32(to, crc);
            put32(to, static_cast<quint32>(packed.size()));
            put32(to, static_cast<quint32>(data.size()));
            put16(to, static_cast<quint32>(name.size()));
            put16(to, 0); // no extra field
        };
        put32(out, 0x04034b50);
        common(out);
        out.append(name);
        out.append(packed);

        put32(directory, 0x02014b50);
        put16(directory, (3u << 8) | 20); // made by: Unix attributes, so an unzipped part is rw-r--r--
        common(directory);
        put16(directory, 0);              // no comment
        put16(directory, 0);              // disk
        put16(directory, 0);              // internal attributes
        put32(directory, 0100644u << 16); // a regular file
        put32(directory, static_cast<quint32>(at));
        directory.append(name);
    }
    const qint64 directoryAt = out.size();
    if (directoryAt + directory.size() > Limit)
        return Result<QByteArray>::failure(u"无法写入压缩包：文件太大"_s);
    out.append(directory);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<quint32>(parts.size()));
    put16(out, static_cast<quint32>(parts.size()));
    put32(out, static_cast<quint32>(directory.size()));
    put32(out, static_cast<quint32>(directoryAt));
    put16(out, 0); // no comment
    return Result<QByteArray>::success(std::move(out));
}

Status writeAtomically(const QString &path, const QByteArray &bytes) {
    return writeFileAtomically(path, bytes);
}

} // namespace docxpackage
