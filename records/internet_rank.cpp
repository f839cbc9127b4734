// SPDX-License-Identifier: GPL-3.0-or-later
#include "internet_rank.h"

#include "error.h"
#include "rank_page.h"
#include "rank_settings.h"
#include "text_codec.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

[[noreturn]] void failWith(int errnoValue)
{
    throw Error(writeErrorText(errnoValue));
}

// A page or folder that carries no write permission at all counts as read-only for every
// user, the superuser included: the page is replaced by renaming a fresh file over it,
// which the file's own permissions would not stop.
void refuseReadOnly(const char* path, bool isFolder)
{
    struct stat st { };
    if (::stat(path, &st) != 0)
        return;
    if (S_ISDIR(st.st_mode) != isFolder)
        failWith(isFolder ? ENOTDIR : EISDIR);
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        failWith(EACCES);
    if (::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EROFS))
        failWith(errno);
}

// Writes the whole page into `fd`; the system error of the first failing step, or 0.
int writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    // The page must be on the disk before it replaces the old one, or a crash could leave
    // an empty page under the old name.
    if (::fsync(fd) != 0 && errno != EINVAL)
        return errno;
    return 0;
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
    const std::string page = rankPageBytes(Score, PlayCount, RankUrl);
    refuseReadOnly(RankPageName, false);
    refuseReadOnly(".", true);

    // The new page is written beside the old one and renamed over it only when complete,
    // so a write that fails halfway leaves the previous page whole, never a torn one.
    const std::string temporary = std::string(".") + RankPageName + "." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        failWith(errno);
    int error = writeAll(fd, page);
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), RankPageName) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        failWith(error);
    }
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
