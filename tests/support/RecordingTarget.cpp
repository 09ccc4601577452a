// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingTarget.h"

using namespace Qt::Literals::StringLiterals;

void RecordingTarget::setPageMargins(int points) {
    ops_.append(u"margins "_s + QString::number(points));
}
void RecordingTarget::setBold(bool bold) {
    ops_.append(bold ? u"bold 1"_s : u"bold 0"_s);
}
void RecordingTarget::setFontName(const QString &name) {
    ops_.append(u"font "_s + name);
}
void RecordingTarget::setFontSize(double points) {
    ops_.append(u"size "_s + QString::number(points));
}

void RecordingTarget::setAlignment(Alignment alignment) {
    ops_.append(alignment == Alignment::Center ? u"align center"_s : u"align left"_s);
}

void RecordingTarget::typeText(const QString &text) {
    ops_.append(u"type "_s + text);
}

void RecordingTarget::typeRuby(const QString &base, const QString &ruby) {
    ops_.append(u"ruby "_s + base + u' ' + ruby);
}

void RecordingTarget::typeWriteInBlank(const QString &open, const QString &close) {
    ops_.append(u"blank "_s + open + close);
}

void RecordingTarget::setPageNumbers(bool on) {
    ops_.append(on ? u"page numbers"_s : u"no page numbers"_s);
}

void RecordingTarget::setSealLine(SealPages pages) {
    static const char *const names[] = {"none", "first", "odd", "every"};
    ops_.append(u"seal "_s + QString::fromLatin1(names[static_cast<int>(pages)]));
}

void RecordingTarget::insertTable(const QList<QStringList> &rows) {
    QStringList joined;
    for (const QStringList &row : rows)
        joined.append(row.join(u'|'));
    ops_.append(u"table "_s + joined.join(u" / "_s));
}

QStringList RecordingTarget::paragraphs() const {
    QStringList result{QString()};
    for (const QString &op : ops_) {
        if (op.startsWith(u"type "_s))
            result.last() += op.sliced(5);
        else if (op.startsWith(u"ruby "_s))
            result.last() += op.sliced(5).section(u' ', 0, 0); // the character; its pinyin stands over it
        else if (op.startsWith(u"blank "_s))
            result.last() += op.sliced(6); // as the document's text reads: the room is no character
        else if (op == u"rule"_s)
            result.last() += u"____"_s;
        else if (op == u"br"_s)
            result.last() += u'\n';
        else if (op == u"para"_s || op.startsWith(u"table "_s)) // a table stands where a paragraph was
            result.append(QString());
    }
    return result;
}

void RecordingTarget::setPageLayout(const PageLayout &layout) {
    ops_.append(QStringLiteral("layout %1%2 columns %3 spacing %4")
                    .arg(PageLayout::paperName(layout.paper),
                         layout.landscape ? QStringLiteral(" landscape") : QString())
                    .arg(layout.columns)
                    .arg(layout.lineSpacing));
}

void RecordingTarget::setKeep(bool withNext, bool together) {
    ops_.append(QStringLiteral("keep %1 %2").arg(withNext ? 1 : 0).arg(together ? 1 : 0));
}

std::unique_ptr<DocumentTarget> RecordingOutputs::newDocument() {
    if (make_)
        return make_();
    return std::make_unique<RecordingTarget>();
}

Result<QString> RecordingOutputs::deliver(DocumentTarget &document, const QString &path) {
    if (!failWith.isEmpty())
        return Result<QString>::failure(failWith);
    auto &recording = static_cast<RecordingTarget &>(document);
    recording.show();
    deliveredTo.append(path);
    sheets.append(recording.operations());
    if (onDeliver)
        onDeliver(recording);
    return Result<QString>::success(path);
}
