// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zorvat {

// Hands a document to the desktop, which opens it with its default program.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    /** True when the desktop took the document at `absolutePath`; what became of it is not known. */
    virtual bool openDocument(const QString& absolutePath) = 0;
};

} // namespace zorvat
