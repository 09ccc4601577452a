// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/office/OfficeDelivery.h"
#include "documents/office/UnoSupport.h"

#include <com/sun/star/lang/XComponent.hpp>

struct OfficeDelivery::Impl {
    std::shared_ptr<OfficeConnection> office;
    tessaly_uno::Reference<tessaly_uno::css::lang::XComponent> document; // the last one delivered
    Options options;
};

namespace tessaly_uno {

// A new document in a hidden frame: from a file (as a template: untitled, unsaved) or a factory URL.
Reference<css::lang::XComponent> loadHiddenDocument(OfficeConnection &office, const rtl::OUString &url,
                                                    bool asTemplate);
// The document's frame made visible and, with raise, in front and active.
void showDocumentFrame(const Reference<css::lang::XComponent> &document, bool raise = true);

} // namespace tessaly_uno
