// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document_opener.h"

namespace zorvat {

// The desktop's own handler for the document's type: the browser for the ranking page and the help.
class DesktopOpener : public DocumentOpener {
public:
    bool openDocument(const QString& absolutePath) override;
};

} // namespace zorvat
