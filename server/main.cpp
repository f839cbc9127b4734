// SPDX-License-Identifier: GPL-3.0-or-later
// zorvat-rank: the ranking server that the game's ranking page posts to, and the host's commands for its store.
#include "address_retention.h"
#include "error.h"
#include "host_commands.h"
#include "postgres_store.h"
#include "rank_server.h"
#include "server_options.h"
#include "sqlite_store.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>

using namespace zorvat;
using namespace zorvat::rank;

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (isHostCommand(args))
        return runHostCommand(args, stdout, stderr);

    ServerOptions options;
    try {
        options = parseOptions(args);
    } catch (const Error& e) {
        std::fprintf(stderr, "zorvat-rank: %s\n\n%s%s", e.what(), usageText().c_str(), hostCommandsUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs((usageText() + hostCommandsUsage()).c_str(), stdout);
        return 0;
    }
    for (const std::string& warning : options.warnings)
        std::fprintf(stderr, "zorvat-rank: warning: %s\n", warning.c_str());

    // Each open connection holds a descriptor, and the system's usual soft limit (1024) would
    // bound the connections far below what the server can hold; the hard limit is the host's word.
    rlimit descriptors {};
    if (getrlimit(RLIMIT_NOFILE, &descriptors) == 0 && descriptors.rlim_cur < descriptors.rlim_max) {
        descriptors.rlim_cur = descriptors.rlim_max;
        setrlimit(RLIMIT_NOFILE, &descriptors);
    }

    // Every thread started from here on leaves the stop signals to the one thread that waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        std::unique_ptr<SqlStore> store;
        if (options.postgres.empty())
            store = std::make_unique<SqliteStore>(options.sqlitePath);
        else
            store = std::make_unique<PostgresStore>(options.postgres);
        RankServer server(*store, options, stderr);
        server.bind();
        const RequestLog retentionLog(stderr);
        const AddressRetention retention(*store, options.keepAddressDays, retentionLog);
        std::thread stopper([&] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            server.stop();
        });
        server.run();
        // The server may also end by itself; the waiting thread then gets a signal of its own.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        std::fputs("zorvat-rank stopped\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorvat-rank: %s\n", e.what());
        return 1;
    }
    return 0;
}
