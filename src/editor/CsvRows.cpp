// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/CsvRows.h"

#include "bank/BankText.h"

#include <csv.h>

using namespace Qt::Literals::StringLiterals;

namespace csvrows {

namespace {

// What libcsv hands over: rows of fields.
struct Rows {
    QList<QStringList> rows;
    QStringList current;
    static void field(void *data, size_t size, void *self) {
        static_cast<Rows *>(self)->current.append(
            QString::fromUtf8(static_cast<const char *>(data), static_cast<qsizetype>(size)));
    }
    static void rowEnd(int, void *self) {
        Rows &r = *static_cast<Rows *>(self);
        r.rows.append(std::move(r.current));
        r.current.clear();
    }
};

} // namespace

Result<QList<QStringList>> parse(const QByteArray &bytes) {
    using Parsed = Result<QList<QStringList>>;
    const std::optional<QString> text = banktext::decode(bytes);
    if (!text)
        return Parsed::failure(u"文件的编码无法识别（应为 UTF-8 或 GBK/GB18030）"_s);
    const QByteArray utf8 = text->toUtf8();

    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        return Parsed::failure(u"无法启动 CSV 解析"_s);
    Rows rows;
    const size_t parsed = csv_parse(&parser, utf8.constData(), static_cast<size_t>(utf8.size()), Rows::field,
                                    Rows::rowEnd, &rows);
    const bool cleanEnd = parsed == static_cast<size_t>(utf8.size()) &&
                          csv_fini(&parser, Rows::field, Rows::rowEnd, &rows) == 0;
    const QString parseError = QString::fromUtf8(csv_strerror(csv_error(&parser)));
    csv_free(&parser);
    if (!cleanEnd)
        return Parsed::failure(
            u"不是有效的 CSV 文件（%1，第%2行附近）"_s.arg(parseError).arg(rows.rows.size() + 1));
    if (rows.rows.isEmpty())
        return Parsed::failure(u"文件是空的"_s);
    return Parsed::success(std::move(rows.rows));
}

QByteArray line(const QStringList &fields) {
    QStringList quoted;
    for (const QString &f : fields)
        quoted.append(f.contains(u',') || f.contains(u'"') || f.contains(u'\n') || f.contains(u'\r')
                          ? u'"' + QString(f).replace(u"\""_s, u"\"\""_s) + u'"'
                          : f);
    return quoted.join(u',').toUtf8() + "\r\n";
}

} // namespace csvrows
