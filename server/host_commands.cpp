// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_commands.h"

#include "address_bans.h"
#include "decimal_number.h"
#include "entry_exchange.h"
#include "entry_rules.h"
#include "error.h"
#include "postgres_store.h"
#include "server_options.h"
#include "sqlite_store.h"
#include "text_codec.h"
#include "time_text.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <unistd.h>

namespace zorvat::rank {

namespace {

using namespace std::chrono_literals;

// The host waits at a terminal, and a listing of a large ranking takes longer than a post may:
// deadlines that only tell a store that hangs from one that works.
const StoreTimeouts HostTimeouts { .connect = 10s, .statement = 120s, .lock = 10s, .queue = 10s };
constexpr std::int64_t DefaultForgetDays = 30;
const std::string_view SqliteMagic("SQLite format 3\0", 16);

// A command line to correct, rather than a job that could not be done.
class UsageError : public Error {
public:
    using Error::Error;
};

struct CommandLine {
    std::string name;
    std::vector<std::string> storeArgs; // for the server's option parser: --db, --postgres, --config
    std::vector<std::string> operands;
    std::map<std::string, std::string> values; // the command's own options, without "--"
    std::set<std::string> flags;
    bool help = false;
};

using Run = std::function<void(const CommandLine&, const ServerOptions&, std::FILE*)>;

struct Command {
    const char* name;
    const char* arguments; // as the usage shows them
    const char* summary; // lines after the first indented by the usage
    std::vector<std::string> valueOptions;
    std::vector<std::string> flagOptions;
    std::size_t minOperands = 0;
    std::size_t maxOperands = 0;
    Run run;
};

const std::vector<Command>& commands();

const Command* findCommand(const std::string& name)
{
    for (const Command& command : commands()) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

bool storeOption(const std::string& arg)
{
    return arg == "--db" || arg == "--postgres" || arg == "--config";
}

// The first argument that is neither an option nor an option's value; "" when there is none.
std::string commandName(const std::vector<std::string>& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-')
            return arg;
        if (arg != "-h" && !isFlagOption(arg.substr(arg.rfind("--", 0) == 0 ? 2 : 1)))
            ++i;
    }
    return {};
}

std::string synopsis(const Command& command)
{
    return std::string("zorvat-rank ") + command.name + (*command.arguments ? " " : "") + command.arguments;
}

[[noreturn]] void usageError(const Command& command, const std::string& what)
{
    throw UsageError(what + " (usage: " + synopsis(command) + ")");
}

CommandLine parseCommandLine(const std::vector<std::string>& args, const Command*& command)
{
    CommandLine line;
    line.name = commandName(args);
    command = findCommand(line.name);
    if (!command)
        throw Error("unknown command: " + line.name + " (zorvat-rank help lists the commands)");
    bool named = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == line.name && !named) {
            named = true;
        } else if (arg == "-h" || arg == "--help") {
            line.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            const std::string option = arg.rfind("--", 0) == 0 ? arg.substr(2) : arg;
            const bool store = storeOption(arg);
            const auto& values = command->valueOptions;
            const auto& flags = command->flagOptions;
            if (std::find(flags.begin(), flags.end(), option) != flags.end()) {
                line.flags.insert(option);
                continue;
            }
            if (!store && std::find(values.begin(), values.end(), option) == values.end())
                usageError(*command, std::string(command->name) + " takes no " + arg);
            if (i + 1 >= args.size())
                usageError(*command, arg + " needs a value");
            if (store) {
                line.storeArgs.insert(line.storeArgs.end(), { arg, args[++i] });
            } else {
                line.values[option] = args[++i];
            }
        } else if (named) {
            line.operands.push_back(arg);
        } else {
            usageError(*command, "unexpected " + arg);
        }
    }
    if (!line.help && (line.operands.size() < command->minOperands || line.operands.size() > command->maxOperands))
        usageError(*command,
            std::string(command->name)
                + (line.operands.size() < command->minOperands ? " needs more arguments" : " takes fewer arguments"));
    return line;
}

std::int64_t number(const CommandLine& line, const char* option, std::int64_t fallback, std::int64_t max)
{
    const auto it = line.values.find(option);
    if (it == line.values.end())
        return fallback;
    const auto value = decimalNumber(it->second, static_cast<std::uint64_t>(max) + 1);
    if (!value || *value > static_cast<std::uint64_t>(max))
        usageError(*findCommand(line.name),
            std::string("--") + option + " needs a number from 0 to " + std::to_string(max) + ": " + it->second);
    return static_cast<std::int64_t>(*value);
}

std::vector<std::int64_t> ids(const CommandLine& line)
{
    std::vector<std::int64_t> ids;
    for (const std::string& text : line.operands) {
        const auto max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        const auto id = decimalNumber(text, max + 1);
        if (!id || *id == 0 || *id > max)
            usageError(*findCommand(line.name), "not an entry id: " + text);
        ids.push_back(static_cast<std::int64_t>(*id));
    }
    return ids;
}

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string localTime(std::int64_t unixTime)
{
    return timeText(unixTime, "%Y-%m-%d %H:%M:%S", Clock::Local);
}

// A stored text as a terminal may show it: no control character that moves the cursor, rings,
// rewrites the screen or turns the line around, and no tab that would shift the columns.
std::string terminalText(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = decodeUtf8Char(text, i, cp);
        char escape[16];
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[i]));
            out += escape;
            ++i;
            continue;
        }
        if (cp == '\\') {
            out += "\\\\";
        } else if (isControlCharacter(cp)) {
            std::snprintf(escape, sizeof escape, cp < 0x80 ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(cp));
            out += escape;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::unique_ptr<SqlStore> openStore(const ServerOptions& options, bool create = false)
{
    if (!options.postgres.empty())
        return std::make_unique<PostgresStore>(options.postgres, 2, HostTimeouts);
    // Opening a file that is not there would make an empty ranking beside the real one.
    if (!create && !std::filesystem::exists(options.sqlitePath))
        throw Error("there is no ranking store " + options.sqlitePath
            + "; --db FILE or --postgres CONNINFO names the server's store");
    return std::make_unique<SqliteStore>(options.sqlitePath, 16, HostTimeouts);
}

void list(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const auto nameIt = line.values.find("name");
    const std::int64_t limit = number(line, "limit", 0, 1'000'000'000);
    const std::vector<RankedEntry> entries
        = openStore(options)->list(nameIt == line.values.end() ? std::string() : nameIt->second, limit);
    if (line.flags.count("json")) {
        std::fputs(entriesJson(entries).c_str(), out);
        return;
    }
    std::fputs("id\trank\tname\tscore\tgames\tcomment\ttime\taddress\n", out);
    for (const RankedEntry& e : entries) {
        const std::string row = std::to_string(e.id) + "\t" + (e.hidden ? "hidden" : std::to_string(e.rank)) + "\t"
            + terminalText(e.name) + "\t" + std::to_string(e.score) + "\t" + std::to_string(e.play) + "\t"
            + terminalText(e.comment) + "\t" + localTime(e.time) + "\t"
            + (e.address.empty() ? "-" : terminalText(e.address)) + "\n";
        std::fputs(row.c_str(), out);
    }
}

std::string entries(std::int64_t count)
{
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

std::string joined(const std::vector<std::int64_t>& ids)
{
    std::string text;
    for (const std::int64_t id : ids)
        text += (text.empty() ? "" : ", ") + std::to_string(id);
    return text;
}

// Every id is checked before anything changes: a typing slip among the ids changes nothing.
void moderate(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const std::vector<std::int64_t> chosen = ids(line);
    const auto store = openStore(options);
    const std::vector<std::int64_t> absent = store->missing(chosen);
    if (!absent.empty())
        throw Error(std::string(absent.size() == 1 ? "there is no entry " : "there are no entries ") + joined(absent)
            + "; nothing changed");
    const std::size_t distinct = std::set<std::int64_t>(chosen.begin(), chosen.end()).size();
    std::int64_t changed = 0;
    std::string done;
    std::string already;
    if (line.name == "hide") {
        changed = store->hide(chosen);
        done = "hidden";
        already = "hidden";
    } else if (line.name == "unhide") {
        changed = store->unhide(chosen);
        done = "shown again";
        already = "shown";
    } else {
        changed = store->remove(chosen);
        done = "deleted";
        already = "deleted";
    }
    std::string report = entries(changed) + " " + done;
    if (static_cast<std::size_t>(changed) < distinct)
        report += " (" + std::to_string(distinct - static_cast<std::size_t>(changed)) + " already " + already + ")";
    std::fputs((report + "\n").c_str(), out);
}

void ban(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const std::string prefix = AddressBans::canonical(line.operands[0]);
    const auto reason = line.values.find("reason");
    openStore(options)->ban(prefix, reason == line.values.end() ? std::string() : reason->second, now());
    std::fprintf(out, "banned %s: running servers refuse its posts within seconds\n", prefix.c_str());
}

void unban(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const std::string prefix = AddressBans::canonical(line.operands[0]);
    if (!openStore(options)->unban(prefix))
        throw Error("there is no ban on " + prefix + "; zorvat-rank bans lists them");
    std::fprintf(out, "ban on %s lifted\n", prefix.c_str());
}

void bans(const CommandLine&, const ServerOptions& options, std::FILE* out)
{
    const std::vector<Ban> bans = openStore(options)->bans();
    std::fputs("address\ttime\treason\n", out);
    for (const Ban& ban : bans) {
        const std::string row = terminalText(ban.prefix) + "\t" + localTime(ban.time) + "\t" + terminalText(ban.reason);
        std::fputs((row + "\n").c_str(), out);
    }
}

void forgetAddresses(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const std::int64_t days = number(line, "older-than", DefaultForgetDays, 100'000);
    const std::int64_t before = now() - days * 86'400;
    const std::int64_t forgotten = openStore(options)->forgetAddresses(before);
    std::fprintf(
        out, "forgot the addresses of %s posted before %s\n", entries(forgotten).c_str(), localTime(before).c_str());
}

void backup(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    openStore(options)->backup(line.operands[0]);
    std::fprintf(out, "backup written to %s\n", line.operands[0].c_str());
}

// Written whole or not at all: a file cut short would import as a smaller ranking.
void writeFile(const std::string& path, const std::string& content)
{
    const std::string part = path + ".part";
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        file << content;
        file.flush();
        if (!file) {
            std::filesystem::remove(part);
            throw Error("cannot write " + path);
        }
    }
    std::error_code error;
    std::filesystem::rename(part, path, error);
    if (error) {
        std::filesystem::remove(part);
        throw Error("cannot write " + path + ": " + error.message());
    }
}

void exportStore(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const auto store = openStore(options);
    const Exchange exchange { store->exportEntries(), store->bans() };
    const std::string json = exchangeJson(exchange);
    if (line.operands.empty()) {
        std::fputs(json.c_str(), out);
        return;
    }
    writeFile(line.operands[0], json);
    std::fprintf(out, "%s and %zu bans exported to %s\n", entries(std::int64_t(exchange.entries.size())).c_str(),
        exchange.bans.size(), line.operands[0].c_str());
}

// A backup is read from a copy of its own: the store brings what it opens up to date and in
// write-ahead mode, and the host's backup must stay as it was made.
Exchange fromBackup(const std::string& path)
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "zorvat-rank-import-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw Error("cannot make a temporary copy of " + path);
    close(fd);
    struct Removed {
        std::string path;
        ~Removed()
        {
            std::error_code ignored;
            for (const char* suffix : { "", "-wal", "-shm" })
                fs::remove(path + suffix, ignored);
        }
    } copy { pattern };
    std::error_code error;
    fs::copy_file(path, copy.path, fs::copy_options::overwrite_existing, error);
    if (error)
        throw Error("cannot copy " + path + ": " + error.message());
    SqliteStore source(copy.path, 16, HostTimeouts);
    return { source.exportEntries(), source.bans() };
}

void importStore(const CommandLine& line, const ServerOptions& options, std::FILE* out)
{
    const std::string& path = line.operands[0];
    std::ifstream file(path, std::ios::binary);
    std::string magic(SqliteMagic.size(), '\0');
    if (!file || !file.read(magic.data(), static_cast<std::streamsize>(magic.size())))
        magic.clear();
    if (!file && !file.eof())
        throw Error("cannot read " + path);
    Exchange exchange;
    if (magic == SqliteMagic) {
        exchange = fromBackup(path);
    } else {
        try {
            file.clear();
            file.seekg(0);
            std::ostringstream content;
            content << file.rdbuf();
            exchange = exchangeFromJson(content.str());
        } catch (const Error& e) {
            throw Error(path + " is neither a SQLite backup nor a JSON export: " + e.what());
        }
    }
    // Every ban is checked before the entries go in, so that a bad one leaves the store empty.
    for (Ban& ban : exchange.bans)
        ban.prefix = AddressBans::canonical(ban.prefix);
    const auto store = openStore(options, true);
    store->import(exchange.entries);
    for (const Ban& ban : exchange.bans)
        store->ban(ban.prefix, ban.reason, ban.time);
    std::fprintf(out, "%s and %zu bans imported from %s\n", entries(std::int64_t(exchange.entries.size())).c_str(),
        exchange.bans.size(), path.c_str());
}

void help(const CommandLine&, const ServerOptions&, std::FILE* out)
{
    std::fputs(usageText().c_str(), out);
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> all {
        { "list", "[--name TEXT] [--limit N] [--json]",
            "the newest entries first, hidden ones too: id, rank (\"hidden\"\n"
            "for a hidden one), name, score, games, comment, time, address;\n"
            "--name: only names that contain TEXT; --limit: at most N entries;\n"
            "--json: as one JSON array",
            { "name", "limit" }, { "json" }, 0, 0, list },
        { "hide", "ID...", "take entries out of the ranking", {}, {}, 1, SIZE_MAX, moderate },
        { "unhide", "ID...", "bring hidden entries back", {}, {}, 1, SIZE_MAX, moderate },
        { "delete", "ID...", "delete entries for good", {}, {}, 1, SIZE_MAX, moderate },
        { "ban", "ADDRESS[/BITS] [--reason TEXT]",
            "refuse posts from an address or a block of them (192.0.2.7,\n"
            "192.0.2.0/24, 2001:db8::/32); the reason is the host's note",
            { "reason" }, {}, 1, 1, ban },
        { "unban", "ADDRESS[/BITS]", "lift a ban", {}, {}, 1, 1, unban },
        { "bans", "", "list the bans", {}, {}, 0, 0, bans },
        { "forget-addresses", "[--older-than DAYS]",
            "forget the client addresses of the entries posted more than\n"
            "DAYS days ago (default 30; 0: all)",
            { "older-than" }, {}, 0, 0, forgetAddresses },
        { "backup", "FILE",
            "copy a SQLite store to FILE while servers run (a PostgreSQL\n"
            "store is copied with pg_dump)",
            {}, {}, 1, 1, backup },
        { "export", "[FILE]", "write the entries and bans as JSON to FILE or standard output", {}, {}, 0, 1,
            exportStore },
        { "import", "FILE",
            "load a backup, an export or the output of list --json into a\n"
            "store that holds no entries",
            {}, {}, 1, 1, importStore },
        { "help", "", "show this help", {}, {}, 0, 0, help },
    };
    return all;
}

// The store's and the libraries' messages come over several lines; the host gets one.
std::string oneLine(std::string_view text)
{
    std::string line;
    std::istringstream lines { std::string(text) };
    for (std::string part; std::getline(lines, part);) {
        const std::size_t first = part.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const std::size_t last = part.find_last_not_of(" \t\r");
        line += (line.empty() ? "" : " ") + part.substr(first, last + 1 - first);
    }
    return line;
}

} // namespace

bool isHostCommand(const std::vector<std::string>& args)
{
    return !commandName(args).empty();
}

int runHostCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err)
{
    const Command* command = nullptr;
    CommandLine line;
    ServerOptions options;
    try {
        line = parseCommandLine(args, command);
        options = parseOptions(line.storeArgs);
    } catch (const Error& e) {
        std::fprintf(err, "zorvat-rank: %s\n", oneLine(e.what()).c_str());
        return 2;
    }
    if (line.help) {
        std::fprintf(out, "usage: %s [--config FILE] [--db FILE | --postgres CONNINFO]\n\n%s\n",
            synopsis(*command).c_str(), command->summary);
        return 0;
    }
    for (const std::string& warning : options.warnings)
        std::fprintf(err, "zorvat-rank: warning: %s\n", warning.c_str());
    try {
        command->run(line, options, out);
    } catch (const UsageError& e) {
        std::fprintf(err, "zorvat-rank: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(err, "zorvat-rank: %s\n", oneLine(e.what()).c_str());
        return 1;
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "zorvat-rank: the output could not be written whole\n");
        return 1;
    }
    return 0;
}

std::string hostCommandsUsage()
{
    std::string text;
    for (const Command& command : commands()) {
        std::string head = std::string("  ") + command.name + (*command.arguments ? " " : "") + command.arguments;
        const std::string indent(25, ' ');
        head += head.size() < indent.size() - 1 ? std::string(indent.size() - head.size(), ' ') : "\n" + indent;
        std::string summary = command.summary;
        for (std::size_t at = summary.find('\n'); at != std::string::npos; at = summary.find('\n', at + 1))
            summary.insert(at + 1, indent);
        text += head + summary + "\n";
    }
    return text;
}

} // namespace zorvat::rank
