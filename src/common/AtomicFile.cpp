// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

QString systemErrorText(int error) {
    switch (error) {
    case ENOSPC:
        return u"磁盘已满"_s;
    case EDQUOT:
        return u"超出磁盘配额"_s;
    case EFBIG:
        return u"文件超出允许的大小"_s;
    case EACCES:
    case EPERM:
        return u"没有写入权限"_s;
    case EROFS:
        return u"文件系统是只读的"_s;
    case EIO:
        return u"设备读写出错"_s;
    case ENOENT:
        return u"文件夹不存在"_s;
    case ENOTDIR:
        return u"路径中有一部分不是文件夹"_s;
    case EISDIR:
        return u"同名的文件夹已存在"_s;
    case ENAMETOOLONG:
        return u"文件名太长"_s;
    case EMFILE:
    case ENFILE:
        return u"打开的文件太多"_s;
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

AtomicFile::AtomicFile(QString path)
    : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
    cancel();
}

Status AtomicFile::fail(int error, const QString &what) {
    if (error_.isEmpty())
        error_ =
            u"无法写入文件 %1：%2%3"_s.arg(QDir::toNativeSeparators(path_), what, systemErrorText(error));
    cancel();
    return Status::failure(error_);
}

void AtomicFile::cancel() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.isEmpty()) {
        ::unlink(tempPath_.constData());
        tempPath_.clear();
    }
}

Status AtomicFile::open() {
    cancel();
    error_.clear();
    // A symlinked bank stays a symlink: the file it points to is the one replaced.
    const QFileInfo info(path_);
    target_ = info.isSymLink() ? info.symLinkTarget() : path_;
    const QFileInfo target(target_);
    if (target.isDir())
        return fail(EISDIR, QString());

    QByteArray pattern = QFile::encodeName(target.absolutePath() + u"/."_s + target.fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno, u"无法创建临时文件，"_s);
    fd_ = fd;
    tempPath_ = pattern;

    // The new file gets the old one's permissions, or the usual ones a new file would get.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target_).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0)
        return fail(errno, QString());
    return succeeded();
}

Status AtomicFile::write(QByteArrayView bytes) {
    if (!error_.isEmpty())
        return Status::failure(error_);
    if (fd_ < 0)
        return fail(EBADF, QString());
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno, QString());
        }
        if (n == 0)
            return fail(EIO, QString());
        data += n;
        left -= n;
    }
    return succeeded();
}

Status AtomicFile::commit() {
    if (!error_.isEmpty())
        return Status::failure(error_);
    if (fd_ < 0)
        return fail(EBADF, QString());
    // The data must be on the disk before the name points at it, or a crash could leave an empty file.
    if (::fsync(fd_) != 0)
        return fail(errno, QString());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno, QString());
    if (::rename(tempPath_.constData(), QFile::encodeName(target_).constData()) != 0)
        return fail(errno, QString());
    tempPath_.clear();
    // The rename itself is made durable with the folder.
    const int dir = ::open(QFile::encodeName(QFileInfo(target_).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return succeeded();
}

Status writeFileAtomically(const QString &path, QByteArrayView bytes) {
    AtomicFile file(path);
    if (Status opened = file.open(); !opened)
        return opened;
    if (Status written = file.write(bytes); !written)
        return written;
    return file.commit();
}
