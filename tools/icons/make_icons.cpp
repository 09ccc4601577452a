// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's icon: a scalable SVG (the glyph as an outline, so it needs no font where it is
// shown) and the PNG sizes of the hicolor theme.
//   make_icons OUTPUT_DIR
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double Side = 256;

QPainterPath glyph() {
    QFont font(u"Noto Sans CJK SC"_s);
    font.setBold(true);
    font.setPixelSize(168);
    QPainterPath path;
    path.addText(0, 0, font, u"题"_s);
    const QRectF box = path.boundingRect();
    return path.translated(Side / 2 - box.center().x(), Side / 2 - box.center().y());
}

QString svgPath(const QPainterPath &path) {
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo())
            d += u"M%1 %2"_s.arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
        else if (e.isLineTo())
            d += u"L%1 %2"_s.arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
        else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            d += u"C%1 %2 %3 %4 %5 %6"_s.arg(e.x, 0, 'f', 2)
                     .arg(e.y, 0, 'f', 2)
                     .arg(c2.x, 0, 'f', 2)
                     .arg(c2.y, 0, 'f', 2)
                     .arg(end.x, 0, 'f', 2)
                     .arg(end.y, 0, 'f', 2);
            i += 2;
        }
    }
    return d + u'Z';
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QColor top(0x2f, 0x6f, 0x9f), bottom(0x1f, 0x9e, 0x8a);
    const QPainterPath text = glyph();

    QFile svg(out.filePath(u"tessaly.svg"_s));
    if (!svg.open(QIODevice::WriteOnly))
        return 1;
    const QString body =
        u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        u"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
        u"  <title>Tessaly</title>\n"
        u"  <defs>\n"
        u"    <linearGradient id=\"face\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">\n"
        u"      <stop offset=\"0\" stop-color=\"%1\"/>\n"
        u"      <stop offset=\"1\" stop-color=\"%2\"/>\n"
        u"    </linearGradient>\n"
        u"  </defs>\n"
        u"  <rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"44\" ry=\"44\" fill=\"url(#face)\"/>\n"
        u"  <path fill=\"#ffffff\" d=\"%3\"/>\n"
        u"</svg>\n"_s.arg(top.name(), bottom.name(), svgPath(text));
    if (svg.write(body.toUtf8()) < 0 || !svg.flush())
        return 1;
    svg.close();

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / Side, size / Side);
        QLinearGradient face(0, 0, Side, Side);
        face.setColorAt(0, top);
        face.setColorAt(1, bottom);
        p.setPen(Qt::NoPen);
        p.setBrush(face);
        p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
        p.setBrush(Qt::white);
        p.drawPath(text);
        p.end();
        if (!image.save(out.filePath(u"tessaly-%1.png"_s.arg(size))))
            return 1;
    }
    return 0;
}
