// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace zorvat {

class FileCalls;

// The temporary files that replacing a file writes beside it: ".<name>.<process>.<stamp>.<n>.tmp".

/** Creates a new temporary file beside `target` for writing, with the user's umask like any other
    file the program makes; its descriptor, or -1 with errno. O_EXCL never opens a name that
    exists, a link planted there included. */
int createTempBeside(const FileCalls& calls, const std::filesystem::path& target, std::filesystem::path& tempPath);

/** Removes the temporary files beside `target` whose process no longer runs: what a save killed
    on the way left behind. A copy of the program that is saving right now keeps its own. */
void removeAbandonedTemps(const std::filesystem::path& target);

} // namespace zorvat
