// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeConnection.h"

#include "documents/office/UnoSupport.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUrl>
#include <csignal>
#include <sys/types.h>

using namespace Qt::Literals::StringLiterals;

namespace tessaly_uno {

rtl::OUString fileUrl(const QString &path) {
    return toUno(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

QString describe(const css::uno::Exception &e) {
    const QString message = fromUno(e.Message).section(u'\n', 0, 0).trimmed();
    return message.isEmpty() ? u"LibreOffice 报告了一个错误"_s : message;
}

} // namespace tessaly_uno

using namespace tessaly_uno;

namespace {

// The local UNO environment that the bridge to the office runs in; made once per process.
Reference<css::uno::XComponentContext> localContext() {
    static const Reference<css::uno::XComponentContext> context = [] {
        // The bridge must know the office's own types (XDesktop2 and the rest of the office API), not
        // only the URE ones that unorc names; without them a remote call lands on a broken proxy.
        rtl::Bootstrap::set(ou(u"URE_MORE_TYPES"), ou(u"file://" TESSALY_LO_PROGRAM_DIR "/types/offapi.rdb"));
        return cppu::defaultBootstrap_InitialComponentContext(ou(u"file://" TESSALY_LO_PROGRAM_DIR "/unorc"));
    }();
    return context;
}

// Alive and not a zombie: a detached office is reaped by whoever adopted it, which in a container may
// never happen.
bool processRunning(qint64 pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || close + 2 >= line.size() || line.at(close + 2) != 'Z';
}

} // namespace

OfficeConnection::OfficeConnection()
    : uno_(std::make_unique<Connection>()) {}

OfficeConnection::~OfficeConnection() = default;

qint64 OfficeConnection::startedProcess() const {
    return processRunning(pid_) ? pid_ : 0;
}

Result<std::shared_ptr<OfficeConnection>> OfficeConnection::connect(const OfficeOptions &options) {
    using Outcome = Result<std::shared_ptr<OfficeConnection>>;
    // The UNO libraries without LibreOffice itself: said as such, before the bootstrap would say
    // "Cannot open uno ini file".
    if (!QFileInfo::exists(QStringLiteral(TESSALY_LO_PROGRAM_DIR "/unorc")))
        return Outcome::failure(
            u"没有安装 LibreOffice（找不到 %1）：请安装 libreoffice-writer，或写成 .docx 文件（--target docx）"_s
                .arg(QStringLiteral(TESSALY_LO_PROGRAM_DIR)));
    std::shared_ptr<OfficeConnection> connection(new OfficeConnection());
    const QString pipe = options.effectivePipeName();
    const rtl::OUString url = toUno(u"uno:pipe,name="_s + pipe + u";urp;StarOffice.ComponentContext"_s);

    try {
        const Reference<css::bridge::XUnoUrlResolver> resolver =
            css::bridge::UnoUrlResolver::create(localContext());
        const auto tryResolve = [&]() -> bool {
            try {
                Reference<css::uno::XComponentContext> remote(resolver->resolve(url), UNO_QUERY_THROW);
                connection->uno_->context = remote;
                connection->uno_->desktop = css::frame::Desktop::create(remote);
                return true;
            } catch (const css::connection::NoConnectException &) {
                return false;
            }
        };
        if (tryResolve())
            return Outcome::success(connection);

        const QString soffice = findSoffice(options.effectiveSearchDirs());
        if (soffice.isEmpty())
            return Outcome::failure(
                u"找不到 LibreOffice（soffice）：请安装 libreoffice-writer，或写成 .docx 文件（--target docx）"_s);

        QStringList arguments{u"--nologo"_s, u"--norestore"_s, u"--nodefault"_s, u"--nolockcheck"_s,
                              u"--accept=pipe,name="_s + pipe + u";urp;StarOffice.ComponentContext"_s};
        if (options.headless)
            arguments << u"--headless"_s << u"--invisible"_s;
        if (!options.profileDir.isEmpty())
            arguments << u"-env:UserInstallation="_s + QUrl::fromLocalFile(options.profileDir).toString();
        QProcess process;
        process.setProgram(soffice);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        qint64 pid = 0;
        if (!process.startDetached(&pid))
            return Outcome::failure(u"无法启动 LibreOffice：%1"_s.arg(soffice));

        QDeadlineTimer deadline(options.startTimeoutMs);
        // A soffice that hands over to a running office exits at once and that office answers soon
        // after; one that exits and leaves nobody answering (no display, a broken install) is given up
        // on after a short grace instead of the whole deadline.
        QDeadlineTimer graceAfterExit(QDeadlineTimer::Forever);
        while (!deadline.hasExpired()) {
            if (graceAfterExit.isForever() && !processRunning(pid))
                graceAfterExit.setRemainingTime(3000);
            if (graceAfterExit.hasExpired())
                return Outcome::failure(u"LibreOffice 启动后随即退出了（没有可用的显示，或安装不完整）"_s);
            for (int i = 0; i < 10; ++i) {
                if (options.idle)
                    options.idle();
                QThread::msleep(10);
            }
            if (tryResolve()) {
                // A soffice that handed the request to an office already running has exited by now;
                // that office is the user's and stays.
                connection->pid_ = processRunning(pid) ? pid : 0;
                return Outcome::success(connection);
            }
        }
        if (processRunning(pid))
            ::kill(static_cast<pid_t>(-pid), SIGTERM);
        return Outcome::failure(u"LibreOffice 在 %1 秒内没有响应"_s.arg(options.startTimeoutMs / 1000));
    } catch (const css::uno::Exception &e) {
        return Outcome::failure(u"无法连接 LibreOffice：%1"_s.arg(describe(e)));
    }
}

void OfficeConnection::endOfficeIfStartedHere() {
    if (!processRunning(pid_))
        return;
    try {
        if (uno_->desktop.is())
            uno_->desktop->terminate();
    } catch (const css::uno::Exception &) {
        // The bridge closes while the office ends; what matters is the process below.
    }
    uno_->desktop.clear();
    uno_->context.clear();
    QDeadlineTimer deadline(15000);
    while (processRunning(pid_) && !deadline.hasExpired())
        QThread::msleep(50);
    if (processRunning(pid_)) {
        ::kill(static_cast<pid_t>(-pid_), SIGTERM);
        QThread::msleep(500);
        if (processRunning(pid_))
            ::kill(static_cast<pid_t>(-pid_), SIGKILL);
    }
    pid_ = 0;
}
