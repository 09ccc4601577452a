// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/LibreOfficeTarget.h"

#include "common/AtomicFile.h"
#include "documents/office/LibreOfficeTargetImpl.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tessaly_uno;

LibreOfficeTarget::LibreOfficeTarget(std::shared_ptr<OfficeConnection> office)
    : d_(std::make_unique<Impl>()) {
    d_->office = std::move(office);
}

LibreOfficeTarget::~LibreOfficeTarget() = default;

void LibreOfficeTarget::setWaitHooks(WaitHooks hooks) {
    d_->hooks = std::move(hooks);
}

namespace {

// Runs one step against the office; a failure is remembered and ends all further calls.
template <typename F>
void guarded(LibreOfficeTarget::Impl &d, const std::function<void(const QString &)> &fail, F &&step) {
    if (d.broken)
        return;
    try {
        step();
    } catch (const css::uno::Exception &e) {
        d.broken = true;
        fail(describe(e));
    }
}

} // namespace

#define GUARDED(...)                                                                                         \
    guarded(                                                                                                 \
        *d_, [this](const QString &m) { recordFailure(m); }, [&] { __VA_ARGS__; })

namespace tessaly_uno {

Reference<css::lang::XComponent> loadHiddenDocument(OfficeConnection &office, const rtl::OUString &url,
                                                    bool asTemplate) {
    const Reference<css::frame::XComponentLoader> loader(office.uno().desktop, UNO_QUERY_THROW);
    const Sequence<css::beans::PropertyValue> args =
        asTemplate ? properties({{u"Hidden", Any(true)}, {u"AsTemplate", Any(true)}})
                   : properties({{u"Hidden", Any(true)}});
    Reference<css::lang::XComponent> component = loader->loadComponentFromURL(url, ou(u"_blank"), 0, args);
    if (!component.is())
        throw css::uno::RuntimeException(ou(u"LibreOffice 没有打开新文档"));
    return component;
}

void showDocumentFrame(const Reference<css::lang::XComponent> &document) {
    const Reference<css::frame::XFrame> frame =
        Reference<css::frame::XModel>(document, UNO_QUERY_THROW)->getCurrentController()->getFrame();
    const Reference<css::awt::XWindow> window = frame->getContainerWindow();
    window->setVisible(true);
    if (const Reference<css::awt::XTopWindow> top{window, UNO_QUERY}; top.is())
        top->toFront();
    frame->activate();
}

} // namespace tessaly_uno

namespace {

// Runs work on a thread of its own while this thread keeps calling idle() (a window's event loop); the
// office's answer may take seconds, the window must not. An exception of the work is thrown again here,
// so the caller's guard sees it as if the call had been made on this thread.
void runAside(const std::function<void()> &work, const std::function<void()> &idle) {
    std::exception_ptr error;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
    });
    while (!done) {
        if (idle)
            idle();
        if (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace

// The operations build the .docx in memory; the office sees the sheet only at show().
void LibreOfficeTarget::newDocument() {
    d_->docx.newDocument();
}

void LibreOfficeTarget::setPageMargins(int points) {
    d_->docx.setPageMargins(points);
}

void LibreOfficeTarget::setBold(bool bold) {
    d_->docx.setBold(bold);
}

void LibreOfficeTarget::setFontName(const QString &name) {
    d_->docx.setFontName(name);
}

void LibreOfficeTarget::setFontSize(double points) {
    d_->docx.setFontSize(points);
}

void LibreOfficeTarget::setAlignment(Alignment alignment) {
    d_->docx.setAlignment(alignment);
}

void LibreOfficeTarget::setPageLayout(const PageLayout &layout) {
    d_->docx.setPageLayout(layout);
}

void LibreOfficeTarget::beginQuestions() {
    d_->docx.beginQuestions();
}

void LibreOfficeTarget::setKeep(bool withNext, bool together) {
    d_->docx.setKeep(withNext, together);
}

void LibreOfficeTarget::typeText(const QString &text) {
    d_->docx.typeText(text);
}

void LibreOfficeTarget::endParagraph() {
    d_->docx.endParagraph();
}

void LibreOfficeTarget::show() {
    // The office reads the file during the call; loading it as a template gives a new, untitled
    // document, so nothing points back at the temporary file. Building the package and the load run on
    // a thread of their own: a sheet of 100,000 questions keeps the office busy for minutes, and the
    // window must keep drawing and take its clicks meanwhile. (Loading in parts, inserted one after
    // another, was tried and measured: Writer lays the whole document out again after every insert, and
    // a 10,000-question sheet took twice as long. Typing through the text API was slower still; the
    // benchmarks keep that comparison.)
    QTemporaryDir dir;
    if (!dir.isValid()) {
        recordFailure(u"无法创建临时文件夹"_s);
        return;
    }
    const QString path = dir.filePath(u"worksheet.docx"_s);
    const auto load = [&] {
        const Status saved = d_->docx.saveTo(path);
        if (!saved)
            throw css::uno::RuntimeException(toUno(saved.error()));
        d_->document = loadHiddenDocument(*d_->office, fileUrl(path), true);
    };
    GUARDED(runAside(load, d_->hooks.idle));
    // Showing a long document lays it out: that waits aside too.
    GUARDED(runAside([this] { showDocumentFrame(d_->document); }, d_->hooks.idle));
}

Status LibreOfficeTarget::exportTo(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const char16_t *filter = suffix == u"pdf"_s    ? u"writer_pdf_Export"
                             : suffix == u"odt"_s  ? u"writer8"
                             : suffix == u"docx"_s ? u"MS Word 2007 XML"
                                                   : nullptr;
    if (!filter)
        return Status::failure(u"不支持的文件类型：%1（可用 .pdf、.odt、.docx）"_s.arg(path));
    if (!d_->document.is())
        return Status::failure(u"没有可导出的文档"_s);
    const QFileInfo target(path);
    const QString partial = target.absolutePath() + u"/."_s + target.fileName() + u".part"_s;
    try {
        Reference<css::frame::XStorable>(d_->document, UNO_QUERY_THROW)
            ->storeToURL(fileUrl(partial), properties({{u"FilterName", Any(ou(filter))}}));
    } catch (const css::uno::Exception &e) {
        QFile::remove(partial);
        return Status::failure(u"无法导出 %1：%2"_s.arg(path, describe(e)));
    }
    // One rename over the old file: it stays whole until the new one is complete (never removed first).
    if (::rename(QFile::encodeName(partial).constData(),
                 QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const int error = errno;
        QFile::remove(partial);
        return Status::failure(u"无法写入文件 %1：%2"_s.arg(path, systemErrorText(error)));
    }
    return succeeded();
}

void LibreOfficeTarget::closeDocument() {
    try {
        if (const Reference<css::util::XCloseable> closeable{d_->document, UNO_QUERY}; closeable.is())
            closeable->close(true);
    } catch (const css::uno::Exception &) {
        // Already gone.
    }
    // The references stay: any further call meets the disposed document and fails like it would if
    // the user had closed it.
}

void LibreOfficeTarget::warmUpWriter(const std::shared_ptr<OfficeConnection> &office) {
    LibreOfficeTarget target(office);
    target.newDocument();
    target.setFontName(u"宋体"_s);
    target.typeText(u"Tessaly练习"_s);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"warm.docx"_s);
    if (!dir.isValid() || !target.d_->docx.saveTo(path))
        return;
    try {
        target.d_->document = loadHiddenDocument(*target.d_->office, fileUrl(path), true);
    } catch (const css::uno::Exception &) {
        return; // the first sheet pays then, nothing worse
    }
    target.closeDocument();
}
