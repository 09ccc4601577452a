// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Form1.h"
#include "mainwindow/NoticeSink.h"
#include "support/TempBank.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QStyle>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The main window at the desktop's font DPI: 96 (the original geometry), 120, 144 and 192. Each DPI
// runs in a process of its own (Qt takes the DPI once, at start); the child checks that every text
// has its room and leaves a screenshot, the parent compares the screenshots.
class TestScaling : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyLabelHasItsRoom_data();
    void everyLabelHasItsRoom();
    void screenshotsGrowWithTheDpi();
};

namespace {

struct QuietNotices : NoticeSink {
    void ShowNotice(const QString &, const QString &, int) override {}
};

// The child: builds the window, lists the texts that do not fit, saves the screenshot.
int child(const QString &dpi, const QString &png) {
    qputenv("QT_FONT_DPI", dpi.toUtf8());
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    int argc = 1;
    char name[] = "tst_scaling";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    TempBank bank;
    QuietNotices notices;
    Form1Services services;
    services.notices = &notices;
    services.files = UserFiles::inFolder(bank.dir());
    services.makeOutputs = [](NoticeSink &) { return std::unique_ptr<SheetOutputs>(); };
    services.endProgram = [] {};
    Form1 window(services);
    window.show();
    QCoreApplication::processEvents();
    QTextStream out(stdout);
    out << "scale " << window.desktopScale() << Qt::endl;
    int crowded = 0;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        QString text;
        int extra = 0;
        if (auto *box = qobject_cast<QCheckBox *>(w); box) {
            text = box->text();
            extra = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                    box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
        } else if (auto *radio = qobject_cast<QRadioButton *>(w); radio) {
            text = radio->text();
            extra = radio->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, radio) +
                    radio->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, radio);
        } else if (auto *label = qobject_cast<QLabel *>(w);
                   label && label->pixmap().isNull() && !label->wordWrap()) {
            text = label->text();
        }
        if (text.isEmpty() || !w->isVisibleTo(&window))
            continue;
        const int needed = w->fontMetrics().horizontalAdvance(text) + extra;
        if (needed > w->width()) {
            out << "crowded " << w->objectName() << " " << text << " needs " << needed << " has "
                << w->width() << Qt::endl;
            ++crowded;
        }
    }
    if (!window.grab().save(png))
        return 2;
    return crowded == 0 ? 0 : 1;
}

QString shot(const QString &dpi) {
    return QDir::temp().filePath(
        u"tessaly-scaling-%1-%2.png"_s.arg(dpi).arg(QCoreApplication::applicationPid()));
}

} // namespace

void TestScaling::everyLabelHasItsRoom_data() {
    QTest::addColumn<QString>("dpi");
    QTest::addColumn<double>("scale");
    QTest::newRow("100 %") << u"96"_s << 1.0;
    QTest::newRow("125 %") << u"120"_s << 1.25;
    QTest::newRow("150 %") << u"144"_s << 1.5;
    QTest::newRow("200 %") << u"192"_s << 2.0;
}

void TestScaling::everyLabelHasItsRoom() {
    QFETCH(QString, dpi);
    QFETCH(double, scale);
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TESSALY_SCALING_CHILD"_s, dpi);
    run.setProcessEnvironment(env);
    run.start(QCoreApplication::applicationFilePath(), {shot(dpi)});
    QVERIFY(run.waitForFinished(60000));
    const QString said = QString::fromUtf8(run.readAllStandardOutput());
    QVERIFY2(run.exitCode() == 0, qPrintable(said + QString::fromUtf8(run.readAllStandardError())));
    QVERIFY2(said.contains(u"scale %1"_s.arg(scale)), qPrintable(said));
}

void TestScaling::screenshotsGrowWithTheDpi() {
    const QImage original(shot(u"96"_s)), twice(shot(u"192"_s));
    QVERIFY(!original.isNull() && !twice.isNull());
    QCOMPARE(original.size(), QSize(608, 331)); // the original geometry at 100 %
    QCOMPARE(twice.size(), original.size() * 2);
    // The same picture, twice as large: the window's layout is kept, not reflowed. Compared coarsely
    // (both shrunk to a small grid of mean colours), since the texts are drawn at their own sizes.
    const QImage a = original.scaled(38, 21, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = twice.scaled(38, 21, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 40)
                ++differing;
    QVERIFY2(differing < a.width() * a.height() / 10, qPrintable(QString::number(differing)));
    for (const QString &dpi : {u"96"_s, u"120"_s, u"144"_s, u"192"_s})
        QFile::remove(shot(dpi));
}

int main(int argc, char **argv) {
    const QByteArray dpi = qgetenv("TESSALY_SCALING_CHILD");
    if (!dpi.isEmpty())
        return child(QString::fromUtf8(dpi), QString::fromLocal8Bit(argv[argc - 1]));
    QCoreApplication app(argc, argv);
    TestScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
