// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/ReportChart.h"

#include "bank/CodeTables.h"
#include "common/AtomicFile.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>
#include <QValueAxis>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace reportchart {

QChart *chartOf(const ClassReport &report, int width) {
    auto *chart = new QChart;
    // Type sized to the picture: a page-wide chart with a window's 9-point labels cannot be read.
    const auto font = [width](int divisor) {
        QFont f(u"Noto Sans CJK SC"_s);
        if (width > 0)
            f.setPixelSize(std::max(9, width / divisor));
        return f;
    };
    chart->setTitleFont(font(45));
    chart->legend()->setFont(font(70));
    chart->setTitle(u"%1 各专题错误率（%）"_s.arg(report.className));
    chart->setAnimationOptions(QChart::NoAnimation);
    QStringList topics;
    for (const ClassReport::Cell &c : report.byTopic())
        topics.append(c.topic);
    // One set a difficulty that has marks: its bar in each topic is that topic's wrong share.
    QMap<int, QMap<QString, double>> shares;
    for (const ClassReport::Cell &c : report.cells)
        shares[c.difficulty][c.topic] = c.wrongShare() * 100;
    auto *series = new QBarSeries;
    for (auto it = shares.cbegin(); it != shares.cend(); ++it) {
        auto *set = new QBarSet(codes::difficultyNames().value(it.key()));
        for (const QString &t : std::as_const(topics))
            *set << it.value().value(t, 0);
        series->append(set);
    }
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(topics);
    x->setLabelsFont(font(75));
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(u"%d"_s);
    y->setLabelsFont(font(75));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

namespace {

// The page: the chart above, then the pupils' table, at `width` by `height` device pixels.
void paint(QPainter &painter, const ClassReport &report, int width, int height) {
    painter.fillRect(0, 0, width, height, Qt::white);
    const int chartHeight = height * 11 / 20;
    QGraphicsScene scene;
    std::unique_ptr<QChart> chart(chartOf(report, width));
    chart->resize(width, chartHeight);
    scene.addItem(chart.get());
    scene.setSceneRect(0, 0, width, chartHeight);
    scene.render(&painter, QRectF(0, 0, width, chartHeight), scene.sceneRect());
    scene.removeItem(chart.get());

    QFont font(u"Noto Sans CJK SC"_s);
    font.setPixelSize(std::max(10, height / 70));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int line = font.pixelSize() * 3 / 2;
    int y = chartHeight + line;
    painter.drawText(
        QPoint(width / 20, y),
        u"%1：共批改 %2 道题，错 %3 道"_s.arg(report.className).arg(report.asked).arg(report.wrong));
    y += line * 3 / 2;
    const int columns[] = {width / 20, width * 5 / 20, width * 8 / 20, width * 11 / 20};
    const QStringList head{u"学生"_s, u"批改"_s, u"错"_s, u"要多练的专题"_s};
    for (int c = 0; c < 4; ++c)
        painter.drawText(QPoint(columns[c], y), head[c]);
    for (const ClassReport::PupilTopics &p : report.pupils) {
        y += line;
        if (y > height - line)
            break;
        const QStringList cells{p.pupil.name, QString::number(p.asked), QString::number(p.wrong),
                                p.practise.isEmpty() ? u"—"_s : p.practise.join(u"、"_s)};
        for (int c = 0; c < 4; ++c)
            painter.drawText(QPoint(columns[c], y), cells[c]);
    }
}

} // namespace

Status write(const ClassReport &report, const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == u"pdf"_s) {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(u"%1 错题报告"_s.arg(report.className));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(150);
        QPainter painter(&pdf);
        paint(painter, report, pdf.width(), pdf.height());
        painter.end();
    } else if (suffix == u"png"_s) {
        QImage image(1240, 1754, QImage::Format_RGB32);
        QPainter painter(&image);
        paint(painter, report, image.width(), image.height());
        painter.end();
        if (!image.save(&buffer, "PNG"))
            return Status::failure(u"报告的图片无法生成"_s);
    } else {
        return Status::failure(
            u"报告的文件名应以 .pdf 或 .png 结尾：%1"_s.arg(QDir::toNativeSeparators(path)));
    }
    buffer.close();
    return writeFileAtomically(path, bytes);
}

} // namespace reportchart
