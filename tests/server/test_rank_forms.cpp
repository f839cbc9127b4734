// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the game's posts: the form decoder, the entry rules with the game's own check code, the
// escaping of what players type, the rate limiter and the command line.
#include "check_code.h"
#include "entry_rules.h"
#include "error.h"
#include "form_decoder.h"
#include "html_pages.h"
#include "http_message.h"
#include "rank_page.h"
#include "ranking_json.h"
#include "rate_limiter.h"
#include "refusal.h"
#include "server_options.h"
#include "text_codec.h"

#include <QtTest>

#include <QTemporaryDir>

#include <fstream>
#include <regex>

using namespace zorvat;
using namespace zorvat::rank;

namespace {

// The refusal's status, or 0 when `work` is accepted.
template <class Work> int refusalStatus(Work&& work)
{
    try {
        work();
    } catch (const Refusal& refusal) {
        return refusal.status();
    }
    return 0;
}

FormFields validFields()
{
    return { { "sc", "12" }, { "play", "3" }, { "pass", std::to_string(InternetRank::CheckCode(12)) },
        { "name", "山田" }, { "com", "よろしく" }, { "B1", "送信" } };
}

// The hidden fields exactly as the game writes them into its ranking page.
FormFields fieldsOfGamePage(std::int32_t score, std::int32_t play)
{
    const std::string page = *fromCp932(InternetRank::rankPageBytes(score, play, "http://127.0.0.1/zorvat/rank.cgi"));
    FormFields fields { { "name", "プレイヤー" }, { "com", "" } };
    const std::regex hidden(R"re(NAME="(\w+)" VALUE="(-?\d+)")re");
    for (std::sregex_iterator it(page.begin(), page.end(), hidden), end; it != end; ++it)
        fields[(*it)[1]] = (*it)[2];
    return fields;
}

} // namespace

class TestRankForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decoderUndoesTheBrowsersEncoding_data();
    void decoderUndoesTheBrowsersEncoding();
    void decoderRefusesBrokenBodies_data();
    void decoderRefusesBrokenBodies();
    void contentTypeChoosesTheCharacterSet_data();
    void contentTypeChoosesTheCharacterSet();

    void theGamesOwnPagesAreAccepted_data();
    void theGamesOwnPagesAreAccepted();
    void everyRuleRefusesItsBadField_data();
    void everyRuleRefusesItsBadField();
    void namesAndCommentsAreTrimmedAndCountedInCharacters();

    void playerTextIsEscapedOnEveryPage();
    void jsonListsTheEntriesBestFirst();

    void rateLimitCountsAcceptedPostsPerAddressAndMinute();

    void commandLineHasItsDefaultsAndRefusesNonsense();
    void configFileGivesTheSameOptionsUnderTheCommandLine();
    void onlyTheLoopbackAddressIsTheHostsOwn();
};

void TestRankForms::decoderUndoesTheBrowsersEncoding_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("name");

    QTest::newRow("plus is a blank") << QByteArray("name=a+b") << false << "a b";
    QTest::newRow("escaped plus stays") << QByteArray("name=a%2Bb") << false << "a+b";
    QTest::newRow("shift-jis by default") << QByteArray("name=%8ER%93c%91%BE%98Y") << false << "山田太郎";
    QTest::newRow("lower-case escapes") << QByteArray("name=%8eR%93c") << false << "山田";
    QTest::newRow("utf-8 when said") << QByteArray("name=%E5%B1%B1%E7%94%B0") << true << "山田";
    QTest::newRow("reference for a character shift-jis lacks")
        << QByteArray("name=a%26%23128512%3B") << false << QString::fromUtf8("a\xF0\x9F\x98\x80");
    QTest::newRow("reference for plain ascii stays text") << QByteArray("name=%26%2365%3B") << false << "&#65;";
    QTest::newRow("references are not undone in utf-8") << QByteArray("name=%26%2312354%3B") << true << "&#12354;";
    QTest::newRow("empty pairs skipped") << QByteArray("&&name=x&") << false << "x";
    QTest::newRow("no equals sign") << QByteArray("name") << false << "";
}

void TestRankForms::decoderUndoesTheBrowsersEncoding()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, utf8);
    QFETCH(QString, name);
    const FormFields fields = decodeForm(body.toStdString(), utf8 ? FormCharset::Utf8 : FormCharset::Cp932);
    QCOMPARE(fields.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(fields.at("name")), name);
}

void TestRankForms::decoderRefusesBrokenBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("percent at the end") << QByteArray("name=ab%") << false;
    QTest::newRow("one digit") << QByteArray("name=ab%4") << false;
    QTest::newRow("not hex") << QByteArray("name=%zz") << false;
    QTest::newRow("half hex") << QByteArray("name=%4g") << false;
    QTest::newRow("broken escape in a name") << QByteArray("na%me=x") << false;
    QTest::newRow("lone shift-jis lead byte") << QByteArray("name=%82") << false;
    QTest::newRow("invalid utf-8") << QByteArray("name=%C3%28") << true;
    QTest::newRow("utf-8 surrogate") << QByteArray("name=%ED%A0%80") << true;
    QTest::newRow("field twice") << QByteArray("sc=1&sc=2") << false;
}

void TestRankForms::decoderRefusesBrokenBodies()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, utf8);
    QCOMPARE(
        refusalStatus([&] { decodeForm(body.toStdString(), utf8 ? FormCharset::Utf8 : FormCharset::Cp932); }), 400);
}

void TestRankForms::contentTypeChoosesTheCharacterSet_data()
{
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<int>("charset"); // -1: refused with 415

    QTest::newRow("browser default") << "application/x-www-form-urlencoded" << int(FormCharset::Cp932);
    QTest::newRow("utf-8") << "application/x-www-form-urlencoded; charset=UTF-8" << int(FormCharset::Utf8);
    QTest::newRow("quoted utf8") << "Application/X-WWW-Form-Urlencoded;charset=\"utf8\"" << int(FormCharset::Utf8);
    QTest::newRow("shift_jis") << "application/x-www-form-urlencoded; charset=Shift_JIS" << int(FormCharset::Cp932);
    QTest::newRow("other parameter") << "application/x-www-form-urlencoded; x=1; charset=utf-8"
                                     << int(FormCharset::Utf8);
    QTest::newRow("none") << "" << -1;
    QTest::newRow("multipart") << "multipart/form-data; boundary=x" << -1;
    QTest::newRow("json") << "application/json" << -1;
    QTest::newRow("unknown charset") << "application/x-www-form-urlencoded; charset=iso-8859-1" << -1;
}

void TestRankForms::contentTypeChoosesTheCharacterSet()
{
    QFETCH(QString, contentType);
    QFETCH(int, charset);
    if (charset < 0)
        QCOMPARE(refusalStatus([&] { formCharset(contentType.toStdString()); }), 415);
    else
        QCOMPARE(int(formCharset(contentType.toStdString())), charset);
}

void TestRankForms::theGamesOwnPagesAreAccepted_data()
{
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("play");

    QTest::newRow("nothing scored, first game") << 0 << 0;
    QTest::newRow("ordinary") << 12 << 3;
    QTest::newRow("code wraps past 32 bits") << 100'000'000 << 7;
    QTest::newRow("largest") << 2147483647 << 2147483647;
}

void TestRankForms::theGamesOwnPagesAreAccepted()
{
    QFETCH(int, score);
    QFETCH(int, play);
    FormFields fields = fieldsOfGamePage(score, play);
    const Submission entry = submissionFrom(fields);
    QCOMPARE(entry.score, score);
    QCOMPARE(entry.play, play);
    QCOMPARE(entry.name, std::string("プレイヤー"));

    // Any other code is a rewritten score.
    fields["pass"] = std::to_string(static_cast<std::int64_t>(InternetRank::CheckCode(score)) + 1);
    QCOMPARE(refusalStatus([&] { submissionFrom(fields); }), 400);
}

void TestRankForms::everyRuleRefusesItsBadField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value"); // "(missing)": left out

    for (const char* name : { "sc", "play", "pass", "name", "com" })
        QTest::addRow("%s missing", name) << name << "(missing)";
    for (const char* number : { "sc", "play" }) {
        for (const char* bad : { "", "-1", "abc", "2147483648", "99999999999999999999", " 12", "1.5", "+3", "0x10" })
            QTest::addRow("%s '%s'", number, bad) << number << bad;
    }
    QTest::newRow("pass empty") << "pass"
                                << "";
    QTest::newRow("pass with blank") << "pass"
                                     << QString::fromStdString(std::to_string(InternetRank::CheckCode(12)) + " ");
    QTest::newRow("name empty") << "name"
                                << "";
    QTest::newRow("name only blanks") << "name" << QString::fromUtf8("  　 ");
    QTest::newRow("name 21 characters") << "name" << QString(21, QChar(0x5C71));
    QTest::newRow("name with tab") << "name"
                                   << "a\tb";
    QTest::newRow("name with newline") << "name"
                                       << "a\nb";
    QTest::newRow("name with delete") << "name"
                                      << "a\x7f";
    QTest::newRow("name with C1 control") << "name" << QString("a") + QChar(0x85);
    QTest::newRow("comment 61 characters") << "com" << QString(61, QChar('x'));
    QTest::newRow("comment with carriage return") << "com"
                                                  << "a\rb";
    for (const char16_t bidi : { u'\u202A', u'\u202E', u'\u2066', u'\u2069' }) {
        QTest::addRow("name with U+%04X", bidi) << "name" << QString("ab") + QChar(bidi);
        QTest::addRow("comment with U+%04X", bidi) << "com" << QString(QChar(bidi)) + "ab";
    }
    QTest::newRow("name of zero-width spaces") << "name" << QString::fromUtf16(u"\u200B\u200B");
    QTest::newRow("name of joiners and a byte-order mark") << "name" << QString::fromUtf16(u"\u200D\u2060\uFEFF");
    QTest::newRow("name of blanks of every width") << "name" << QString::fromUtf16(u"\u00A0\u2003\u200C\u3000");
}

void TestRankForms::everyRuleRefusesItsBadField()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    FormFields fields = validFields();
    QCOMPARE(refusalStatus([&] { submissionFrom(fields); }), 0);
    if (value == "(missing)")
        fields.erase(field.toStdString());
    else
        fields[field.toStdString()] = value.toStdString();
    QCOMPARE(refusalStatus([&] { submissionFrom(fields); }), 400);
}

void TestRankForms::namesAndCommentsAreTrimmedAndCountedInCharacters()
{
    FormFields fields = validFields();
    fields["name"] = "　 " + QString(20, QChar(0x5C71)).toStdString() + " 　";
    fields["com"] = " " + std::string(60, 'x') + " ";
    const Submission longest = submissionFrom(fields);
    QCOMPARE(QString::fromStdString(longest.name), QString(20, QChar(0x5C71)));
    QCOMPARE(longest.comment, std::string(60, 'x'));

    fields["name"] = "a　b";
    fields["com"] = "";
    const Submission inner = submissionFrom(fields);
    QCOMPARE(inner.name, std::string("a　b"));
    QCOMPARE(inner.comment, std::string());

    // Joiners inside a name that shows something are part of how it is written.
    fields["name"] = "\xE2\x80\x8B"
                     "a\xE2\x80\x8D"
                     "b";
    fields["com"] = "\xE2\x80\x8B";
    QCOMPARE(refusalStatus([&] { submissionFrom(fields); }), 0);
}

void TestRankForms::playerTextIsEscapedOnEveryPage()
{
    const std::string hostile = R"(<script>alert("x")</script>&'<img src=x onerror=y>)";
    Ranking ranking;
    ranking.total = 1;
    ranking.entries.push_back({ 7, 1, 5, 2, hostile, hostile, 0 });
    Submission entry { 5, 2, hostile, hostile };
    for (const std::string& page :
        { rankingPage(ranking, 7), registeredPage({ 7, 1, 1 }, entry, "/zorvat"), refusedPage(hostile, "/zorvat") }) {
        QVERIFY(page.find("<script") == std::string::npos);
        QVERIFY(page.find("<img") == std::string::npos);
        QVERIFY(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;&#39;") != std::string::npos);
    }
    QVERIFY(rankingPage(ranking, 7).find("<tr id=\"e7\" class=\"new\">") != std::string::npos);
    QVERIFY(rankingPage(ranking, 8).find("class=\"new\"") == std::string::npos);

    const std::string json = jsonString("\"\\\n\x01</script>山");
    QCOMPARE(json, std::string(R"("\"\\\u000a\u0001\u003c/script\u003e山")"));
}

void TestRankForms::jsonListsTheEntriesBestFirst()
{
    Ranking ranking;
    ranking.total = 5;
    ranking.entries.push_back({ 3, 1, 30, 4, "a", "x", 0 });
    ranking.entries.push_back({ 1, 2, 20, 0, "b", "", 1700000000 });
    QCOMPARE(rankingJson(ranking),
        std::string("{\"total\":5,\"entries\":[\n"
                    R"({"rank":1,"name":"a","score":30,"play":4,"comment":"x","time":"1970-01-01T00:00:00Z"},)"
                    "\n"
                    R"({"rank":2,"name":"b","score":20,"play":0,"comment":"","time":"2023-11-14T22:13:20Z"}]})"
                    "\n"));
    QCOMPARE(rankingJson({}), std::string("{\"total\":0,\"entries\":[]}\n"));
}

void TestRankForms::rateLimitCountsAcceptedPostsPerAddressAndMinute()
{
    auto now = std::chrono::steady_clock::time_point() + std::chrono::hours(1);
    RateLimiter limiter(3, [&] { return now; });
    std::vector<RateLimiter::Place> places;
    for (int i = 0; i < 3; ++i)
        places.push_back(limiter.acquire("10.0.0.1").value());
    QVERIFY(!limiter.acquire("10.0.0.1"));
    QVERIFY(limiter.acquire("10.0.0.2"));

    // A post that was not stored gives its place back.
    limiter.release("10.0.0.1", places.back());
    QVERIFY(limiter.acquire("10.0.0.1"));
    QVERIFY(!limiter.acquire("10.0.0.1"));

    // It gives back its own place, not a later post's: that one stays until its own minute is up.
    auto later = now;
    RateLimiter pair(2, [&] { return later; });
    const auto first = pair.acquire("10.0.0.9").value();
    later += std::chrono::seconds(30);
    QVERIFY(pair.acquire("10.0.0.9"));
    pair.release("10.0.0.9", first);
    QVERIFY(pair.acquire("10.0.0.9"));
    later += std::chrono::seconds(40);
    QVERIFY(!pair.acquire("10.0.0.9"));

    now += std::chrono::seconds(59);
    QVERIFY(!limiter.acquire("10.0.0.1"));
    now += std::chrono::seconds(1);
    QVERIFY(limiter.acquire("10.0.0.1"));

    // Addresses quiet for a minute are forgotten.
    now += std::chrono::minutes(2);
    QVERIFY(limiter.acquire("10.0.0.3"));
    QCOMPARE(limiter.addressCount(), std::size_t(1));

    RateLimiter off(0);
    for (int i = 0; i < 1000; ++i)
        QVERIFY(off.acquire("10.0.0.1"));
}

void TestRankForms::commandLineHasItsDefaultsAndRefusesNonsense()
{
    const ServerOptions defaults = parseOptions({});
    QCOMPARE(defaults.host, std::string("127.0.0.1"));
    QCOMPARE(defaults.port, 8080);
    QCOMPARE(defaults.sqlitePath, std::string("zorvat-rank.sqlite"));
    QVERIFY(defaults.postgres.empty());
    QCOMPARE(defaults.base, std::string("/zorvat"));
    QCOMPARE(defaults.rateLimit, std::size_t(10));
    QCOMPARE(defaults.limits.maxConnections, std::size_t(2048));
    QVERIFY(!defaults.metrics);
    QVERIFY(defaults.warnings.empty());

    const ServerOptions set = parseOptions(
        { "--listen", "[::1]:9000", "--postgres", "dbname=x", "--base", "/games/zorvat//", "--rate-limit", "0" });
    QCOMPARE(set.host, std::string("::1"));
    QCOMPARE(set.port, 9000);
    QCOMPARE(set.postgres, std::string("dbname=x"));
    QCOMPARE(set.base, std::string("/games/zorvat"));
    QCOMPARE(set.rateLimit, std::size_t(0));
    QCOMPARE(parseOptions({ "--base", "/" }).base, std::string());
    QCOMPARE(defaults.check, InternetRank::builtInCheckNumbers());
    QCOMPARE(parseOptions({ "--check-multiplier", "41", "--check-offset", "3" }).check,
        (InternetRank::CheckNumbers { 41, 3 }));
    QCOMPARE(defaults.keepAddressDays, 30);
    // Behind a proxy, which opens every connection, the bound per address is no bound of its own.
    QCOMPARE(parseOptions({ "--trust-forwarded", "--max-connections", "100" }).limits.maxPerAddress, std::size_t(100));
    QCOMPARE(parseOptions({ "--trust-forwarded", "--max-per-address", "3" }).limits.maxPerAddress, std::size_t(3));

    const std::vector<std::vector<std::string>> wrong = {
        { "--listen", "8080" },
        { "--listen", "host:70000" },
        { "--listen", "host:80x" },
        { "--rate-limit", "-1" },
        { "--rate-limit", "+1" },
        { "--max-connections", "0" },
        { "--check-multiplier", "9" },
        { "--check-offset", "10" },
        { "--keep-addresses", "-1" },
        { "--db", "a", "--postgres", "b" },
        { "--base", "zorvat" },
        { "--base", "/a b" },
        { "--db" },
        { "--frobnicate", "1" },
        { "stray" },
        { "--config", "/nonexistent/zorvat-rank.conf" },
    };
    for (const auto& args : wrong) {
        bool refused = false;
        try {
            parseOptions(args);
        } catch (const Error&) {
            refused = true;
        }
        QVERIFY2(refused, args.front().c_str());
    }
}

void TestRankForms::configFileGivesTheSameOptionsUnderTheCommandLine()
{
    QTemporaryDir folder;
    const auto config = [&](const std::string& text) {
        const std::string path = folder.filePath("zorvat-rank.conf").toStdString();
        std::ofstream(path) << text;
        return path;
    };
    const std::string path = config("# the school's ranking\n\n  listen  [::1]:9000\nbase /school/\nmetrics\n"
                                    "postgres host=/run/postgresql dbname=zorvat password=s3cret #1\n"
                                    "--rate-limit 4\r\n");
    const ServerOptions read = parseOptions({ "--config", path });
    QCOMPARE(read.host, std::string("::1"));
    QCOMPARE(read.port, 9000);
    QCOMPARE(read.base, std::string("/school"));
    QVERIFY(read.metrics);
    QCOMPARE(read.postgres, std::string("host=/run/postgresql dbname=zorvat password=s3cret #1"));
    QCOMPARE(read.rateLimit, std::size_t(4));
    // A password in the file stays out of the process list; on the command line it does not.
    QVERIFY(read.warnings.empty());
    QCOMPARE(parseOptions({ "--postgres", "dbname=x password=y" }).warnings.size(), std::size_t(1));
    QCOMPARE(parseOptions({ "--postgres", "postgresql://zorvat:y@db/zorvat" }).warnings.size(), std::size_t(1));
    QVERIFY(parseOptions({ "--postgres", "postgresql://zorvat@db/zorvat" }).warnings.empty());

    // The command line wins, a store chosen there included.
    const ServerOptions over = parseOptions({ "--rate-limit", "0", "--config", path, "--db", "here.sqlite" });
    QCOMPARE(over.rateLimit, std::size_t(0));
    QVERIFY(over.postgres.empty());
    QCOMPARE(over.sqlitePath, std::string("here.sqlite"));

    for (const char* wrong : { "listen\n", "metrics yes\n", "frobnicate 1\n", "config other.conf\n",
             "db a\npostgres b\n", "rate-limit ten\n" }) {
        QString reason;
        try {
            parseOptions({ "--config", config(wrong) });
        } catch (const Error& e) {
            reason = e.what();
        }
        QVERIFY2(reason.contains("zorvat-rank.conf:"), wrong);
    }
}

void TestRankForms::onlyTheLoopbackAddressIsTheHostsOwn()
{
    for (const char* own : { "127.0.0.1", "127.1.2.3", "::1" })
        QVERIFY2(isLoopback(own), own);
    for (const char* other : { "10.0.0.1", "1270::1", "::ffff:10.0.0.1", "", "203.0.113.127" })
        QVERIFY2(!isLoopback(other), other);
}

QTEST_GUILESS_MAIN(TestRankForms)
#include "test_rank_forms.moc"
