// SPDX-License-Identifier: GPL-3.0-or-later
#include "server_options.h"

#include "error.h"
#include "rank_service.h"

#include <charconv>

namespace zorvat::rank {

namespace {

std::size_t number(const std::string& option, const std::string& text, std::size_t min, std::size_t max)
{
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
        throw Error(
            option + " needs a number from " + std::to_string(min) + " to " + std::to_string(max) + ": " + text);
    return value;
}

void parseListen(const std::string& text, ServerOptions& options)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        throw Error("--listen needs HOST:PORT, such as 127.0.0.1:8080 or [::1]:8080: " + text);
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    options.host = host;
    options.port = static_cast<int>(number("--listen", text.substr(colon + 1), 0, 65535));
}

} // namespace

ServerOptions parseOptions(const std::vector<std::string>& args)
{
    ServerOptions options;
    bool sqliteChosen = false;
    bool perAddressChosen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--trust-forwarded") {
            options.trustForwarded = true;
            continue;
        }
        if (i + 1 >= args.size())
            throw Error(option.rfind("--", 0) == 0 ? option + " needs a value" : "unknown argument: " + option);
        const std::string& value = args[++i];
        if (option == "--listen") {
            parseListen(value, options);
        } else if (option == "--db") {
            options.sqlitePath = value;
            sqliteChosen = true;
        } else if (option == "--postgres") {
            options.postgres = value;
        } else if (option == "--base") {
            options.base = normalizedBase(value);
        } else if (option == "--rate-limit") {
            options.rateLimit = number(option, value, 0, 1'000'000);
        } else if (option == "--max-connections") {
            options.limits.maxConnections = number(option, value, 1, 4096);
        } else if (option == "--max-per-address") {
            options.limits.maxPerAddress = number(option, value, 1, 4096);
            perAddressChosen = true;
        } else if (option == "--timeout") {
            options.limits.requestTimeout = std::chrono::seconds(number(option, value, 1, 3600));
        } else {
            throw Error("unknown option: " + option);
        }
    }
    // Behind a proxy every connection comes from the proxy: a bound per address would be one
    // for the whole site.
    if (options.trustForwarded && !perAddressChosen)
        options.limits.maxPerAddress = options.limits.maxConnections;
    if (sqliteChosen && !options.postgres.empty())
        throw Error("--db and --postgres exclude each other");
    if (options.postgres.empty() && options.sqlitePath.empty())
        throw Error("--db needs a file name");
    return options;
}

std::string usageText()
{
    return "usage: zorvat-rank [--listen HOST:PORT] [--db FILE | --postgres CONNINFO] [--base PATH]\n"
           "                   [--rate-limit N] [--max-connections N] [--max-per-address N]\n"
           "                   [--timeout SECONDS] [--trust-forwarded]\n"
           "\n"
           "Serves the Zorvat internet ranking: POST BASE/rank.cgi takes the game's ranking page,\n"
           "GET BASE/ shows the ranking, GET BASE/ranking.json?limit=N lists it as JSON.\n"
           "\n"
           "  --listen HOST:PORT     address to listen on (default 127.0.0.1:8080; port 0: any free port)\n"
           "  --db FILE              SQLite file of the ranking (default zorvat-rank.sqlite)\n"
           "  --postgres CONNINFO    keep the ranking in PostgreSQL instead, e.g. \"host=/run/postgresql "
           "dbname=zorvat\"\n"
           "  --base PATH            folder of the ranking's address, as in the game's RANK_URL (default /zorvat)\n"
           "  --rate-limit N         accepted posts per minute per client address (default 10, 0: no limit)\n"
           "  --max-connections N    connections served at once (default 64)\n"
           "  --max-per-address N    connections served at once for one client address (default 8;\n"
           "                         with --trust-forwarded, as many as --max-connections)\n"
           "  --timeout SECONDS      time a request may take to arrive (default 10)\n"
           "  --trust-forwarded      behind a reverse proxy: the client is the last X-Forwarded-For address\n";
}

} // namespace zorvat::rank
