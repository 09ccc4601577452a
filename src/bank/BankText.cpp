#include "bank/BankText.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace banktext {

namespace {

// Characters a Chinese bank is made of: ideographs, CJK punctuation and full-width forms.
qsizetype chineseCharacters(QStringView text) {
    qsizetype count = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF))
            ++count;
    }
    return count;
}

std::optional<QString> decodeUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> decodeGb18030(QByteArrayView bytes) {
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (!gb.isValid())
        return std::nullopt;
    QString text = gb(bytes);
    if (gb.hasError())
        return std::nullopt;
    return text;
}

// Short GBK texts can happen to be valid UTF-8 ("唯一" is CE A8 D2 BB, which UTF-8 reads as "Ψһ").
// Where both decodings work, the one that gives more Chinese characters is the file's; a sample at
// the start decides, so a large file is not decoded twice.
bool utf8ReadsBetter(QByteArrayView bytes) {
    const QByteArrayView sample = bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024));
    const std::optional<QString> asGb = decodeGb18030(sample);
    if (!asGb)
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8(sample); // stateful: a character cut by the sample's end is no error
    return chineseCharacters(asUtf8) >= chineseCharacters(*asGb);
}

} // namespace

bool looksLikeUtf8(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return true;
    return decodeUtf8(bytes).has_value() && utf8ReadsBetter(bytes);
}

std::optional<QString> decode(const QByteArray &bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeUtf8(QByteArrayView(bytes).sliced(3));
    if (std::optional<QString> text = decodeUtf8(bytes); text && utf8ReadsBetter(bytes))
        return text;
    return decodeGb18030(bytes);
}

QByteArray encode(QStringView text) {
    QStringEncoder gb("GB18030");
    return gb(text);
}

Result<QString> readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(u"无法读取题库文件 %1：%2"_s.arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QString>::failure(u"无法读取题库文件 %1：%2"_s.arg(path, file.errorString()));
    std::optional<QString> text = decode(bytes);
    if (!text)
        return Result<QString>::failure(
            u"题库文件 %1 的编码无法识别（应为 UTF-8 或 GBK/GB18030）"_s.arg(path));
    return Result<QString>::success(std::move(*text));
}

bool isBlankLine(QStringView line) {
    for (QChar c : line)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

Status appendLine(const QString &path, QStringView line) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Status::failure(u"无法写入题库文件 %1：%2"_s.arg(path, file.errorString()));
    const QByteArray existing = file.readAll();

    // A file that is already UTF-8 stays UTF-8: GB18030 bytes appended to it would make the whole
    // file undecodable as UTF-8 and garble everything written before.
    const bool ascii = std::all_of(existing.begin(), existing.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const bool utf8File = !ascii && looksLikeUtf8(existing);

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
