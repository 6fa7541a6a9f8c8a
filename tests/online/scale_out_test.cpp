// Several ludomat-server processes on one database, as a school runs them: members post from
// several threads while a fault happens (a server killed behind the balancer, PostgreSQL
// restarted), and afterwards every acknowledged message is in the chat exactly once.

#include "postgres_cluster.h"
#include "test_servers.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

using ludomat::test::freePort;
using ludomat::test::PostgresCluster;
using ludomat::test::ServerProcess;

namespace {

const char kVip[] = "/ludomat/vip/";
constexpr int kWriters = 4;
constexpr int kPostsPerWriter = 40;

// A member talking to the member routes through one or more addresses, in turn.
class Member {
public:
    Member(std::vector<int> ports, std::string email) : m_email(std::move(email))
    {
        for (int port : ports) {
            m_clients.push_back(std::make_unique<httplib::Client>("127.0.0.1", port));
            m_clients.back()->set_read_timeout(10, 0);
        }
    }

    bool join()
    {
        httplib::Params account{{"Email", m_email}, {"Senha", "senha-de-teste"}};
        get("cadastro.php", account);
        auto login = get("login.php", account);
        if (!login || login->body.find('|') == std::string::npos) return false;
        m_key = login->body.substr(login->body.find('|') + 1);
        auto entered = get("entrar.php", {{"Idk", m_key}, {"Grp", "Turma"}});
        return entered && entered->status == 200 && !entered->body.empty();
    }

    // The reply's status, with 0 for no reply at all; 200 only for an accepted message.
    int post(const std::string& text)
    {
        httplib::Client& client = next();
        auto reply = client.Post(std::string(kVip) + "mandamsg.php?Idk=" + m_key,
                                 httplib::MultipartFormDataItems{{"Txt", text, "", ""}});
        if (!reply) return 0;
        return reply->status == 200 && reply->body != "Ok" ? 400 : reply->status;
    }

    // The status of one poll from message `from` and one participants list.
    int poll(int from)
    {
        auto messages = get("pegamesgs.php", {{"Idk", m_key}, {"Ini", std::to_string(from)}, {"Grp", "Turma"}});
        auto participants = get("pegaparts.php", {{"Idk", m_key}, {"Grp", "Turma"}});
        if (!messages || !participants) return 0;
        return std::max(messages->status, participants->status);
    }

    // Every text of the chat since this member entered, paging as the studio does.
    std::vector<std::string> texts()
    {
        std::vector<std::string> texts;
        for (int page = 0; page < 1000; ++page) {
            auto reply =
                get("pegamesgs.php", {{"Idk", m_key}, {"Ini", std::to_string(texts.size())}, {"Grp", "Turma"}});
            if (!reply || reply->status != 200) break;
            // "Ok", then a header line, a text line and an empty line per message.
            size_t before = texts.size();
            std::vector<std::string> lines;
            for (size_t at = 0, end; (end = reply->body.find("\r\n", at)) != std::string::npos; at = end + 2)
                lines.push_back(reply->body.substr(at, end - at));
            for (size_t i = 2; i < lines.size(); i += 3) texts.push_back(lines[i]);
            if (texts.size() == before) break;
        }
        return texts;
    }

    const std::string& key() const { return m_key; }

    httplib::Result get(const std::string& page, const httplib::Params& params)
    {
        return next().Get(std::string(kVip) + page, params, httplib::Headers{});
    }

private:
    httplib::Client& next() { return *m_clients[m_turn++ % m_clients.size()]; }

    std::string m_email, m_key;
    std::vector<std::unique_ptr<httplib::Client>> m_clients;
    size_t m_turn = 0;
};

struct ChatRun {
    std::vector<std::string> acknowledged;
    std::map<int, int> statuses;  // every reply's status, with how often
};

// kWriters members post kPostsPerWriter messages each through `ports`, `pauseMs` apart, and
// poll after each when `poll`; `fault` runs once half of the posts were made. A refused post is not repeated, so a
// message is acknowledged once or not at all.
ChatRun chat(const std::vector<int>& ports, const std::function<void()>& fault, int pauseMs = 60, bool poll = false)
{
    ChatRun run;
    std::mutex lock;
    std::atomic<int> done{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            Member member(ports, "escritor" + std::to_string(w) + "@escola.br");
            bool joined = false;
            for (int attempt = 0; attempt < 50 && !joined; ++attempt) joined = member.join();
            for (int n = 0; n < kPostsPerWriter; ++n) {
                const std::string text = "w" + std::to_string(w) + "-" + std::to_string(n);
                int status = joined ? member.post(text) : -1;
                // Polls as the studio does between posts; their writes (last seen, cursors) meet
                // the other process's too.
                int polled = joined && poll ? member.poll(n) : 200;
                std::lock_guard guard(lock);
                ++run.statuses[status];
                if (poll) ++run.statuses[polled];
                if (status == 200) run.acknowledged.push_back(text);
                ++done;
                // Under the balancer's 20 requests a second per key; a refused one waits longer.
                std::this_thread::sleep_for(std::chrono::milliseconds(status == 200 ? pauseMs : 100));
            }
        });
    for (int waited = 0; done < kWriters * kPostsPerWriter / 2 && waited < 600; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    fault();
    for (std::thread& writer : writers) writer.join();
    return run;
}

std::string describe(const ChatRun& run)
{
    std::string text = "respostas:";
    for (const auto& [status, count] : run.statuses) text += " " + std::to_string(status) + "x" + std::to_string(count);
    return text;
}

// Every acknowledged message is read back exactly once, and no message is there twice.
void expectEachOnce(const ChatRun& run, const std::vector<std::string>& read)
{
    std::map<std::string, int> seen;
    for (const std::string& text : read) ++seen[text];
    for (const auto& [text, count] : seen) EXPECT_EQ(count, 1) << text << " aparece " << count << " vezes";
    for (const std::string& text : run.acknowledged) EXPECT_EQ(seen.count(text), 1u) << text << " se perdeu";
}

// The reader enters before anyone posts, so it receives the whole chat.
std::unique_ptr<Member> reader(const std::vector<int>& ports)
{
    auto member = std::make_unique<Member>(ports, "leitor@escola.br");
    EXPECT_TRUE(member->join());
    return member;
}

const QStringList kBehindBalancer{"--no-rate-limit", "--min-password-length", "1"};

// HAProxy with the shipped configuration, its addresses moved to free ports.
class Balancer {
public:
    Balancer(int front, const std::vector<int>& servers)
    {
        QFile shipped(LUDOMAT_SOURCE_DIR "/packaging/haproxy/ludomat.cfg");
        shipped.open(QIODevice::ReadOnly);
        QString config = QString::fromUtf8(shipped.readAll());
        config.replace("127.0.0.1:8087", QString("127.0.0.1:%1").arg(front));
        for (size_t i = 0; i < servers.size(); ++i)
            config.replace(QString("127.0.0.1:%1").arg(8091 + i), QString("127.0.0.1:%1").arg(servers[i]));
        QFile file(m_folder.filePath("ludomat.cfg"));
        file.open(QIODevice::WriteOnly);
        file.write(config.toUtf8());
        file.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start("/usr/sbin/haproxy", {"-db", "-f", file.fileName()});
        m_process.waitForStarted(5000);
        // Ready once the front answers a health check routed to a server.
        httplib::Client client("127.0.0.1", front);
        client.set_read_timeout(2, 0);
        for (int i = 0; i < 100 && !m_ready && m_process.state() == QProcess::Running; ++i) {
            auto reply = client.Get("/healthz");
            m_ready = reply && reply->status == 200;
            if (!m_ready) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    bool ready() const { return m_ready; }
    QString output()
    {
        m_process.waitForReadyRead(100);
        return QString::fromUtf8(m_process.readAll());
    }
    ~Balancer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
    }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    bool m_ready = false;
};

int posts(ServerProcess& server)
{
    return int(server.log().filter("mandamsg.php").size());
}

TEST(ScaleOut, twoProcessesShareOneSqliteFileWithoutErrors)
{
    QTemporaryDir data;
    const QStringList arguments = kBehindBalancer + QStringList{"--database", data.filePath("membros.db")};
    ServerProcess first({}, arguments), second({}, arguments);
    ASSERT_TRUE(first.isRunning() && second.isRunning());
    const std::vector<int> ports{first.port(), second.port()};
    auto member = reader(ports);
    ChatRun run = chat(
        ports, [] {}, 0, true);
    // A write that waited for the other process's lock still succeeds: no 5xx at all.
    EXPECT_EQ(run.statuses, (std::map<int, int>{{200, 2 * kWriters * kPostsPerWriter}})) << describe(run);
    expectEachOnce(run, member->texts());
    EXPECT_GT(posts(first), 0);
    EXPECT_GT(posts(second), 0);
}

TEST(ScaleOut, aKilledServerBehindTheBalancerLosesNothing)
{
    const QString database = QString::fromStdString(PostgresCluster::shared().freshDatabase());
    const QStringList arguments = kBehindBalancer + QStringList{"--database", database};
    ServerProcess first({}, arguments), second({}, arguments);
    ASSERT_TRUE(first.isRunning() && second.isRunning());
    const int front = freePort();
    Balancer balancer(front, {first.port(), second.port()});
    ASSERT_TRUE(balancer.ready()) << balancer.output().toStdString();
    auto member = reader({front});
    int postsBeforeKill = 0;
    ChatRun run = chat({front}, [&] {
        postsBeforeKill = posts(first);
        first.kill();
    });
    EXPECT_GT(postsBeforeKill, 0);
    EXPECT_GT(posts(second), 0);
    // Only a post under way at the kill may go unanswered; the rest move to the other server.
    EXPECT_GE(run.acknowledged.size(), size_t(kWriters * kPostsPerWriter - kWriters)) << describe(run);
    expectEachOnce(run, member->texts());

    // The balancer limits a key however many servers there are: a burst gets 429s.
    auto start = std::chrono::steady_clock::now();
    std::map<int, int> burst;
    for (int i = 0; i < 30; ++i) {
        auto reply = member->get("pegaparts.php", {{"Idk", "chave-qualquer"}, {"Grp", "Turma"}});
        ++burst[reply ? reply->status : 0];
    }
    if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(900)) {
        EXPECT_GE(burst[429], 9);
    }
}

int polls(ServerProcess& server)
{
    return int(server.log().filter("pegamesgs.php").size());
}

// Polls through the balancer until `settled` holds after a round of five, for at most 20 s
// (the balancer checks each server every second and acts on the second check alike). Rounds
// stay under the balancer's 20 requests a second per key.
bool pollUntil(Member& member, const std::function<bool(int before)>& settled, ServerProcess& watched)
{
    for (int round = 0; round < 20; ++round) {
        const int before = polls(watched);
        for (int i = 0; i < 5; ++i) {
            auto reply = member.get("pegamesgs.php", {{"Idk", member.key()}, {"Ini", "0"}, {"Grp", "Turma"}});
            EXPECT_EQ(reply ? reply->status : 0, 200);
        }
        if (settled(before)) return true;
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return false;
}

TEST(ScaleOut, aDrainedServerLeavesTheRotationAndComesBack)
{
    QTemporaryDir data;
    const QString drain = data.filePath("drenar");
    const QStringList shared = kBehindBalancer + QStringList{"--database", data.filePath("membros.db")};
    ServerProcess first({}, shared + QStringList{"--drain-file", drain}), second({}, shared);
    ASSERT_TRUE(first.isRunning() && second.isRunning());
    const int front = freePort();
    Balancer balancer(front, {first.port(), second.port()});
    ASSERT_TRUE(balancer.ready()) << balancer.output().toStdString();
    auto member = reader({front});

    QFile(drain).open(QIODevice::WriteOnly);
    httplib::Client direct("127.0.0.1", first.port());
    auto health = direct.Get("/healthz");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 503);
    // Out of rotation: a whole round reaches the other server only; the drained one still
    // answers whoever asks it directly.
    EXPECT_TRUE(pollUntil(
        *member, [&](int before) { return polls(first) == before; }, first));
    auto direct_poll = direct.Get("/ludomat/vip/pegaparts.php?Idk=" + member->key() + "&Grp=Turma");
    ASSERT_TRUE(direct_poll);
    EXPECT_EQ(direct_poll->status, 200);

    QFile::remove(drain);
    EXPECT_TRUE(pollUntil(
        *member, [&](int before) { return polls(first) > before; }, first));
}

TEST(ScaleOut, aRestartedDatabaseAnswers503ThenRecovers)
{
    PostgresCluster cluster;
    ServerProcess server({},
                         kBehindBalancer + QStringList{"--database", QString::fromStdString(cluster.freshDatabase())});
    ASSERT_TRUE(server.isRunning());
    auto member = reader({server.port()});
    httplib::Client client("127.0.0.1", server.port());
    int outagePost = 0, outageHealth = 0;
    std::string outageText;
    ChatRun run = chat({server.port()}, [&] {
        cluster.stop();
        auto health = client.Get("/healthz");
        outageHealth = health ? health->status : 0;
        outagePost = member->post("durante a queda");
        auto poll = member->get("pegamesgs.php", {{"Idk", "x"}, {"Ini", "0"}, {"Grp", "Turma"}});
        outageText = poll ? poll->body : "";
        cluster.start();
    });
    EXPECT_EQ(outageHealth, 503);
    EXPECT_EQ(outagePost, 503);
    EXPECT_EQ(outageText, "Banco de dados indispon\xEDvel; tente de novo em instantes.");
    // Back without a restart of the server: its health and posting return.
    auto health = client.Get("/healthz");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
    EXPECT_EQ(member->post("depois da queda"), 200);
    run.acknowledged.push_back("depois da queda");
    expectEachOnce(run, member->texts());
}

}  // namespace
