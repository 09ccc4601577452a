// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestHttpServer.h"

#include <QTcpSocket>

using namespace Qt::Literals::StringLiterals;

TestHttpServer::TestHttpServer() {
    if (!server_.listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

QString TestHttpServer::baseUrl() const {
    return u"http://127.0.0.1:%1"_s.arg(server_.serverPort());
}

void TestHttpServer::answer(QTcpSocket *socket) {
    const QByteArray request = socket->peek(qint64{64} * 1024);
    if (!request.contains("\r\n\r\n"))
        return; // the rest of the request is still on its way
    socket->readAll();
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = line.size() > 1 ? QString::fromLatin1(line[1]) : QString();
    requests_.append(path);

    const auto found = pages_.constFind(path);
    Page page =
        found != pages_.constEnd() ? *found : Page{404, "text/html", "<html><body>Not Found</body></html>"};
    if (page.mode == Mode::NeverAnswer) {
        held_.append(socket);
        return;
    }
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(page.status) +
                       " X\r\nContent-Type: " + page.contentType + "\r\nConnection: close\r\n";
    if (page.mode == Mode::PlainClose) {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: " + page.contentType + "\r\n\r\n" +
                      page.body.left(page.body.size() / 2));
        socket->disconnectFromHost();
        return;
    }
    if (page.mode == Mode::ChunkedCut) {
        const QByteArray half = page.body.left(page.body.size() / 2);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + page.contentType +
                      "\r\nTransfer-Encoding: chunked\r\n\r\n" + QByteArray::number(half.size(), 16) +
                      "\r\n" + half + "\r\n");
        socket->flush();
        socket->abort();
        return;
    }
    if (page.mode == Mode::Endless) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + page.contentType + "\r\n\r\n1");
        const QByteArray block(qsizetype{64} * 1024, 'x');
        // Keep about a megabyte on its way; the client's reading makes room for more.
        const auto more = [socket, block] {
            while (socket->state() == QAbstractSocket::ConnectedState &&
                   socket->bytesToWrite() < qint64{1024} * 1024)
                socket->write(block);
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
        return;
    }
    if (page.mode == Mode::CutOff) {
        reply += "Content-Length: " + QByteArray::number(page.body.size() * 4) + "\r\n\r\n" + page.body;
        socket->write(reply);
        socket->flush();
        socket->abort();
        return;
    }
    reply += "Content-Length: " + QByteArray::number(page.body.size()) + "\r\n\r\n" + page.body;
    socket->write(reply);
    socket->disconnectFromHost();
}
