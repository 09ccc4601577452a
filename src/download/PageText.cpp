// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/PageText.h"

#include "bank/BankText.h"
#include "bank/TextNormal.h"

#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace pagetext {

namespace {

QString charsetIn(const QString &text) {
    static const QRegularExpression charset(u"charset\\s*=\\s*[\"']?([A-Za-z0-9_.:-]+)"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

// GB2312 and GBK pages decode as GB18030, which contains both.
QByteArray decoderName(const QString &charset) {
    const QString c = charset.toLower();
    if (c.isEmpty() || c == u"gb2312"_s || c == u"gbk"_s || c == u"gb18030"_s || c == u"cp936"_s ||
        c == u"x-gbk"_s)
        return "GB18030";
    return charset.toLatin1();
}

} // namespace

QString decode(const QByteArray &body, const QString &contentTypeHeader, bool *clean) {
    QString charset = charsetIn(contentTypeHeader);
    if (charset.isEmpty()) {
        // A <meta> charset stands near the top; ASCII is enough to read it.
        charset = charsetIn(QString::fromLatin1(body.first(std::min<qsizetype>(body.size(), 4096))));
    }
    QStringDecoder decoder(decoderName(charset).constData());
    if (!decoder.isValid())
        decoder = QStringDecoder("GB18030");
    QString text = decoder(body);
    if (clean)
        *clean = !decoder.hasError();
    return text;
}

QString bodyContent(const QString &html) {
    static const QRegularExpression open(u"<body[^>]*>"_s, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch start = open.match(html);
    if (!start.hasMatch())
        return html;
    const qsizetype from = start.capturedEnd();
    const qsizetype to = html.indexOf(u"</body"_s, from, Qt::CaseInsensitive);
    return to < 0 ? html.sliced(from) : html.sliced(from, to - from);
}

bool usable(const QString &pageText) {
    for (QChar c : pageText) {
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0x3000))
            continue;
        return c == u'1';
    }
    return false;
}

QString normalised(QString text) {
    return textnormal::fullWidthSigns(textnormal::withoutBlanks(std::move(text)));
}

bool complete(const QString &normalisedText) {
    if (!normalisedText.endsWith(u"##"_s))
        return false;
    const QStringView withoutEnd = QStringView(normalisedText).chopped(2);
    const qsizetype previous = withoutEnd.lastIndexOf(u"##"_s);
    const QStringView last = previous < 0 ? withoutEnd : withoutEnd.sliced(previous + 2);
    return last.count(u'|') >= 4;
}

QStringList records(const QString &normalisedText) {
    return normalisedText.split(u"##"_s);
}

} // namespace pagetext
