// fetchPage over TLS against a loopback server with a throw-away certificate: verified
// against the CA file of the limits, refused without it, and one connection for calls that
// share a handle pool.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "net/fetch_page.h"
#include "net/handle_pool.h"
#include "support/app_fixture.h"
#include "support/test_certificate.h"

namespace pel {
namespace {

// The server's task queue gets one task per accepted connection.
class CountingQueue : public httplib::TaskQueue {
  public:
    explicit CountingQueue(std::atomic<int>& accepted) : accepted_(accepted) {}
    void enqueue(std::function<void()> fn) override {
        ++accepted_;
        pool_.enqueue(std::move(fn));
    }
    void shutdown() override { pool_.shutdown(); }

  private:
    std::atomic<int>& accepted_;
    httplib::ThreadPool pool_{4};
};

TEST(Tls, PageComesOverAVerifiedConnectionAndTheConnectionIsReused) {
    testing::TestCertificate pem;
    ASSERT_TRUE(testing::makeTestCertificate(testing::makeTempDirectory("pelnoria-tls"), pem));
    httplib::SSLServer server(pem.certificate.c_str(), pem.key.c_str());
    ASSERT_TRUE(server.is_valid());
    std::atomic<int> connections{0};
    server.new_task_queue = [&] { return new CountingQueue(connections); };
    server.Get("/p", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("secure page", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/p";

    // Verification stays on: a certificate no CA file vouches for is refused.
    FetchOptions untrusted;
    EXPECT_EQ(fetchPage(url, untrusted), "");

    {
        HandlePool pool(2);
        for (int i = 0; i < 3; ++i) {
            FetchOptions options;
            options.limits.caFile = pem.certificate.string();
            options.handlePool = &pool;
            EXPECT_EQ(fetchPage(url, options), "secure page");
        }
    }  // the pool closes its connection: the server's stop need not wait for it
    EXPECT_EQ(connections.load(), 2);
    server.stop();
    thread.join();
    std::filesystem::remove_all(pem.certificate.parent_path());
}

}  // namespace
}  // namespace pel
