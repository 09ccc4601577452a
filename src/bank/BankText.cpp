#include "bank/BankText.h"

#include <QFile>
#include <algorithm>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::Literals::StringLiterals;

namespace banktext {

std::optional<QString> decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(QByteArrayView(bytes).sliced(3));
        return text;
    }
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
    }
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (!gb.isValid())
        return std::nullopt;
    QString text = gb(bytes);
    if (gb.hasError())
        return std::nullopt;
    return text;
}

QByteArray encode(QStringView text)
{
    QStringEncoder gb("GB18030");
    return gb(text);
}

Result<QString> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(u"无法读取题库文件 %1：%2"_s.arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QString>::failure(u"无法读取题库文件 %1：%2"_s.arg(path, file.errorString()));
    std::optional<QString> text = decode(bytes);
    if (!text)
        return Result<QString>::failure(u"题库文件 %1 的编码无法识别（应为 UTF-8 或 GBK/GB18030）"_s.arg(path));
    return Result<QString>::success(std::move(*text));
}

bool isBlankLine(QStringView line)
{
    for (QChar c : line)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

Status appendLine(const QString &path, QStringView line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Status::failure(u"无法写入题库文件 %1：%2"_s.arg(path, file.errorString()));
    const QByteArray existing = file.readAll();

    // A file that is already UTF-8 stays UTF-8: GB18030 bytes appended to it would make the whole
    // file undecodable as UTF-8 and garble everything written before.
    bool utf8File = existing.startsWith("\xEF\xBB\xBF");
    if (!utf8File) {
        const bool ascii = std::all_of(existing.begin(), existing.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            (void)utf8(existing);
            utf8File = !utf8.hasError();
        }
    }

    QByteArray bytes;
    // Never glue the new record onto a last line that has no line end.
    if (!existing.isEmpty() && !existing.endsWith('\n') && !existing.endsWith('\r'))
        bytes.append("\r\n");
    bytes.append(utf8File ? line.toUtf8() : encode(line));
    bytes.append("\r\n");
    if (!file.seek(existing.size()) || file.write(bytes) != bytes.size() || !file.flush())
        return Status::failure(u"无法写入题库文件 %1：%2"_s.arg(path, file.errorString()));
    return succeeded();
}

} // namespace banktext
