// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxPackage.h"

#include "common/AtomicFile.h"

#include <memory>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace docxpackage {

Result<QByteArray> zip(const QList<Part> &parts, int level) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        return Result<QByteArray>::failure(
            u"无法创建压缩包：%1"_s.arg(QString::fromUtf8(zip_error_strerror(&error))));
    // The archive owns the source once opened; keep our own reference to read the result back.
    zip_source_keep(buffer);
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> source(buffer, &zip_source_free);

    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer); // the failed open did not take it
        return Result<QByteArray>::failure(
            u"无法创建压缩包：%1"_s.arg(QString::fromUtf8(zip_error_strerror(&error))));
    }

    for (const Part &part : parts) {
        // libzip copies nothing until zip_close, so the part bytes must outlive the loop: they do,
        // as `parts` is alive until the end of this function.
        zip_source_t *data = zip_source_buffer(archive, part.second.constData(),
                                               static_cast<zip_uint64_t>(part.second.size()), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, part.first.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0 || zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                                  static_cast<zip_uint32_t>(level)) < 0) {
            if (data && index < 0)
                zip_source_free(data);
            const QString message = QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            return Result<QByteArray>::failure(u"无法写入压缩包：%1"_s.arg(message));
        }
    }
    if (zip_close(archive) < 0) {
        const QString message = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        return Result<QByteArray>::failure(u"无法写入压缩包：%1"_s.arg(message));
    }

    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) < 0 || zip_source_open(buffer) < 0)
        return Result<QByteArray>::failure(u"无法读取压缩包"_s);
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return Result<QByteArray>::failure(u"无法读取压缩包"_s);
    return Result<QByteArray>::success(std::move(bytes));
}

Status writeAtomically(const QString &path, const QByteArray &bytes) {
    return writeFileAtomically(path, bytes);
}

} // namespace docxpackage
