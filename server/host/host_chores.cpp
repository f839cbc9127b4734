// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_chores.h"

#include "address_bans.h"
#include "decimal_number.h"
#include "entry_exchange.h"
#include "entry_rules.h"
#include "postgres_store.h"
#include "sqlite_store.h"
#include "text_codec.h"
#include "time_text.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
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

std::int64_t number(const HostArguments& args, const char* option, std::int64_t fallback, std::int64_t max)
{
    const auto it = args.values.find(option);
    if (it == args.values.end())
        return fallback;
    const auto value = decimalNumber(it->second, static_cast<std::uint64_t>(max) + 1);
    if (!value || *value > static_cast<std::uint64_t>(max))
        throw UsageError(
            std::string("--") + option + " needs a number from 0 to " + std::to_string(max) + ": " + it->second);
    return static_cast<std::int64_t>(*value);
}

std::vector<std::int64_t> ids(const HostArguments& args)
{
    std::vector<std::int64_t> ids;
    for (const std::string& text : args.operands) {
        const auto max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        const auto id = decimalNumber(text, max + 1);
        if (!id || *id == 0 || *id > max)
            throw UsageError("not an entry id: " + text);
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

} // namespace

void listEntries(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const auto nameIt = args.values.find("name");
    const std::int64_t limit = number(args, "limit", 0, 1'000'000'000);
    const std::vector<RankedEntry> entries
        = openStore(options)->list(nameIt == args.values.end() ? std::string() : nameIt->second, limit);
    if (args.flags.count("json")) {
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

// Every id is checked before anything changes: a typing slip among the ids changes nothing.
void moderateEntries(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const std::vector<std::int64_t> chosen = ids(args);
    const auto store = openStore(options);
    const std::vector<std::int64_t> absent = store->missing(chosen);
    if (!absent.empty())
        throw Error(std::string(absent.size() == 1 ? "there is no entry " : "there are no entries ") + joined(absent)
            + "; nothing changed");
    const std::size_t distinct = std::set<std::int64_t>(chosen.begin(), chosen.end()).size();
    std::int64_t changed = 0;
    std::string done;
    std::string already;
    if (args.name == "hide") {
        changed = store->hide(chosen);
        done = "hidden";
        already = "hidden";
    } else if (args.name == "unhide") {
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

void banAddress(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const std::string prefix = AddressBans::canonical(args.operands[0]);
    const auto reason = args.values.find("reason");
    openStore(options)->ban(prefix, reason == args.values.end() ? std::string() : reason->second, now());
    std::fprintf(out, "banned %s: running servers refuse its posts within seconds\n", prefix.c_str());
}

void liftBan(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const std::string prefix = AddressBans::canonical(args.operands[0]);
    if (!openStore(options)->unban(prefix))
        throw Error("there is no ban on " + prefix + "; zorvat-rank bans lists them");
    std::fprintf(out, "ban on %s lifted\n", prefix.c_str());
}

void listBans(const HostArguments&, const ServerOptions& options, std::FILE* out)
{
    const std::vector<Ban> bans = openStore(options)->bans();
    std::fputs("address\ttime\treason\n", out);
    for (const Ban& ban : bans) {
        const std::string row = terminalText(ban.prefix) + "\t" + localTime(ban.time) + "\t" + terminalText(ban.reason);
        std::fputs((row + "\n").c_str(), out);
    }
}

void forgetAddresses(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const std::int64_t days = number(args, "older-than", DefaultForgetDays, 100'000);
    // 0 days: every address, those of this very second too.
    const std::int64_t before = days ? now() - days * 86'400 : now() + 1;
    const std::int64_t forgotten = openStore(options)->forgetAddresses(before);
    std::fprintf(
        out, "forgot the addresses of %s posted before %s\n", entries(forgotten).c_str(), localTime(before).c_str());
}

void backupStore(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    openStore(options)->backup(args.operands[0]);
    std::fprintf(out, "backup written to %s\n", args.operands[0].c_str());
}

void exportStore(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const auto store = openStore(options);
    const Exchange exchange { store->exportEntries(), store->bans() };
    const std::string json = exchangeJson(exchange);
    if (args.operands.empty()) {
        std::fputs(json.c_str(), out);
        return;
    }
    writeFile(args.operands[0], json);
    std::fprintf(out, "%s and %zu bans exported to %s\n", entries(std::int64_t(exchange.entries.size())).c_str(),
        exchange.bans.size(), args.operands[0].c_str());
}

void importStore(const HostArguments& args, const ServerOptions& options, std::FILE* out)
{
    const std::string& path = args.operands[0];
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

} // namespace zorvat::rank
