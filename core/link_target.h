// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <system_error>

namespace zorvat {

/** Where writing through `file` lands: `file` itself when it is no link, else the end of its
    chain of links, which need not exist yet (a dangling link stays a link and the file is made
    where it points). EACCES when a link on the way, or the file the chain ends at, belongs to
    another user than the one the program runs as: a link planted in the player's folder must
    not lead the program, run by the superuser say, into somebody else's file. ELOOP for a
    chain that never ends. */
std::error_code followOwnLinks(const std::filesystem::path& file, std::filesystem::path& target);

} // namespace zorvat
