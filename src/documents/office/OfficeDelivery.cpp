// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeDelivery.h"

#include "common/AtomicFile.h"
#include "documents/WorkAside.h"
#include "documents/office/OfficeDeliveryImpl.h"

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
#include <mutex>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tessaly_uno;

OfficeDelivery::OfficeDelivery(std::shared_ptr<OfficeConnection> office, Options options)
    : d_(std::make_unique<Impl>()) {
    d_->office = std::move(office);
    d_->options = std::move(options);
}

OfficeDelivery::~OfficeDelivery() = default;

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

void showDocumentFrame(const Reference<css::lang::XComponent> &document, bool raise) {
    const Reference<css::frame::XFrame> frame =
        Reference<css::frame::XModel>(document, UNO_QUERY_THROW)->getCurrentController()->getFrame();
    const Reference<css::awt::XWindow> window = frame->getContainerWindow();
    window->setVisible(true);
    if (!raise)
        return;
    if (const Reference<css::awt::XTopWindow> top{window, UNO_QUERY}; top.is())
        top->toFront();
    frame->activate();
}

void closeQuietly(const Reference<css::lang::XComponent> &document) {
    try {
        if (const Reference<css::util::XCloseable> closeable{document, UNO_QUERY}; closeable.is())
            closeable->close(true);
    } catch (const css::uno::Exception &) {
        // Already gone.
    }
}

} // namespace tessaly_uno

namespace {

// What the thread that loads a sheet owns: its own copy of the sheet, the temporary folder, the office
// and the document it gets, since the caller may stop waiting and go on.
struct Load {
    DocxTarget sheet;
    QTemporaryDir dir;
    std::shared_ptr<OfficeConnection> office;
    Reference<css::lang::XComponent> document;
};

} // namespace

Result<QString> OfficeDelivery::deliver(const DocxTarget &sheet, const QString &path) {
    // The office reads the file during the call; loading it as a template gives a new, untitled
    // document, so nothing points back at the temporary file. Building the package and the load run on
    // a thread of their own: a sheet of 100,000 questions keeps the office busy for minutes, and the
    // window must keep drawing and take its clicks meanwhile. (Loading in parts, inserted one after
    // another, was tried and measured: Writer lays the whole document out again after every insert, and
    // a 10,000-question sheet took twice as long. Typing through the text API was slower still; the
    // benchmarks keep that comparison.)
    // A stop given before the sheet came here leaves it to be shown as far as it was written; one given
    // while the office works ends the wait and discards what the office makes.
    const std::function<bool()> &cancelled = d_->options.cancelled;
    const std::function<bool()> stop = cancelled && !cancelled() ? cancelled : std::function<bool()>();
    const auto stopped = [] { return Result<QString>::failure(u"出题已终止"_s); };
    auto load = std::make_shared<Load>();
    load->sheet = sheet;
    load->office = d_->office;
    if (!load->dir.isValid())
        return Result<QString>::failure(u"无法创建临时文件夹"_s);
    try {
        const Waited loaded = waitAside(
            [load] {
                const QString file = load->dir.filePath(u"worksheet.docx"_s);
                const Status saved = load->sheet.saveTo(file);
                if (!saved)
                    throw css::uno::RuntimeException(toUno(saved.error()));
                load->document = loadHiddenDocument(*load->office, fileUrl(file), true);
            },
            d_->options.idle, stop, [load] { closeQuietly(load->document); });
        if (loaded == Waited::Abandoned)
            return stopped();
        d_->document = load->document;
        if (!path.isEmpty())
            if (const Status exported = exportTo(path); !exported) {
                if (d_->options.headless)
                    closeDocument();
                return Result<QString>::failure(exported.error());
            }
        if (d_->options.headless) {
            closeDocument();
            return Result<QString>::success(path);
        }
        // Showing a long document lays it out: that waits aside too. It comes to the front only when no
        // dialog of the caller's is open at that moment (keys typed for the dialog must not go into it).
        const Reference<css::lang::XComponent> document = d_->document;
        Waited shown = waitAside([document] { showDocumentFrame(document, false); }, d_->options.idle, stop,
                                 [document] { closeQuietly(document); });
        if (shown == Waited::Done && (!d_->options.mayRaise || d_->options.mayRaise()))
            shown = waitAside([document] { showDocumentFrame(document, true); }, d_->options.idle, stop,
                              [document] { closeQuietly(document); });
        if (shown == Waited::Abandoned)
            return stopped();
    } catch (const css::uno::Exception &e) {
        return Result<QString>::failure(describe(e));
    }
    return Result<QString>::success(path);
}

void OfficeDelivery::finish() {
    if (d_->options.headless)
        d_->office->endOfficeIfStartedHere();
}

Status OfficeDelivery::exportTo(const QString &path) {
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
    // The folder said as it is: missing, or there but not to be written (the office would only report
    // an I/O error code).
    if (const QFileInfo folder(target.absolutePath()); !folder.isDir())
        return Status::failure(u"无法导出 %1：文件夹 %2 不存在"_s.arg(path, folder.filePath()));
    else if (!folder.isWritable())
        return Status::failure(
            u"无法导出 %1：文件夹 %2 不能写入（没有权限，或是只读的）"_s.arg(path, folder.filePath()));
    const QString partial = target.absolutePath() + u"/."_s + target.fileName() + u".part"_s;
    try {
        // A PDF keeps the blank pages the layout inserts (a sheet that starts on an odd page), which the
        // office leaves out of its PDFs by default: a PDF printed on both sides keeps its pages' sides.
        const Sequence<css::beans::PropertyValue> store =
            suffix == u"pdf"_s
                ? properties({{u"FilterName", Any(ou(filter))},
                              {u"FilterData", Any(properties({{u"IsSkipEmptyPages", Any(false)}}))}})
                : properties({{u"FilterName", Any(ou(filter))}});
        Reference<css::frame::XStorable>(d_->document, UNO_QUERY_THROW)->storeToURL(fileUrl(partial), store);
    } catch (const css::uno::Exception &e) {
        QFile::remove(partial);
        // The office's own words ("SfxBaseModel::impl_store … Error Area:Io") only where asked for.
        const QString detail =
            qEnvironmentVariableIsSet("TESSALY_VERBOSE") ? u"（"_s + describe(e) + u"）"_s : QString();
        return Status::failure(
            u"LibreOffice 没能导出 %1：磁盘可能已满，或文件正被别的程序占用%2"_s.arg(path, detail));
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

void OfficeDelivery::closeDocument() {
    closeQuietly(d_->document);
    // The references stay: any further call meets the disposed document and fails like it would if
    // the user had closed it.
}

void OfficeDelivery::warmUpWriter(const std::shared_ptr<OfficeConnection> &office) {
    DocxTarget sheet;
    sheet.setFontName(u"宋体"_s);
    sheet.typeText(u"Tessaly练习"_s);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"warm.docx"_s);
    if (!dir.isValid() || !sheet.saveTo(path))
        return;
    OfficeDelivery delivery(office, {});
    try {
        delivery.d_->document = loadHiddenDocument(*office, fileUrl(path), true);
    } catch (const css::uno::Exception &) {
        return; // the first sheet pays then, nothing worse
    }
    delivery.closeDocument();
}
