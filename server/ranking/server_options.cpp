// SPDX-License-Identifier: GPL-3.0-or-later
#include "server_options.h"

#include "base_path.h"
#include "decimal_number.h"
#include "error.h"

#include <fstream>
#include <optional>

namespace zorvat::rank {

namespace {

// One option as given: on the command line, or on a line of the configuration file.
struct Setting {
    std::string name; // without the leading "--"
    std::optional<std::string> value;
    std::string where; // "" on the command line, otherwise "FILE:LINE: "
};

std::size_t number(const Setting& setting, std::size_t min, std::size_t max)
{
    const auto value = decimalNumber(*setting.value, max + std::size_t(1));
    if (!value || *value < min || *value > max)
        throw Error(setting.where + "--" + setting.name + " needs a number from " + std::to_string(min) + " to "
            + std::to_string(max) + ": " + *setting.value);
    return *value;
}

void parseListen(const Setting& setting, ServerOptions& options)
{
    const std::string& text = *setting.value;
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        throw Error(setting.where + "--listen needs HOST:PORT, such as 127.0.0.1:8080 or [::1]:8080: " + text);
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    options.host = host;
    options.port = static_cast<int>(number({ "listen", text.substr(colon + 1), setting.where }, 0, 65535));
}

// A password in the connection string is in the process list for every user of the machine.
bool namesPassword(const std::string& conninfo)
{
    const std::size_t scheme = conninfo.find("://");
    if (scheme != std::string::npos) {
        const std::size_t at = conninfo.find('@', scheme);
        if (at != std::string::npos && conninfo.find(':', scheme + 3) < at)
            return true;
    }
    return conninfo.find("password=") != std::string::npos || conninfo.find("password =") != std::string::npos;
}

std::vector<Setting> commandLine(const std::vector<std::string>& args, std::optional<std::string>& config)
{
    std::vector<Setting> settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            settings.push_back({ "help", std::nullopt, "" });
            continue;
        }
        if (arg.rfind("--", 0) != 0)
            throw Error("unknown argument: " + arg);
        Setting setting { arg.substr(2), std::nullopt, "" };
        if (!isFlagOption(setting.name)) {
            if (i + 1 >= args.size())
                throw Error(arg + " needs a value");
            setting.value = args[++i];
        }
        if (setting.name == "config")
            config = setting.value;
        else
            settings.push_back(std::move(setting));
    }
    return settings;
}

// "name value" per line (the value is the rest of the line, blanks and all, as a PostgreSQL
// connection string needs), a flag's name alone; blank lines and lines starting with '#' skipped.
std::vector<Setting> configFile(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw Error("cannot read the --config file " + path);
    std::vector<Setting> settings;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        const std::size_t last = line.find_last_not_of(" \t\r");
        const std::size_t blank = line.find_first_of(" \t", first);
        Setting setting { line.substr(first, std::min(blank, last + 1) - first), std::nullopt, where };
        // A line copied from a command line works as well.
        if (setting.name.rfind("--", 0) == 0)
            setting.name.erase(0, 2);
        if (blank < last) {
            setting.value = line.substr(blank, last + 1 - blank);
            setting.value->erase(0, setting.value->find_first_not_of(" \t"));
        }
        if (setting.name == "config" || setting.name == "help")
            throw Error(where + setting.name + " cannot be set in a configuration file");
        if (isFlagOption(setting.name) != !setting.value)
            throw Error(where + setting.name + (setting.value ? " takes no value" : " needs a value"));
        settings.push_back(std::move(setting));
    }
    return settings;
}

// The settings of one source, over those already in `options`.
void apply(const std::vector<Setting>& settings, ServerOptions& options, bool& perAddressChosen)
{
    bool sqliteChosen = false;
    bool postgresChosen = false;
    std::string storeWhere;
    for (const Setting& setting : settings) {
        const std::string& name = setting.name;
        if (name == "help") {
            options.help = true;
        } else if (name == "trust-forwarded") {
            options.trustForwarded = true;
        } else if (name == "metrics") {
            options.metrics = true;
        } else if (name == "listen") {
            parseListen(setting, options);
        } else if (name == "db") {
            if (setting.value->empty())
                throw Error(setting.where + "--db needs a file name");
            options.sqlitePath = *setting.value;
            sqliteChosen = true;
            storeWhere = setting.where;
        } else if (name == "postgres") {
            options.postgres = *setting.value;
            postgresChosen = true;
            storeWhere = setting.where;
            if (setting.where.empty() && namesPassword(options.postgres))
                options.warnings.push_back("the PostgreSQL password on the command line shows in the process "
                                           "list; give it in the --config file, PGPASSWORD or a PGPASSFILE instead");
        } else if (name == "base") {
            try {
                options.base = normalizedBase(*setting.value);
            } catch (const Error& e) {
                throw Error(setting.where + e.what());
            }
        } else if (name == "rate-limit") {
            options.rateLimit = number(setting, 0, 1'000'000);
        } else if (name == "max-connections") {
            options.limits.maxConnections = number(setting, 1, 1'000'000);
        } else if (name == "max-per-address") {
            options.limits.maxPerAddress = number(setting, 1, 1'000'000);
            perAddressChosen = true;
        } else if (name == "check-multiplier") {
            options.check.multiplier = static_cast<std::int32_t>(number(setting, 10, 99));
        } else if (name == "check-offset") {
            options.check.offset = static_cast<std::int32_t>(number(setting, 0, 9));
        } else if (name == "keep-addresses") {
            options.keepAddressDays = static_cast<int>(number(setting, 0, 36'500));
        } else if (name == "timeout") {
            options.limits.requestTimeout = std::chrono::seconds(number(setting, 1, 3600));
        } else {
            throw Error(setting.where + "unknown option: --" + name);
        }
    }
    if (sqliteChosen && postgresChosen)
        throw Error(storeWhere + "--db and --postgres exclude each other");
    // A store chosen on the command line replaces the configuration file's.
    if (sqliteChosen)
        options.postgres.clear();
}

} // namespace

bool isFlagOption(const std::string& name)
{
    return name == "help" || name == "trust-forwarded" || name == "metrics";
}

ServerOptions parseOptions(const std::vector<std::string>& args)
{
    ServerOptions options;
    std::optional<std::string> config;
    const std::vector<Setting> given = commandLine(args, config);
    bool perAddressChosen = false;
    if (config)
        apply(configFile(*config), options, perAddressChosen);
    apply(given, options, perAddressChosen);
    // Behind a proxy every connection comes from the proxy: a bound per address would be one
    // for the whole site.
    if (options.trustForwarded && !perAddressChosen)
        options.limits.maxPerAddress = options.limits.maxConnections;
    return options;
}

std::string usageText()
{
    return "usage: zorvat-rank [--config FILE] [--listen HOST:PORT] [--db FILE | --postgres CONNINFO]\n"
           "                   [--base PATH] [--rate-limit N] [--max-connections N] [--max-per-address N]\n"
           "                   [--timeout SECONDS] [--keep-addresses DAYS] [--trust-forwarded] [--metrics]\n"
           "                   [--check-multiplier N] [--check-offset N]\n"
           "       zorvat-rank COMMAND [--config FILE] [--db FILE | --postgres CONNINFO] [ARGUMENTS]\n"
           "\n"
           "Serves the Zorvat internet ranking: POST BASE/rank.cgi takes the game's ranking page,\n"
           "GET BASE/ shows the ranking, GET BASE/ranking.json?limit=N lists it as JSON, GET BASE/healthz\n"
           "answers 200 while the store answers.\n"
           "\n"
           "  --config FILE          read options from FILE first, one per line as \"name value\" (\"listen\n"
           "                         127.0.0.1:8080\", a flag's name alone, '#' starts a comment line);\n"
           "                         the command line wins\n"
           "  --listen HOST:PORT     address to listen on (default 127.0.0.1:8080; port 0: any free port)\n"
           "  --db FILE              SQLite file of the ranking (default zorvat-rank.sqlite)\n"
           "  --postgres CONNINFO    keep the ranking in PostgreSQL instead, e.g. \"host=/run/postgresql "
           "dbname=zorvat\";\n"
           "                         without password= libpq finds it in PGPASSWORD or PGPASSFILE\n"
           "  --base PATH            folder of the ranking's address, as in the game's RANK_URL (default /zorvat)\n"
           "  --rate-limit N         accepted posts per minute per client address (default 10, 0: no limit)\n"
           "  --max-connections N    connections open at once (default 2048; fewer when the system grants\n"
           "                         fewer descriptors)\n"
           "  --max-per-address N    connections open at once from one client address (default 8;\n"
           "                         with --trust-forwarded, as many as --max-connections)\n"
           "  --timeout SECONDS      time a whole request may take to arrive, and its answer to leave\n"
           "                         (default 10)\n"
           "  --check-multiplier N   the check code's multiplier (10-99) in the pages that post here, as in\n"
           "                         the players' ranking.conf (default: this build's, "
        + std::to_string(InternetRank::builtInCheckNumbers().multiplier)
        + ")\n"
          "  --check-offset N       the check code's offset (0-9) (default: this build's, "
        + std::to_string(InternetRank::builtInCheckNumbers().offset)
        + ")\n"
          "  --keep-addresses DAYS  forget the client address of an entry this many days after its post\n"
          "                         (default 30; 0: keep them until forget-addresses)\n"
          "  --trust-forwarded      behind a reverse proxy: the client is the last X-Forwarded-For address\n"
          "  --metrics              serve GET /metrics (Prometheus' text format) to this machine's own\n"
          "                         loopback connections\n";
}

} // namespace zorvat::rank
