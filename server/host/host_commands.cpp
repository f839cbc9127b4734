// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_commands.h"

#include "host_chores.h"
#include "server_options.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>

namespace zorvat::rank {

namespace {

// The command line of one command: its arguments, and the options that name the store.
struct CommandLine : HostArguments {
    std::vector<std::string> storeArgs; // for the server's option parser: --db, --postgres, --config
    bool help = false;
};

using Run = std::function<void(const HostArguments&, const ServerOptions&, std::FILE*)>;

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

void help(const HostArguments&, const ServerOptions&, std::FILE* out)
{
    std::fputs((usageText() + hostCommandsUsage()).c_str(), out);
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> all {
        { "list", "[--name TEXT] [--limit N] [--json]",
            "the newest entries first, hidden ones too: id, rank (\"hidden\"\n"
            "for a hidden one), name, score, games, comment, time, address;\n"
            "--name: only names that contain TEXT; --limit: at most N entries;\n"
            "--json: as one JSON array",
            { "name", "limit" }, { "json" }, 0, 0, listEntries },
        { "hide", "ID...", "take entries out of the ranking", {}, {}, 1, SIZE_MAX, moderateEntries },
        { "unhide", "ID...", "bring hidden entries back", {}, {}, 1, SIZE_MAX, moderateEntries },
        { "delete", "ID...", "delete entries for good", {}, {}, 1, SIZE_MAX, moderateEntries },
        { "ban", "ADDRESS[/BITS] [--reason TEXT]",
            "refuse posts from an address or a block of them (192.0.2.7,\n"
            "192.0.2.0/24, 2001:db8::/32); the reason is the host's note",
            { "reason" }, {}, 1, 1, banAddress },
        { "unban", "ADDRESS[/BITS]", "lift a ban", {}, {}, 1, 1, liftBan },
        { "bans", "", "list the bans", {}, {}, 0, 0, listBans },
        { "forget-addresses", "[--older-than DAYS]",
            "forget the client addresses of the entries posted more than\n"
            "DAYS days ago (default 30; 0: all)",
            { "older-than" }, {}, 0, 0, forgetAddresses },
        { "backup", "FILE",
            "copy a SQLite store to FILE while servers run (a PostgreSQL\n"
            "store is copied with pg_dump)",
            {}, {}, 1, 1, backupStore },
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
        if (!line.empty())
            line += ' ';
        line.append(part, first, last + 1 - first);
    }
    return line;
}

} // namespace

bool isHostCommand(const std::vector<std::string>& args)
{
    // A word after the server's options that names no command is the server's to refuse, as it
    // refuses a mistyped option whose value this word then seemed to be.
    const std::string name = commandName(args);
    return !name.empty() && (findCommand(name) || args[0] == name);
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
        std::fprintf(err, "zorvat-rank: %s (usage: %s)\n", e.what(), synopsis(*command).c_str());
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
    std::string text = "\nThe host's commands work on the store that --db, --postgres or the --config file names, "
                       "while\nservers run on it; each says in one line why when it cannot do its job (exit "
                       "status 1):\n";
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
