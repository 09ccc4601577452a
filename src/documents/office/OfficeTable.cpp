// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeTable.h"

#include "documents/office/OfficeConnection.h"
#include "documents/office/UnoSupport.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

#include <QFileInfo>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace tessaly_uno;

namespace officetable {

namespace {

using Table = QList<QStringList>;

QString cellText(const Reference<css::table::XCellRange> &range, sal_Int32 column, sal_Int32 row) {
    try {
        const Reference<css::text::XText> text(range->getCellByPosition(column, row), UNO_QUERY);
        return text.is() ? fromUno(text->getString()) : QString();
    } catch (const css::uno::Exception &) {
        return {}; // a position a merged cell covers
    }
}

Table cells(const Reference<css::table::XCellRange> &range, sal_Int32 columns, sal_Int32 rows) {
    Table table;
    for (sal_Int32 r = 0; r < rows; ++r) {
        QStringList row;
        for (sal_Int32 c = 0; c < columns; ++c)
            row.append(cellText(range, c, r));
        table.append(row);
    }
    // The empty rows below the last filled one (a spreadsheet's formatted but empty area) are no data.
    while (!table.isEmpty() && std::all_of(table.last().cbegin(), table.last().cend(),
                                           [](const QString &f) { return f.isEmpty(); }))
        table.removeLast();
    return table;
}

Result<Table> firstSheet(const Reference<css::sheet::XSpreadsheetDocument> &document) {
    const Reference<css::container::XIndexAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
    if (sheets->getCount() == 0)
        return Result<Table>::failure(u"表格文件里没有工作表"_s);
    const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
    // The used area runs from A1 to the last cell that holds anything.
    const Reference<css::sheet::XSheetCellCursor> cursor = sheet->createCursor();
    Reference<css::sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
    const css::table::CellRangeAddress end =
        Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
    return Result<Table>::success(
        cells(Reference<css::table::XCellRange>(sheet, UNO_QUERY_THROW), end.EndColumn + 1, end.EndRow + 1));
}

Result<Table> firstTextTable(const Reference<css::text::XTextTablesSupplier> &document) {
    const Reference<css::container::XIndexAccess> tables(document->getTextTables(), UNO_QUERY_THROW);
    if (tables->getCount() == 0)
        return Result<Table>::failure(u"文档里没有表格"_s);
    const Reference<css::text::XTextTable> table(tables->getByIndex(0), UNO_QUERY_THROW);
    return Result<Table>::success(cells(Reference<css::table::XCellRange>(table, UNO_QUERY_THROW),
                                        table->getColumns()->getCount(), table->getRows()->getCount()));
}

} // namespace

Result<Table> read(const OfficeOptions &options, const QString &path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return Result<Table>::failure(u"无法读取 %1：文件不存在或不能读"_s.arg(path));
    Result<std::shared_ptr<OfficeConnection>> connected = OfficeConnection::connect(options);
    if (!connected)
        return Result<Table>::failure(connected.error());
    const std::shared_ptr<OfficeConnection> &office = connected.value();
    Result<Table> table = Result<Table>::failure(u"LibreOffice 打不开 %1"_s.arg(path));
    try {
        const Reference<css::frame::XComponentLoader> loader(office->uno().desktop, UNO_QUERY_THROW);
        const Reference<css::lang::XComponent> document =
            loader->loadComponentFromURL(fileUrl(file.absoluteFilePath()), ou(u"_blank"), 0,
                                         properties({{u"Hidden", Any(true)}, {u"ReadOnly", Any(true)}}));
        if (const Reference<css::sheet::XSpreadsheetDocument> sheets{document, UNO_QUERY}; sheets.is())
            table = firstSheet(sheets);
        else if (const Reference<css::text::XTextTablesSupplier> text{document, UNO_QUERY}; text.is())
            table = firstTextTable(text);
        else if (document.is())
            table = Result<Table>::failure(u"%1 既不是表格，也不是含表格的文档"_s.arg(path));
        closeQuietly(document);
    } catch (const css::uno::Exception &e) {
        table = Result<Table>::failure(u"LibreOffice 读不了 %1：%2"_s.arg(path, describe(e)));
    }
    // An office started for the reading is no one's to keep.
    office->endOfficeIfStartedHere();
    return table;
}

} // namespace officetable
