// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_target.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvat {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int MaxLinks = 40;

} // namespace

std::error_code followOwnLinks(const std::filesystem::path& file, std::filesystem::path& target)
{
    target = file;
    for (int links = 0; links <= MaxLinks; ++links) {
        struct stat st { };
        if (::lstat(target.c_str(), &st) != 0) {
            // Nothing there yet: the file is made under this name.
            if (errno == ENOENT)
                return {};
            return { errno, std::generic_category() };
        }
        const bool someoneElses = st.st_uid != ::geteuid();
        if (!S_ISLNK(st.st_mode))
            return links > 0 && someoneElses ? std::make_error_code(std::errc::permission_denied) : std::error_code();
        if (someoneElses)
            return std::make_error_code(std::errc::permission_denied);
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec)
            return ec;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

} // namespace zorvat
