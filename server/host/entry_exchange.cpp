// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_exchange.h"

#include "error.h"
#include "json_reader.h"
#include "ranking_json.h"
#include "text_codec.h"
#include "time_text.h"

#include <ctime>
#include <limits>

namespace zorvat::rank {

namespace {

const char* const IsoTime = "%Y-%m-%dT%H:%M:%SZ";

// Stored texts came through the server's checks or an import, so they are UTF-8; should one not
// be, the file stays JSON that any reader takes.
std::string text(const std::string& utf8)
{
    return jsonString(validUtf8(utf8));
}

std::string isoTime(std::int64_t unixTime)
{
    std::string quoted(1, '"');
    quoted += timeText(unixTime, IsoTime, Clock::Utc);
    quoted += '"';
    return quoted;
}

std::string entryJson(const RankedEntry& e, bool ranked)
{
    std::string json = "{\"id\":" + std::to_string(e.id);
    if (ranked)
        json += ",\"rank\":" + std::to_string(e.rank);
    return json + ",\"name\":" + text(e.name) + ",\"score\":" + std::to_string(e.score)
        + ",\"games\":" + std::to_string(e.play) + ",\"comment\":" + text(e.comment) + ",\"time\":" + isoTime(e.time)
        + ",\"address\":" + text(e.address) + ",\"hidden\":" + (e.hidden ? "true" : "false") + "}";
}

template <class Item, class Write> std::string array(const std::vector<Item>& items, Write write)
{
    std::string json = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        json += (i ? ",\n" : "\n") + write(items[i]);
    return json + (items.empty() ? "]" : "\n]");
}

// Reads the members of one object of the file; every failure names the object.
class Fields {
public:
    Fields(const JsonValue& object, std::string where)
        : m_object(object)
        , m_where(std::move(where))
    {
        if (object.kind != JsonValue::Kind::Object)
            fail("is not an object");
    }

    [[noreturn]] void fail(const std::string& what) const { throw Error(m_where + " " + what); }

    const JsonValue* find(const char* name, JsonValue::Kind kind) const
    {
        const JsonValue* value = m_object.member(name);
        if (value && value->kind != kind)
            fail(std::string("has a \"") + name + "\" of the wrong type");
        return value;
    }

    std::string string(const char* name, bool required = true) const
    {
        const JsonValue* value = find(name, JsonValue::Kind::String);
        if (!value && required)
            fail(std::string("has no \"") + name + "\"");
        return value ? value->text : std::string();
    }

    std::int64_t integer(const char* name, std::int64_t min, std::int64_t max) const
    {
        const JsonValue* value = find(name, JsonValue::Kind::Number);
        if (!value)
            fail(std::string("has no \"") + name + "\"");
        const auto number = value->integer();
        if (!number || *number < min || *number > max)
            fail(std::string("has a \"") + name + "\" that is no whole number from " + std::to_string(min) + " to "
                + std::to_string(max));
        return *number;
    }

    // A moment as written here (ISO 8601 UTC), or as seconds since 1970.
    std::int64_t time(const char* name) const
    {
        const JsonValue* value = m_object.member(name);
        if (value && value->kind == JsonValue::Kind::Number)
            return integer(name, 0, std::numeric_limits<std::int64_t>::max());
        const std::string written = string(name);
        std::tm tm {};
        char end = 0;
        if (std::sscanf(written.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                &tm.tm_min, &tm.tm_sec, &end)
            == 7) {
            tm.tm_year -= 1900;
            tm.tm_mon -= 1;
            const std::int64_t unixTime = timegm(&tm);
            // Read back the same way, or it named no real moment (a 31 February, a letter among digits).
            if (timeText(unixTime, IsoTime, Clock::Utc) == written)
                return unixTime;
        }
        fail(std::string("has a \"") + name + "\" that is no time such as 2024-05-01T12:00:00Z");
    }

private:
    const JsonValue& m_object;
    std::string m_where;
};

std::vector<RankedEntry> entriesOf(const JsonValue& array)
{
    if (array.kind != JsonValue::Kind::Array)
        throw Error("the entries are not a JSON array");
    constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();
    std::vector<RankedEntry> entries;
    for (const JsonValue& item : array.items) {
        const Fields fields(item, "entry " + std::to_string(entries.size() + 1));
        RankedEntry e;
        e.id = fields.integer("id", 1, std::numeric_limits<std::int64_t>::max());
        e.name = fields.string("name");
        e.score = static_cast<std::int32_t>(fields.integer("score", 0, Int32Max));
        e.play = static_cast<std::int32_t>(fields.integer("games", 0, Int32Max));
        e.comment = fields.string("comment");
        e.time = fields.time("time");
        e.address = fields.string("address", false);
        if (const JsonValue* hidden = fields.find("hidden", JsonValue::Kind::Boolean))
            e.hidden = hidden->boolean;
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace

std::string entriesJson(const std::vector<RankedEntry>& entries)
{
    return array(entries, [](const RankedEntry& e) { return entryJson(e, true); }) + "\n";
}

std::string exchangeJson(const Exchange& exchange)
{
    return "{\"entries\":" + array(exchange.entries, [](const RankedEntry& e) { return entryJson(e, false); })
        + ",\n\"bans\":"
        + array(exchange.bans,
            [](const Ban& ban) {
                return "{\"prefix\":" + text(ban.prefix) + ",\"reason\":" + text(ban.reason)
                    + ",\"time\":" + isoTime(ban.time) + "}";
            })
        + "}\n";
}

Exchange exchangeFromJson(std::string_view text)
{
    const JsonValue document = parseJson(text);
    if (document.kind == JsonValue::Kind::Array)
        return { entriesOf(document), {} };
    const Fields top(document, "the file");
    const JsonValue* entries = top.find("entries", JsonValue::Kind::Array);
    if (!entries)
        top.fail("has no \"entries\"");
    Exchange exchange { entriesOf(*entries), {} };
    if (const JsonValue* bans = top.find("bans", JsonValue::Kind::Array)) {
        for (const JsonValue& item : bans->items) {
            const Fields fields(item, "ban " + std::to_string(exchange.bans.size() + 1));
            exchange.bans.push_back({ fields.string("prefix"), fields.string("reason", false), fields.time("time") });
        }
    }
    return exchange;
}

} // namespace zorvat::rank
