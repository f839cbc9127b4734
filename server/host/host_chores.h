// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error.h"
#include "server_options.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zorvat::rank {

/** What the host gave one command past the options that name the store. */
struct HostArguments {
    std::string name; // the command's
    std::vector<std::string> operands;
    std::map<std::string, std::string> values; // the command's options, without "--"
    std::set<std::string> flags;
};

// A command line to correct, rather than a job that could not be done.
class UsageError : public Error {
public:
    using Error::Error;
};

// The host's chores on the store that `options` name, each writing what it did to `out`. Each
// throws UsageError for arguments to correct, and Error, StoreFailure or StoreRefusal saying why
// it could not do its job.

/** The newest entries, hidden ones too, as a tab-separated table or JSON (--json); --name, --limit. */
void listEntries(const HostArguments& args, const ServerOptions& options, std::FILE* out);
/** hide, unhide or delete (the command's name) the entries of the ids, when every id names one. */
void moderateEntries(const HostArguments& args, const ServerOptions& options, std::FILE* out);
void banAddress(const HostArguments& args, const ServerOptions& options, std::FILE* out);
void liftBan(const HostArguments& args, const ServerOptions& options, std::FILE* out);
void listBans(const HostArguments& args, const ServerOptions& options, std::FILE* out);
/** Forgets the client addresses of the entries older than --older-than days (default 30). */
void forgetAddresses(const HostArguments& args, const ServerOptions& options, std::FILE* out);
void backupStore(const HostArguments& args, const ServerOptions& options, std::FILE* out);
/** The entries and bans as JSON, to the file named or to `out`. */
void exportStore(const HostArguments& args, const ServerOptions& options, std::FILE* out);
/** Loads a SQLite backup, an export or a JSON listing into a store that holds no entries. */
void importStore(const HostArguments& args, const ServerOptions& options, std::FILE* out);

} // namespace zorvat::rank
