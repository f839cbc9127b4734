// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_writer.h"

#include "file_calls.h"
#include "file_read.h"
#include "link_target.h"
#include "temp_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace zorvat {

namespace {

std::error_code systemError(int value)
{
    return { value, std::generic_category() };
}

std::error_code lastError()
{
    return systemError(errno);
}

// Closes the descriptor when the scope ends, unless it was closed and checked before; and
// removes the file it was writing, unless that was kept.
class OpenFile {
public:
    OpenFile(const FileCalls& calls, int fd, std::filesystem::path removeUnlessKept = {})
        : m_calls(calls)
        , m_fd(fd)
        , m_path(std::move(removeUnlessKept))
    {
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile()
    {
        if (m_fd >= 0)
            m_calls.close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    int fd() const { return m_fd; }
    /** The error of the close; an interrupted close has still closed the file. */
    std::error_code close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return m_calls.close(fd) != 0 && errno != EINTR ? lastError() : std::error_code();
    }
    void keep() { m_path.clear(); }

private:
    const FileCalls& m_calls;
    int m_fd;
    std::filesystem::path m_path;
};

// A file or folder that carries no write permission at all is read-only to the player, also to
// the superuser, whom the system would let through.
std::error_code refuseReadOnly(const std::filesystem::path& path, bool isFolder)
{
    struct stat st { };
    const int found = isFolder ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    // Nothing there yet, or a link that gives way to the new file: nothing to protect.
    if (found != 0 || S_ISLNK(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode) != isFolder)
        return systemError(isFolder ? ENOTDIR : EISDIR);
    if ((!isFolder && !S_ISREG(st.st_mode)) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return systemError(EACCES);
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EROFS))
        return systemError(errno);
    return {};
}

bool refusedByPermission(std::error_code ec)
{
    return ec.value() == EACCES || ec.value() == EPERM || ec.value() == EROFS;
}

bool isPlainFile(const std::filesystem::path& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileWriter::FileWriter(const FileCalls& calls)
    : m_calls(calls)
{
}

std::error_code FileWriter::replace(const std::filesystem::path& file, std::string_view bytes, LinkHandling links) const
{
    std::filesystem::path target = file;
    std::error_code ec;
    if (links == LinkHandling::Follow && (ec = followOwnLinks(file, target)))
        return ec;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    // The player's own folder is made when missing, never one that a link points into.
    if (target == file && (std::filesystem::create_directories(folder, ec), ec))
        return ec;
    if ((ec = refuseReadOnly(target, false)))
        return ec;
    std::filesystem::path tempPath;
    int fd = -1;
    if (!(ec = refuseReadOnly(folder, true))) {
        removeAbandonedTemps(target);
        if ((fd = createTempBeside(m_calls, target, tempPath)) < 0)
            ec = lastError();
    }
    // A folder that takes no new file still lets a writable file be written where it stands.
    if (refusedByPermission(ec) && isPlainFile(target))
        return writeInPlace(target, bytes, links);
    if (ec)
        return ec;
    return replaceByRename(target, folder, bytes, fd, tempPath);
}

std::error_code FileWriter::replaceByRename(const std::filesystem::path& target, const std::filesystem::path& folder,
    std::string_view bytes, int tempFd, const std::filesystem::path& tempPath) const
{
    OpenFile temp(m_calls, tempFd, tempPath);
    struct stat old { };
    if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(temp.fd(), old.st_mode & 07777) != 0)
            return lastError();
        // Keeps a file that the superuser rewrites owned by its player; refused for others, harmlessly.
        [[maybe_unused]] const int owned = ::fchown(temp.fd(), old.st_uid, old.st_gid);
    }
    std::error_code ec;
    // The bytes must be on the disk before they replace the old file, or a crash could leave an
    // empty file under the old name.
    if ((ec = writeAll(temp.fd(), bytes)) || (ec = flush(temp.fd())) || (ec = temp.close()))
        return ec;
    if (m_calls.rename(tempPath.c_str(), target.c_str()) != 0)
        return lastError();
    temp.keep();
    syncFolder(folder);
    return {};
}

std::error_code FileWriter::writeInPlace(
    const std::filesystem::path& target, std::string_view bytes, LinkHandling links) const
{
    std::string old;
    if (readWholeFile(target, old) != FileRead::Read)
        return systemError(EACCES);
    // The page's name must not lead into a file that a link points to, here no more than elsewhere.
    const int flags = O_WRONLY | O_NONBLOCK | O_CLOEXEC | (links == LinkHandling::Replace ? O_NOFOLLOW : 0);
    const std::error_code ec = putInPlace(target, bytes, flags);
    if (ec)
        putInPlace(target, old, flags);
    return ec;
}

std::error_code FileWriter::putInPlace(const std::filesystem::path& target, std::string_view bytes, int openFlags) const
{
    const int fd = m_calls.open(target.c_str(), openFlags, 0);
    if (fd < 0)
        return lastError();
    OpenFile file(m_calls, fd);
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return lastError();
    if (!S_ISREG(st.st_mode))
        return systemError(EACCES);
    const auto size = static_cast<off_t>(bytes.size());
    // A full disk or quota then stops the save before the old text is touched.
    if (size > st.st_size && m_calls.reserve(fd, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS
        && errno != EINVAL)
        return lastError();
    std::error_code ec;
    if ((ec = writeAll(fd, bytes)))
        return ec;
    // Cut only when the new text is the shorter: a save killed just before the cut leaves the
    // whole new text with old lines after it, which nothing of the game reads.
    if (size < st.st_size && m_calls.truncate(fd, size) != 0)
        return lastError();
    if ((ec = flush(fd)))
        return ec;
    return file.close();
}

std::error_code FileWriter::writeAll(int fd, std::string_view bytes) const
{
    while (!bytes.empty()) {
        const ssize_t n = m_calls.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastError();
        if (n == 0)
            return systemError(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code FileWriter::flush(int fd) const
{
    // A file system that cannot sync says so with EINVAL; there is nothing more to wait for.
    if (m_calls.fsync(fd) != 0 && errno != EINVAL)
        return lastError();
    return {};
}

} // namespace zorvat
