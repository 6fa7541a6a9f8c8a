// The server's HTTP core on its own, in this process, with handlers made to misbehave: what a
// handler throws stays in the log, pipelined requests are answered in order, and a client that
// does not keep the connection gets it closed.

#include "server/http_server.h"
#include "test_servers.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

using namespace ludomat::server;
using ludomat::test::RawConnection;

namespace {

class HttpCore : public testing::Test {
protected:
    void SetUp() override
    {
        HttpLimits limits;
        limits.ioThreads = 1;
        limits.handlerThreads = 2;
        m_server = std::make_unique<HttpServer>(
            limits,
            [](Request& request, Response& response) {
                if (request.path == "/falha") throw std::runtime_error("segredo interno do banco");
                response.body = request.path + "?" + request.param("a");
                response.contentType = "text/plain";
            },
            [](const Request&, const Response&) {});
        m_port = m_server->listen("127.0.0.1", 0);
        m_thread = std::thread([this] { m_server->run(); });
    }
    void TearDown() override
    {
        m_server->stop();
        m_thread.join();
    }

    std::unique_ptr<HttpServer> m_server;
    std::thread m_thread;
    int m_port = 0;
};

TEST_F(HttpCore, answersWhatHandlersDoAndHidesWhatTheyThrow)
{
    struct Row {
        std::string request;
        int status;
        std::string body;
        bool closed;
    };
    const Row rows[] = {
        {"GET /eco?a=1%202 HTTP/1.1\r\nHost: x\r\n\r\n", 200, "/eco?1 2", false},
        {"GET /falha HTTP/1.1\r\nHost: x\r\n\r\n", 500, "Erro interno do servidor.", false},
        {"GET /eco?a=%zz HTTP/1.1\r\nHost: x\r\n\r\n", 400, "Requisi\xE7\xE3o malformada.", false},
        {"GET /eco HTTP/1.0\r\n\r\n", 200, "/eco?", true},
        {"BOBAGEM\r\n\r\n", 400, "Requisi\xE7\xE3o malformada.", true},
    };
    for (const Row& row : rows) {
        RawConnection connection(m_port);
        ASSERT_TRUE(connection.send(row.request));
        RawConnection::Reply reply = connection.read();
        EXPECT_EQ(reply.status, row.status) << row.request;
        EXPECT_EQ(reply.body, row.body) << row.request;
        EXPECT_EQ(reply.head.find("segredo"), std::string::npos) << reply.head;
        EXPECT_EQ(connection.closedWithin(row.closed ? 3000 : 300), row.closed) << row.request;
    }
}

TEST_F(HttpCore, answersHeadLikeGetWithoutTheBody)
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_keep_alive(true);
    auto head = client.Head("/eco?a=123");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->get_header_value("Content-Length"), "8");  // "/eco?123", not sent
    EXPECT_EQ(head->body, "");
    // A body sent after all would be read as the start of the next reply on this connection.
    auto get = client.Get("/eco?a=4");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->body, "/eco?4");
}

TEST_F(HttpCore, answersPipelinedRequestsInOrder)
{
    RawConnection connection(m_port);
    std::string requests;
    for (int i = 0; i < 20; ++i) requests += "GET /p?a=" + std::to_string(i) + " HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_TRUE(connection.send(requests));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(connection.read().body, "/p?" + std::to_string(i));
}

}  // namespace
