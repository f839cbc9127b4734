// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zorvat::rank {

/** Whether the command line (without the program name) names one of the host's commands (list,
    hide, ban, backup, ...) rather than starting the server. */
bool isHostCommand(const std::vector<std::string>& args);

/** Runs the host's command on the store that the server's options name: its output to `out`, and
    when it cannot do its job one line saying why to `err`. Returns the exit status: 0 done,
    1 failed, 2 a command line to correct. */
int runHostCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

/** The help text of the host's commands. */
std::string hostCommandsUsage();

} // namespace zorvat::rank
