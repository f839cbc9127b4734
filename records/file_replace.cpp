// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>

namespace zorvat {

namespace {

std::error_code systemError(int value)
{
    return { value, std::generic_category() };
}

// Closes the descriptor and, unless kept, removes the temporary file it was writing.
class TempFile {
public:
    TempFile(int fd, std::filesystem::path path)
        : m_fd(fd)
        , m_path(std::move(path))
    {
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
            ::unlink(m_path.c_str());
    }
    int fd() const { return m_fd; }
    const std::filesystem::path& path() const { return m_path; }
    /** The error of the close; an interrupted close has still closed the file. */
    std::error_code close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) != 0 && errno != EINTR ? systemError(errno) : std::error_code();
    }
    void keep() { m_kept = true; }

private:
    int m_fd;
    std::filesystem::path m_path;
    bool m_kept = false;
};

// A fresh name with O_EXCL, rather than mkstemp, so the new file gets the user's umask like any
// other file the program creates; O_EXCL also never opens a name that exists, a link planted
// there included.
int createTemp(const std::filesystem::path& target, std::filesystem::path& tempPath)
{
    static std::atomic<unsigned> counter { 0 };
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target;
        std::string name = ".";
        name += target.filename().string();
        for (const std::string& part :
            { std::to_string(::getpid()), std::to_string(stamp % 1000000), std::to_string(counter++) })
            name.append(".").append(part);
        name += ".tmp";
        tempPath.replace_filename(name);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

std::error_code writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return systemError(errno);
        if (n == 0)
            return systemError(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    // The bytes must be on the disk before they replace the old file, or a crash could leave an
    // empty file under the old name. A file system that cannot sync says so with EINVAL.
    if (::fsync(fd) != 0 && errno != EINVAL)
        return systemError(errno);
    return {};
}

// A file or folder that carries no write permission at all is read-only to the player, also to
// the superuser: the rename needs only the folder's permission, and the superuser's not even that.
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

void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::error_code replaceFileContents(const std::filesystem::path& file, std::string_view bytes, LinkHandling links)
{
    std::error_code ec;
    std::filesystem::path target = file;
    if (links == LinkHandling::Follow && std::filesystem::is_symlink(file, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(file, ec);
        if (!ec)
            target = resolved;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return ec;
    if ((ec = refuseReadOnly(target, false)) || (ec = refuseReadOnly(folder, true)))
        return ec;

    std::filesystem::path tempPath;
    const int fd = createTemp(target, tempPath);
    if (fd < 0)
        return systemError(errno);
    TempFile temp(fd, tempPath);
    struct stat old { };
    if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(temp.fd(), old.st_mode & 07777) != 0)
            return systemError(errno);
        // Keeps a file that the superuser rewrites owned by its player; refused for others, harmlessly.
        [[maybe_unused]] const int owned = ::fchown(temp.fd(), old.st_uid, old.st_gid);
    }
    if ((ec = writeAll(temp.fd(), bytes)) || (ec = temp.close()))
        return ec;
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return systemError(errno);
    temp.keep();
    syncFolder(folder);
    return {};
}

} // namespace zorvat
