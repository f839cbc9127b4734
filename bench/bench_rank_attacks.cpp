// SPDX-License-Identifier: GPL-3.0-or-later
// zorvat-rank under the attacks a hostile client tries over loopback: the program's own peak
// resident memory through each, how promptly an ordinary client is served meanwhile, and, with
// its descriptors exhausted, whether it spins and whether a refused post was stored after all.
#include "http_load.h"
#include "check_code.h"
#include "sqlite_store.h"

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zorvat;
using namespace zorvat::bench;
using namespace std::chrono_literals;

namespace {

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd);
    return ntohs(addr.sin_port);
}

// A connection from `source` (any 127.x.y.z); -1 when refused.
int connectFrom(const std::string& source, int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from {};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0
        || connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The status of the answer that comes on `fd` within `wait`; 0 when none does.
int answerStatus(int fd, std::chrono::milliseconds wait)
{
    std::string got;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (got.find("\r\n") == std::string::npos) {
        pollfd p { fd, POLLIN, 0 };
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        char buffer[4096];
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return 0;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return 0;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return std::atoi(got.c_str() + 9);
}

std::string gamePost(int score, const std::string& name)
{
    return requestText("POST", "/zorvat/rank.cgi",
        "sc=" + std::to_string(score) + "&play=1&pass=" + std::to_string(InternetRank::CheckCode(score))
            + "&name=" + name + "&com=");
}

// zorvat-rank as a process of its own, its log thrown away.
class Program {
public:
    Program(const std::string& db, rlim_t descriptors = 0)
        : m_port(freePort())
    {
        const std::string listen = "127.0.0.1:" + std::to_string(m_port);
        m_pid = fork();
        if (m_pid == 0) {
            if (descriptors > 0) {
                const rlimit limit { descriptors, descriptors };
                setrlimit(RLIMIT_NOFILE, &limit);
            }
            std::freopen("/dev/null", "w", stderr);
            execl(ZORVAT_RANK_PROGRAM, "zorvat-rank", "--listen", listen.c_str(), "--db", db.c_str(), "--rate-limit",
                "0", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            const int fd = connectFrom("127.0.0.1", m_port);
            if (fd >= 0) {
                close(fd);
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
    }
    ~Program()
    {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }

    int port() const { return m_port; }
    /** Forgets the peak so far: the next peak() is that of what follows. */
    void resetPeak() { std::ofstream("/proc/" + std::to_string(m_pid) + "/clear_refs") << "5"; }
    double peakMegabytes() const { return static_cast<double>(status("VmHWM:")) / 1024; }
    long long cpuTicks() const
    {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/stat");
        std::string word;
        long long ticks = 0;
        for (int i = 1; i <= 15 && in >> word; ++i)
            ticks += i >= 14 ? std::stoll(word) : 0;
        return ticks;
    }

private:
    long long status(const std::string& key) const
    {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
        std::string word;
        while (in >> word) {
            if (word == key && in >> word)
                return std::stoll(word);
        }
        return -1;
    }

    int m_port;
    pid_t m_pid = 0;
};

void row(const char* attack, const Program& program, const std::string& note)
{
    std::printf("%-58s peak %5.1f MB  %s\n", attack, program.peakMegabytes(), note.c_str());
    std::fflush(stdout);
}

// Request line and header lines without end, `megabytes` of them.
int endlessHeader(int port, std::size_t megabytes)
{
    const int fd = connectFrom("127.0.0.1", port);
    const std::string line = "X-Pad: " + std::string(1 << 20, 'a') + "\r\n";
    bool sending = sendAll(fd, "GET /zorvat/ HTTP/1.1\r\nHost: x\r\n");
    for (std::size_t sent = 0; sending && sent < megabytes; ++sent)
        sending = sendAll(fd, line);
    const int status = answerStatus(fd, 5s);
    close(fd);
    return status;
}

} // namespace

int main()
{
    // The attacks hold thousands of connections.
    rlimit descriptors {};
    getrlimit(RLIMIT_NOFILE, &descriptors);
    descriptors.rlim_cur = descriptors.rlim_max;
    setrlimit(RLIMIT_NOFILE, &descriptors);
    std::signal(SIGPIPE, SIG_IGN);

    const auto folder = std::filesystem::temp_directory_path() / ("zorvat-bench-attacks-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::printf("zorvat-rank (SQLite) under attack over loopback; peak resident memory of the server\n");
    {
        Program program((folder / "attacked.sqlite").string());
        const int port = program.port();
        const Load filled = measure(port, 4, 1s, [](int c, int i) {
            std::string name(1, 'p');
            name.append(std::to_string(c)).append(1, '-').append(std::to_string(i));
            return gamePost(i % 1000, name);
        });
        row("1 s of posts, 4 clients", program, std::to_string(static_cast<long>(filled.perSecond)) + " posts");

        program.resetPeak();
        const std::string ranges = "bytes=0-" + [] {
            std::string more;
            for (int i = 1; i < 2500; ++i)
                more += ",0-";
            return more;
        }();
        const Load ranged = measure(port, 4, 2s, [&](int, int) {
            return "GET /zorvat/ranking.json?limit=1000 HTTP/1.1\r\nHost: x\r\nRange: " + ranges + "\r\n\r\n";
        });
        row("ranking.json?limit=1000 with 2,500 ranges, 4 clients, 2 s", program,
            std::to_string(static_cast<long>(ranged.perSecond)) + " answers/s, each a plain 200");

        program.resetPeak();
        const int eight = endlessHeader(port, 8);
        row("8 MB of header lines", program, "answered " + std::to_string(eight));

        program.resetPeak();
        std::vector<std::thread> floods;
        std::atomic<int> twoHundreds = 0;
        for (int i = 0; i < 4; ++i)
            floods.emplace_back([&] { twoHundreds += endlessHeader(port, 400) == 200; });
        for (std::thread& flood : floods)
            flood.join();
        row("400 MB of header lines on each of 4 connections", program,
            std::to_string(twoHundreds.load()) + " answered 200");

        // Slow clients from 25 addresses, a byte every 2 s each, while one ordinary client reads the page.
        program.resetPeak();
        std::vector<int> slow;
        for (int a = 1; a <= 25; ++a) {
            for (int c = 0; c < 8; ++c) {
                const int fd = connectFrom("127.0.2." + std::to_string(a), port);
                if (fd >= 0 && sendAll(fd, "GET /zorvat/ HTTP/1.1\r\n"))
                    slow.push_back(fd);
            }
        }
        std::atomic<bool> trickling = true;
        std::thread trickle([&] {
            for (int s = 0; trickling && s < 10; ++s) {
                for (const int fd : slow)
                    sendAll(fd, "x");
                for (int i = 0; trickling && i < 20; ++i)
                    std::this_thread::sleep_for(100ms);
            }
        });
        const Load meanwhile = measure(port, 1, 5s, [](int, int) { return requestText("GET", "/zorvat/"); });
        trickling = false;
        trickle.join();
        char note[128];
        std::snprintf(note, sizeof note, "%zu held; another client: %.0f pages/s, p99 %.2f ms, %ld failed", slow.size(),
            meanwhile.perSecond, meanwhile.p99Ms, meanwhile.failures);
        row("200 slow connections from 25 addresses, 5 s", program, note);
        for (const int fd : slow)
            close(fd);

        program.resetPeak();
        std::vector<int> idle;
        for (int a = 0; a < 250; ++a) {
            for (int c = 0; c < 8; ++c) {
                const int fd = connectFrom("127.0.3." + std::to_string(a + 1), port);
                if (fd >= 0)
                    idle.push_back(fd);
            }
        }
        const int served = answerStatus(
            [&] {
                const int fd = connectFrom("127.0.0.1", port);
                sendAll(fd, requestText("GET", "/zorvat/"));
                return fd;
            }(),
            5s);
        row("2,000 idle connections from 250 addresses", program,
            std::to_string(idle.size()) + " held; another client answered " + std::to_string(served));
        for (const int fd : idle)
            close(fd);
    }
    {
        // 64 clients posting, each post on a new connection, with only 90 descriptors.
        const std::string db = (folder / "descriptors.sqlite").string();
        std::set<std::string> refused;
        long accepted = 0;
        double cpuShare = 0;
        {
            Program program(db, 90);
            const int port = program.port();
            std::mutex mutex;
            std::vector<std::thread> clients;
            for (int c = 0; c < 64; ++c) {
                clients.emplace_back([&, c] {
                    for (int p = 0; p < 40; ++p) {
                        std::string name(1, 'c');
                        name.append(std::to_string(c)).append(1, 'p').append(std::to_string(p));
                        const int fd = connectFrom("127.0.0.1", port);
                        const int status = fd >= 0 && sendAll(fd, gamePost(p, name)) ? answerStatus(fd, 10s) : 0;
                        if (fd >= 0)
                            close(fd);
                        const std::lock_guard lock(mutex);
                        if (status == 200)
                            ++accepted;
                        else
                            refused.insert(name);
                    }
                });
            }
            for (std::thread& client : clients)
                client.join();
            std::vector<int> waiting;
            for (int i = 0; i < 300; ++i)
                waiting.push_back(connectFrom("127.0.0.1", port));
            const long long before = program.cpuTicks();
            std::this_thread::sleep_for(2s);
            cpuShare = static_cast<double>(program.cpuTicks() - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) / 2;
            for (const int fd : waiting)
                close(fd);
            row("descriptors exhausted (90), 64 clients posting", program, "");
        }
        rank::SqliteStore store(db);
        long storedRefused = 0;
        for (const rank::RankedEntry& e : store.top(1'000'000).entries)
            storedRefused += refused.count(e.name);
        std::printf("  %ld posts accepted, %zu refused, %ld of the refused stored; CPU while 300 connections wait "
                    "for descriptors: %.1f %% of a core\n",
            accepted, refused.size(), storedRefused, cpuShare * 100);
    }
    std::filesystem::remove_all(folder);
}
