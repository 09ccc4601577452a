// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

// A small HTTP server on 127.0.0.1 for the download tests, able to make the faults a real server
// library will not: a page that never answers, a reply cut off in the middle.
class TestHttpServer : public QObject {
    Q_OBJECT

public:
    // CutOff: a declared length, then the connection reset halfway. PlainClose: HTTP/1.0 without a
    // length, closed in order halfway. ChunkedCut: a chunked body reset before its last chunk. Endless:
    // a body without end, sent as fast as it is read.
    enum class Mode { Normal, NeverAnswer, CutOff, PlainClose, ChunkedCut, Endless };
    struct Page {
        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body;
        Mode mode = Mode::Normal;
    };

    TestHttpServer();
    QString baseUrl() const;
    void setPage(const QString &path, Page page) { pages_[path] = std::move(page); }
    const QStringList &requests() const { return requests_; }

private:
    void answer(QTcpSocket *socket);

    QTcpServer server_;
    QHash<QString, Page> pages_;
    QStringList requests_;
    QList<QTcpSocket *> held_;
};
