// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "check_code.h"
#include "connection_limits.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zorvat::rank {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 8080; // 0: any free port, told in the log
    std::string sqlitePath = "zorvat-rank.sqlite";
    std::string postgres; // a libpq connection string; the SQLite file is used when empty
    std::string base = "/zorvat";
    std::size_t rateLimit = 10; // accepted posts per minute per client address; 0: no limit
    bool trustForwarded = false;
    bool metrics = false; // GET /metrics for the host's own machine
    // The numbers of the check code the ranking pages that post here carry; the build's unless the
    // host gives the pages of a community's games other ones.
    InternetRank::CheckNumbers check = InternetRank::builtInCheckNumbers();
    int keepAddressDays = 30; // the client addresses of older entries are forgotten; 0: kept
    ConnectionLimits limits;
    bool help = false;
    std::vector<std::string> warnings; // for standard error: choices that work but put the host at risk
};

/** The options of the command line (without the program name), over those of the file that
    `--config FILE` names; throws Error with the reason. */
ServerOptions parseOptions(const std::vector<std::string>& args);

/** Whether the option `name` (without "--") stands alone, taking no value. */
bool isFlagOption(const std::string& name);

/** The help text of the server's command line; the host's commands have theirs. */
std::string usageText();

} // namespace zorvat::rank
