// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell_open.h"

#include "document_opener.h"
#include "rank_page_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zorvat::InternetRank {

namespace {

// What ShellOpen reports, in the desktop shell's own terms: anything above 32 means the
// document was handed over. Nobody examines it; the numbers only keep the two failures apart.
enum ShellResult : int { ShellFileNotFound = 2, ShellNoAssociation = 31, ShellAccepted = 42 };
// A normal window, as the desktop opens any document.
constexpr int ShowNormal = 5;

} // namespace

int ShellOpen(DocumentOpener& opener, const QString& file, [[maybe_unused]] const QString& parameters,
    const QString& folder, [[maybe_unused]] int showCommand)
{
    // The desktop opens a document with its default action in a normal window and takes no
    // parameters; the callers pass none. A missing document is not handed over at all, so
    // the desktop has nothing to complain about either: the program just goes on.
    const QDir base(QDir::current().absoluteFilePath(folder.isEmpty() ? QStringLiteral(".") : folder));
    const QString path = QDir::cleanPath(base.absoluteFilePath(file));
    if (!QFileInfo(path).isFile())
        return ShellFileNotFound;
    return opener.openDocument(path) ? ShellAccepted : ShellNoAssociation;
}

int OpenRankPage(DocumentOpener& opener)
{
    return ShellOpen(opener, QString::fromLatin1(RankPageName), QString(), QString(), ShowNormal);
}

int OpenReadme(DocumentOpener& opener)
{
    // Started from its own folder the game finds its help there; an installed game started
    // from anywhere else opens the copy that lies beside its executable. A help page in the
    // player's language that is in neither place gives way to the Japanese one.
    const QString folders[] = { QDir::currentPath(), QCoreApplication::applicationDirPath() };
    for (const QString& readme : { QCoreApplication::translate("Help", ReadmeName), QString::fromLatin1(ReadmeName) }) {
        for (const QString& folder : folders) {
            if (QFileInfo(QDir(folder).absoluteFilePath(readme)).isFile())
                return ShellOpen(opener, readme, QString(), folder, ShowNormal);
        }
    }
    return ShellFileNotFound;
}

} // namespace zorvat::InternetRank
