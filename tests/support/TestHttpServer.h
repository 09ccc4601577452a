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
    enum class Mode { Normal, NeverAnswer, CutOff };
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
