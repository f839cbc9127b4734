// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace zorvat {

bool DesktopOpener::openDocument(const QString& absolutePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(absolutePath));
}

} // namespace zorvat
