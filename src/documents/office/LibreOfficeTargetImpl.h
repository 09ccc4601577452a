// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/DocxTarget.h"
#include "documents/office/LibreOfficeTarget.h"
#include "documents/office/UnoSupport.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <map>

struct LibreOfficeTarget::Impl {
    std::shared_ptr<OfficeConnection> office;
    Method method;
    tessaly_uno::Reference<tessaly_uno::css::lang::XComponent> document;
    tessaly_uno::Reference<tessaly_uno::css::text::XText> text;
    tessaly_uno::Reference<tessaly_uno::css::text::XTextCursor> cursor;
    tessaly_uno::Reference<tessaly_uno::css::text::XTextRange> range; // the cursor, as the text wants it
    bool locked = false;
    bool broken = false; // after the first failure no further call is sent

    // LoadDocx: the document built in memory.
    DocxTarget docx{QString()};
    WaitHooks hooks;
    // TypeBatched: properties and text not yet sent, in the order they must go.
    std::map<rtl::OUString, tessaly_uno::Any> pendingProperties;
    QString pendingText;
};
