// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

namespace zorvat {

namespace {

// Closes the descriptor and, unless released, removes the temporary file it was writing.
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
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }
    void keep() { m_kept = true; }

private:
    int m_fd;
    std::filesystem::path m_path;
    bool m_kept = false;
};

// O_EXCL with a fresh name, rather than mkstemp, so the new file gets the user's umask like any
// other file the program creates.
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

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
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

FileRead readWholeFile(const std::filesystem::path& file, std::string& bytes)
{
    bytes.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            bytes.clear();
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return FileRead::Read;
}

bool replaceFileContents(const std::filesystem::path& file, std::string_view bytes)
{
    std::error_code ec;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(file, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(file, ec);
        if (!ec)
            target = resolved;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return false;

    // A file without any write permission is read-only to the player, also when the folder would
    // let a rename replace it (and also for the superuser, whom access() lets through).
    struct stat old { };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists
        && (!S_ISREG(old.st_mode) || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
            || ::access(target.c_str(), W_OK) != 0))
        return false;

    std::filesystem::path tempPath;
    const int fd = createTemp(target, tempPath);
    if (fd < 0)
        return false;
    TempFile temp(fd, tempPath);
    if (exists) {
        if (::fchmod(temp.fd(), old.st_mode & 07777) != 0)
            return false;
        // Keeps a file that the superuser rewrites owned by its player; refused for others, harmlessly.
        [[maybe_unused]] const int owned = ::fchown(temp.fd(), old.st_uid, old.st_gid);
    }
    if (!writeAll(temp.fd(), bytes) || ::fsync(temp.fd()) != 0 || !temp.close())
        return false;
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return false;
    temp.keep();
    syncFolder(folder);
    return true;
}

} // namespace zorvat
