// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DownloadCommand.h"

#include "app/GenerateOptions.h"
#include "download/BankDownload.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

// Ctrl+C and a polite kill end the download through its stop flag, so it finishes in order: nothing
// written, nothing left behind, the bank as it was.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

class CommandLineDownloadHost : public DownloadHost {
public:
    CommandLineDownloadHost(bool yes, QTextStream &in, QTextStream &out)
        : yes_(yes)
        , in_(in)
        , out_(out) {}

    bool confirm(const QString &question) override {
        if (yes_)
            return true;
        out_ << question << u" [y/N] "_s << Qt::flush;
        const QString answer = in_.readLine().trimmed().toLower();
        return answer == u"y"_s || answer == u"yes"_s || answer == u"是"_s;
    }
    void setStatus(const QString &text) override {
        if (text != status_ && !text.isEmpty())
            out_ << text << Qt::endl;
        status_ = text;
    }
    void yield() override { QCoreApplication::processEvents(); }
    bool stopRequested() override { return interrupted != 0; }
    void showNotice(const QString &text) override { out_ << text << Qt::endl; }
    void setButtonsEnabled(bool) override {}

private:
    bool yes_;
    QTextStream &in_;
    QTextStream &out_;
    QString status_;
};

} // namespace

int runDownloadCommand(const QStringList &arguments, const UserFiles &files, QTextStream &in,
                       QTextStream &out, QTextStream &err) {
    QCommandLineParser parser;
    parser.addOptions(downloadOptions());
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments)) {
        err << u"tessaly download："_s << parserErrorText(parser, downloadOptions()) << Qt::endl;
        return 2;
    }
    DownloadSettings settings = DownloadSettings::read(files.settingsFile);
    if (parser.isSet(u"server"_s)) {
        settings.server = parser.value(u"server"_s).trimmed();
        while (settings.server.endsWith(u'/'))
            settings.server.chop(1);
        if (!QUrl(settings.server).isValid() || QUrl(settings.server).scheme().isEmpty()) {
            err << u"tessaly download：--server：“%1”不是有效的地址，例如 http://127.0.0.1:8080"_s.arg(
                       parser.value(u"server"_s))
                << Qt::endl;
            return 2;
        }
    }
    if (settings.server.isEmpty())
        err << u"提示：没有设置下载服务器（--server、tessaly.ini 的 download/server 或 TESSALY_DOWNLOAD_SERVER）"_s
            << Qt::endl;
    const QString bankDir = parser.isSet(u"bank-dir"_s) ? parser.value(u"bank-dir"_s) : files.bankDir;

    QNetworkAccessManager network;
    CommandLineDownloadHost host(parser.isSet(u"yes"_s), in, out);
    BankDownload download(network, settings, bankDir);
    const InterruptGuard guard;
    const DownloadOutcome outcome = download.run(host);
    if (outcome.stopped)
        return 130; // as a shell reports a command ended by Ctrl+C
    return outcome.bankWritten ? 0 : 1;
}
