#include "generation/RecordingTarget.h"

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

QStringList RecordingTarget::paragraphs() const {
    QStringList result{QString()};
    for (const QString &op : ops_) {
        if (op.startsWith(u"type "_s))
            result.last() += op.sliced(5);
        else if (op == u"para"_s)
            result.append(QString());
    }
    return result;
}
