// SPDX-License-Identifier: GPL-3.0-or-later
#include "internet_rank.h"

#include "error.h"
#include "file_replace.h"
#include "rank_page.h"
#include "rank_settings.h"
#include "text_codec.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>

namespace zorvat::InternetRank {

namespace {

// What ShellOpen reports, in the desktop shell's own terms: anything above 32 means the
// document was handed over. Nobody examines it; the numbers only keep the two failures apart.
constexpr int ShellAccepted = 42;
constexpr int ShellFileNotFound = 2;
constexpr int ShellNoAssociation = 31;

Opener& injectedOpener()
{
    static Opener opener;
    return opener;
}

bool openWithDesktop(const QString& absolutePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(absolutePath));
}

} // namespace

std::string writeErrorText(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return "ﾌｧｲﾙが見つかりません";
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return "不正なﾌｧｲﾙ名です";
    case EMFILE:
    case ENFILE:
        return "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "ﾃﾞｨｽｸがいっぱいです";
    default:
        return "I/O ｴﾗｰ (" + std::to_string(errnoValue) + ")";
    }
}

void WriteRankPage(std::int32_t Score, std::int32_t PlayCount)
{
    // The current folder may be anybody's, so a link planted under the page's name is replaced,
    // never written through.
    const std::error_code failed
        = replaceFileContents(RankPageName, rankPageBytes(Score, PlayCount, RankUrl), LinkHandling::Replace);
    if (failed)
        throw Error(writeErrorText(failed.value()));
}

int OpenRankPage()
{
    return ShellOpen(QString::fromLatin1(RankPageName), QString(), QString(), 5);
}

int OpenReadme()
{
    // Started from its own folder the game finds its help there; an installed game started
    // from anywhere else opens the copy that lies beside its executable.
    const QString readme = QString::fromLatin1(ReadmeName);
    if (QFileInfo(QDir::current().absoluteFilePath(readme)).isFile())
        return ShellOpen(readme, QString(), QString(), 5);
    return ShellOpen(readme, QString(), QCoreApplication::applicationDirPath(), 5);
}

int ShellOpen(const QString& file, [[maybe_unused]] const QString& parameters, const QString& folder,
    [[maybe_unused]] int showCommand)
{
    // The desktop opens a document with its default action in a normal window and takes no
    // parameters; the callers pass none. A missing document is not handed over at all, so
    // the desktop has nothing to complain about either: the program just goes on.
    const QDir base(QDir::current().absoluteFilePath(folder.isEmpty() ? QStringLiteral(".") : folder));
    const QString path = QDir::cleanPath(base.absoluteFilePath(file));
    if (!QFileInfo(path).isFile())
        return ShellFileNotFound;
    const Opener& opener = injectedOpener();
    const bool accepted = opener ? opener(path) : openWithDesktop(path);
    return accepted ? ShellAccepted : ShellNoAssociation;
}

void setOpener(Opener opener)
{
    injectedOpener() = std::move(opener);
}

} // namespace zorvat::InternetRank
