// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/ReportCommand.h"
#include "common/UserFiles.h"
#include "history/ClassReport.h"
#include "history/SheetHistory.h"
#include "pictures/ReportChart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

QString helpText() {
    return u"用法：tessaly report 班级 --output 报告.pdf|报告.png [--history FILE]\n"
           u"班级的错题报告：各专题、各难度的错误率（表和柱状图），每个学生要多练的专题。\n"_s;
}

} // namespace

int runReportCommand(QTextStream &out, QTextStream &err) {
    QCommandLineParser parser;
    parser.addOption({u"output"_s, u"报告文件"_s, u"FILE"_s});
    parser.addOption({u"history"_s, u"出卷记录文件或 postgresql:// 地址"_s, u"FILE"_s});
    parser.addOption({u"help"_s, u"说明"_s});
    const QStringList arguments = QCoreApplication::arguments();
    // "tessaly report CLASS ...": the command's own word is no class.
    if (!parser.parse(QStringList{arguments.first()} + arguments.mid(2))) {
        err << u"tessaly report："_s << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(u"help"_s)) {
        out << helpText();
        return 0;
    }
    if (parser.positionalArguments().size() != 1 || !parser.isSet(u"output"_s)) {
        err << u"tessaly report：要给出一个班级和 --output 报告文件"_s << Qt::endl << helpText();
        return 2;
    }
    const QString className = parser.positionalArguments().first();
    const UserFiles files = UserFiles::locate(QCoreApplication::applicationDirPath());
    const QString location =
        parser.isSet(u"history"_s) ? parser.value(u"history"_s) : SheetHistory::defaultPath(files);
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(location);
    if (!history) {
        err << history.error() << Qt::endl;
        return 1;
    }
    const QList<SheetPupil> pupils = history.value()->pupils(className);
    if (pupils.isEmpty()) {
        err << u"出卷记录里没有班级“%1”的名单（先用 tessaly class import 导入）"_s.arg(className) << Qt::endl;
        return 1;
    }
    QList<qint64> ids;
    for (const SheetPupil &p : pupils)
        ids.append(p.id);
    const ClassReport report = classreport::make(className, pupils, history.value()->marksOf(ids));
    out << classreport::text(report);
    const QString path = parser.value(u"output"_s);
    if (const Status written = reportchart::write(report, path); !written) {
        err << u"报告没有写成：%1"_s.arg(written.error()) << Qt::endl;
        return 1;
    }
    out << u"报告：%1"_s.arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())) << Qt::endl;
    return 0;
}
