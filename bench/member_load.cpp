// Load of the member area: N simulated members on loopback, each polling messages and
// participants every 2 s and sending a message every 5 s, as the studio does, against a real
// ludomat-server with a fresh database. Prints throughput, poll latency percentiles, and
// whether every member received every message exactly once. The same polls by one member on
// an idle server give the baseline of the same run. SLOW more connections beside them send a
// request header a byte every 3 s (and open again when the server closes them).
//   member_load SERVER_PROGRAM [MEMBERS=200] [SECONDS=60] [SLOW=0]
// With --depth, one member polls a group of MESSAGES messages at its start and at its end:
//   member_load SERVER_PROGRAM --depth [MESSAGES=1000000]
// With --setup, the same load against a set-up the bench starts: "sqlite" (one server),
// "postgresql" (one server on a PostgreSQL of its own) or "balanced" (HAProxy before two servers
// on it), with each process's CPU
// and memory; with --step, fresh set-ups with more members each time until p99 reaches 100 ms:
//   member_load SERVER_PROGRAM --setup sqlite|postgresql|balanced [MEMBERS=1000] [SECONDS=60]
//   member_load SERVER_PROGRAM --step sqlite|postgresql|balanced [FROM=500] [STEP=500] [UP_TO=5000] [SECONDS=20]

#include "member_setups.h"
#include "slow_clients.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollEvery = std::chrono::milliseconds(2000);
// Each member sends every 5 s, less often past 200 members: one group then gets at most 40
// messages a second, what polls of 100 messages every 2 s carry.
std::chrono::milliseconds postInterval(int members)
{
    return std::chrono::milliseconds(5000 * std::max(1, members / 200));
}

struct Results {
    std::mutex lock;
    std::vector<double> pollMs;
    std::vector<double> postMs;
    long requests = 0;
    long failures = 0;
};

std::vector<std::string> lines(const std::string& body)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find("\r\n", start);
        if (end == std::string::npos) end = body.size();
        out.push_back(body.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

class Member {
public:
    Member(int port, int id) : m_client("127.0.0.1", port), m_id(id)
    {
        m_client.set_keep_alive(true);
        m_client.set_tcp_nodelay(true);
    }

    bool join()
    {
        // Appended piece by piece: GCC 12 warns wrongly about "literal" + std::to_string(...).
        std::string email = "m";
        email += std::to_string(m_id) + "@carga.br";
        httplib::Params params{{"Email", email}, {"Senha", "senha de carga"}};
        m_client.set_read_timeout(60, 0);
        // Sign-up and log-in are limited per address, and every member here has the same one.
        auto ask = [&](const char* path) {
            for (int attempt = 0;; ++attempt) {
                auto reply = m_client.Get(httplib::append_query_params(path, params));
                if (!reply || reply->status != 429 || attempt == 100) return reply;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        };
        ask("/ludomat/vip/cadastro.php");
        auto reply = ask("/ludomat/vip/login.php");
        m_client.set_read_timeout(5, 0);
        if (!reply || reply->body.find("Ok") == std::string::npos) return false;
        m_key = reply->body.substr(reply->body.find('|') + 1);
        auto nick = m_client.Get("/ludomat/vip/entrar.php?Idk=" + m_key + "&Grp=Turma");
        return nick && !nick->body.empty();
    }

    // One poll as the studio's tick: messages, then participants; false when a reply failed.
    bool poll(Results& results, bool timed)
    {
        auto start = Clock::now();
        auto reply = m_client.Get("/ludomat/vip/pegamesgs.php?Idk=" + m_key +
                                  "&Ini=" + std::to_string(m_received.size()) + "&Grp=Turma");
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        auto parts = m_client.Get("/ludomat/vip/pegaparts.php?Idk=" + m_key + "&Grp=Turma");
        bool ok = reply && reply->status == 200 && parts && parts->status == 200 && reply->body.starts_with("Ok\r\n");
        if (ok) {
            std::vector<std::string> got = lines(reply->body);
            m_lastCount = 0;
            for (size_t i = 1; i + 1 < got.size(); i += 3) {
                m_received.push_back(got[i + 1]);
                ++m_lastCount;
            }
        }
        std::lock_guard guard(results.lock);
        if (timed) results.requests += 2;  // the catch-up afterwards is not part of the load
        if (!ok) ++results.failures;
        if (timed) results.pollMs.push_back(ms);
        return ok;
    }

    // A poll at `from` (not moving on); false when it failed.
    bool pollAt(long long from)
    {
        auto reply =
            m_client.Get("/ludomat/vip/pegamesgs.php?Idk=" + m_key + "&Ini=" + std::to_string(from) + "&Grp=Turma");
        return reply && reply->status == 200 && reply->body.starts_with("Ok\r\n") && reply->body.size() > 4;
    }

    void post(Results& results, std::vector<std::string>& sent)
    {
        std::string text = "m";
        text += std::to_string(m_id) + "-" + std::to_string(m_posted++);
        auto start = Clock::now();
        auto reply = m_client.Post("/ludomat/vip/mandamsg.php?Idk=" + m_key,
                                   httplib::MultipartFormDataItems{{"Txt", text, "", ""}});
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        bool ok = reply && reply->status == 200 && reply->body == "Ok";
        if (ok) sent.push_back(text);
        std::lock_guard guard(results.lock);
        ++results.requests;
        if (!ok) ++results.failures;
        results.postMs.push_back(ms);
    }

    int lastCount() const { return m_lastCount; }
    const std::vector<std::string>& received() const { return m_received; }

private:
    httplib::Client m_client;
    int m_id;
    std::string m_key;
    std::vector<std::string> m_received;
    int m_lastCount = 0;
    int m_posted = 0;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

struct Run {
    Results results;
    double seconds = 0;
    long lost = 0, duplicated = 0, sent = 0;
    long loadRequests = 0;  // made during the timed part
    bool joined = true;
    double joinSeconds = 0;
};

// `started` runs once every member has joined, as the timed part begins.
void simulate(int port, int members, int seconds, bool post, Run& run, const std::function<void()>& started = {})
{
    std::vector<std::unique_ptr<Member>> all;
    for (int i = 0; i < members; ++i) all.push_back(std::make_unique<Member>(port, i + (post ? 0 : 100000)));
    std::vector<std::vector<std::string>> sent(members);
    std::atomic<bool> joined{true};
    std::barrier ready(members);
    std::barrier finished(members);
    const auto postEvery = postInterval(members);
    const auto joinStart = Clock::now();
    double joinSeconds = 0;
    // Sign-up and log-in hash the password on purpose slowly: a few at a time, as a class would.
    std::counting_semaphore<4> joining(4);
    Clock::time_point start;
    std::vector<std::thread> threads;
    for (int i = 0; i < members; ++i) {
        threads.emplace_back([&, i] {
            joining.acquire();
            bool in = all[i]->join();
            joining.release();
            if (!in) joined = false;
            ready.arrive_and_wait();
            if (i == 0) {
                start = Clock::now();
                joinSeconds = std::chrono::duration<double>(start - joinStart).count();
                if (started) started();
            }
            if (!in) {
                finished.arrive_and_drop();
                return;
            }
            std::mt19937 random{unsigned(i)};
            auto begin = Clock::now();
            auto end = begin + std::chrono::seconds(seconds);
            // Members start at random phases, as a class logging in over a few seconds would.
            auto nextPoll = begin + std::chrono::milliseconds(random() % 2000);
            auto nextPost = begin + std::chrono::milliseconds(random() % postEvery.count());
            while (true) {
                auto next = post ? std::min(nextPoll, nextPost) : nextPoll;
                if (next >= end) break;
                std::this_thread::sleep_until(next);
                if (next == nextPoll) {
                    all[i]->poll(run.results, true);
                    nextPoll += kPollEvery;
                } else {
                    all[i]->post(run.results, sent[i]);
                    nextPost += postEvery;
                }
            }
            if (!post) return;
            // Everyone catches up once the last message is sent.
            finished.arrive_and_wait();
            for (int guard = 0; guard < 400; ++guard) {
                std::this_thread::sleep_for(std::chrono::milliseconds(150));  // under 20 requests a second
                if (all[i]->poll(run.results, false) && all[i]->lastCount() == 0) break;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    run.seconds = double(seconds);
    run.joinSeconds = joinSeconds;
    run.loadRequests = run.results.requests;
    run.joined = joined;
    if (!post) return;
    // Compare what each member got with all that was sent.
    std::map<std::string, int> expected;
    for (auto& list : sent)
        for (auto& text : list) ++expected[text], ++run.sent;
    for (auto& member : all) {
        std::map<std::string, int> got;
        for (auto& text : member->received()) ++got[text];
        for (auto& [text, count] : expected) {
            int n = got.count(text) ? got[text] : 0;
            if (n == 0) ++run.lost;
            if (n > 1) run.duplicated += n - 1;
        }
    }
}

void report(const char* name, const Run& run, int members)
{
    const auto& r = run.results;
    std::printf("%s: %d membros, %.1f s, %ld requisições (%.0f/s), %ld falhas, entrada %s em %.0f s\n", name, members,
                run.seconds, run.loadRequests, double(run.loadRequests) / run.seconds, r.failures,
                run.joined ? "ok" : "FALHOU", run.joinSeconds);
    std::printf("  leitura de mensagens: p50 %.2f ms  p90 %.2f ms  p99 %.2f ms  máx %.2f ms (%zu leituras)\n",
                percentile(r.pollMs, 0.5), percentile(r.pollMs, 0.9), percentile(r.pollMs, 0.99),
                percentile(r.pollMs, 1.0), r.pollMs.size());
    if (!r.postMs.empty())
        std::printf("  envio: p50 %.2f ms  p99 %.2f ms; %ld mensagens, %ld perdidas, %ld duplicadas\n",
                    percentile(r.postMs, 0.5), percentile(r.postMs, 0.99), run.sent, run.lost, run.duplicated);
}

}  // namespace

// Fills `group` of the server's database with `count` messages, as a long-lived chat would.
bool fillChat(const QString& database, int count)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(database.toUtf8().constData(), &db) != SQLITE_OK) return false;
    sqlite3_busy_timeout(db, 10000);
    std::string sql = "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(count) +
                      ") INSERT INTO messages (group_id, header, text) SELECT (SELECT id FROM groups WHERE name = "
                      "CAST('Turma' AS BLOB)), CAST('carga (12:00)' AS BLOB), CAST('m' || i AS BLOB) FROM n; COMMIT;";
    bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// One member polls 200 times at `from`; the poll times in ms.
std::vector<double> pollsAt(Member& member, int port, long long from)
{
    (void)port;
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        auto start = Clock::now();
        if (!member.pollAt(from)) return {};
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(60));  // under the rate limit
    }
    return ms;
}

int depthRun(int port, const QString& database, int messages)
{
    Member member(port, 0);
    if (!member.join() || !fillChat(database, messages)) {
        std::fprintf(stderr, "não foi possível preparar a conversa\n");
        return 1;
    }
    std::vector<double> shallow = pollsAt(member, port, 0);
    std::vector<double> deep = pollsAt(member, port, messages - 100);
    if (shallow.empty() || deep.empty()) {
        std::fprintf(stderr, "uma leitura falhou\n");
        return 1;
    }
    std::printf("leitura em Ini=0: p50 %.2f ms  p99 %.2f ms (200 leituras)\n", percentile(shallow, 0.5),
                percentile(shallow, 0.99));
    std::printf("leitura em Ini=%d: p50 %.2f ms  p99 %.2f ms (200 leituras)\n", messages - 100, percentile(deep, 0.5),
                percentile(deep, 0.99));
    const double ratio = percentile(deep, 0.5) / percentile(shallow, 0.5);
    std::printf("razão p50 fundo/início: %.2f\n%s\n", ratio, ratio < 2 ? "RESULTADO: ok" : "RESULTADO: FALHOU");
    return ratio < 2 ? 0 : 1;
}

// The CPU share of a core and the peak memory of each process of the set-up over `seconds`.
void reportUsage(const std::vector<ludomat::bench::Usage>& before, const std::vector<ludomat::bench::Usage>& after,
                 double seconds)
{
    for (size_t i = 0; i < after.size() && i < before.size(); ++i)
        std::printf("  %s: CPU %.0f%% de um núcleo, memória máx %.1f MiB\n", after[i].name.c_str(),
                    100 * (after[i].cpuSeconds - before[i].cpuSeconds) / seconds, double(after[i].peakKiB) / 1024);
}

// One load run against a fresh set-up; `p99` gets the poll's p99. False when it did not start.
bool loadSetup(const QString& program, const std::string& name, int members, int seconds, Run& load, bool verbose)
{
    auto setup = ludomat::bench::startSetup(name, program);
    if (!setup || setup->port() <= 0) {
        std::fprintf(stderr, "a configuração %s não iniciou\n", name.c_str());
        return false;
    }
    std::vector<ludomat::bench::Usage> before;
    simulate(setup->port(), members, seconds, true, load, [&] { before = setup->usage(); });
    std::vector<ludomat::bench::Usage> after = setup->usage();
    if (verbose) {
        report(setup->name().c_str(), load, members);
        reportUsage(before, after, double(seconds));
    }
    return true;
}

bool held(const Run& run, double limitMs)
{
    return run.joined && run.lost == 0 && run.duplicated == 0 && run.results.failures == 0 &&
           percentile(run.results.pollMs, 0.99) < limitMs;
}

int setupRun(const QString& program, const std::string& name, int members, int seconds)
{
    Run load;
    if (!loadSetup(program, name, members, seconds, load, true)) return 1;
    bool ok = held(load, 50);
    std::printf("%s\n", ok ? "RESULTADO: ok" : "RESULTADO: FALHOU");
    return ok ? 0 : 1;
}

// More members each step until the poll's p99 reaches 100 ms (or something fails).
int stepRun(const QString& program, const std::string& name, int from, int step, int upTo, int seconds)
{
    int best = 0;
    for (int members = from; members <= upTo; members += step) {
        Run load;
        if (!loadSetup(program, name, members, seconds, load, false)) return 1;
        std::printf("%s, %d membros: %.0f req/s, p50 %.2f ms, p99 %.2f ms, %ld falhas, %ld perdidas, %ld duplicadas\n",
                    name.c_str(), members, double(load.loadRequests) / load.seconds,
                    percentile(load.results.pollMs, 0.5), percentile(load.results.pollMs, 0.99), load.results.failures,
                    load.lost, load.duplicated);
        if (!held(load, 100)) {
            std::printf("primeiro passo que falha: %d membros; o maior que aguenta: %d\n", members, best);
            return 0;
        }
        best = members;
    }
    std::printf("aguentou até %d membros (o último passo)\n", best);
    return 0;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) {
        std::fprintf(stderr, "uso: member_load SERVIDOR [MEMBROS=200] [SEGUNDOS=60]\n");
        return 2;
    }
    const bool depth = argc > 2 && std::string(argv[2]) == "--depth";
    int members = argc > 2 && !depth ? std::atoi(argv[2]) : 200;
    int seconds = argc > 3 && !depth ? std::atoi(argv[3]) : 60;
    int slow = argc > 4 && !depth ? std::atoi(argv[4]) : 0;
    if (argc > 3 && std::string(argv[2]) == "--setup")
        return setupRun(argv[1], argv[3], argc > 4 ? std::atoi(argv[4]) : 1000, argc > 5 ? std::atoi(argv[5]) : 60);
    if (argc > 3 && std::string(argv[2]) == "--step") {
        auto arg = [&](int i, int fallback) { return argc > i ? std::atoi(argv[i]) : fallback; };
        return stepRun(argv[1], argv[3], arg(4, 500), arg(5, 500), arg(6, 5000), arg(7, 20));
    }
    QTemporaryDir data;
    QProcess server;
    // Its log of every request is not wanted here; an unread pipe would stall it.
    server.setStandardErrorFile(QProcess::nullDevice());
    // Every simulated member comes from 127.0.0.1.
    int port = ludomat::bench::startServer(
        server, argv[1],
        {"--port", "0", "--database", data.filePath("carga.db"), "--max-connections-per-address", "5000"});
    if (port <= 0) {
        std::fprintf(stderr, "o servidor não iniciou\n");
        return 1;
    }
    if (depth) {
        int result = depthRun(port, data.filePath("carga.db"), argc > 3 ? std::atoi(argv[3]) : 1'000'000);
        server.terminate();
        server.waitForFinished(5000);
        return result;
    }
    Run idle;
    simulate(port, 1, std::min(seconds, 20), false, idle);
    report("base (1 membro, só leituras)", idle, 1);
    Run load;
    std::atomic<bool> stopSlow{false};
    long reopened = 0;
    {
        ludomat::bench::SlowClients trickle(port, slow, stopSlow);
        simulate(port, members, seconds, true, load);
        stopSlow = true;
        // Counted before the catch-up; fine for a figure.
        reopened = trickle.reopened();
    }
    report("carga", load, members);
    if (slow > 0)
        std::printf("  %d conexões lentas ao lado; reabertas %ld vezes (fechadas pelo servidor)\n", slow, reopened);
    const double idleP99 = percentile(idle.results.pollMs, 0.99);
    const double loadP99 = percentile(load.results.pollMs, 0.99);
    std::printf("razão p99 carga/base: %.1f\n", idleP99 > 0 ? loadP99 / idleP99 : 0.0);
    server.terminate();
    server.waitForFinished(5000);
    const double limit = slow > 0 ? 100 : 50;
    bool ok = load.joined && load.lost == 0 && load.duplicated == 0 && load.results.failures == 0 && loadP99 < limit;
    std::printf("%s\n", ok ? "RESULTADO: ok" : "RESULTADO: FALHOU");
    return ok ? 0 : 1;
}
