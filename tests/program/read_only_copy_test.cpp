// The real program, started as an unprivileged user from a copy in a folder it cannot write,
// with a site file in the user's configuration folder naming loopback demo sites: a search
// and a download end with the book in the user's download folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "build_config.h"
#include "demo/demo_catalogue.h"
#include "demo/demo_sites.h"
#include "text/encoding.h"

namespace pel {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A loopback port that refuses connections: bound, then closed again.
int closedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0)
        ::close(fd);
    return port;
}

// The site file for the demo sites. Site 1 (whose download opens a browser) points at a
// closed port, so that every thumbnail is a chapter site.
std::string siteFile(const demo::DemoSites& sites) {
    std::string text = "[sites]\n";
    text += "site1 = http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + "\n";
    for (int site = 2; site <= 6; ++site)
        text += "site" + std::to_string(site) + " = " + sites.baseUrl(site) + "\n";
    for (int site = 2; site <= 4; ++site) {
        text += "site" + std::to_string(site) + "_domain = " + sites.domainMarker(site) + "\n";
    }
    text += "update = " + sites.updateUrl() + "\n";
    // The demo pages carry the credit lines of the build's own values.
    text += "[marks]\n";
    text += std::string("xsw_host = ") + build::kMarkXswHost + "\n";
    text += std::string("meike_name = ") + build::kMarkMeikeName + "\n";
    text += std::string("meike_host = ") + build::kMarkMeikeHost + "\n";
    text += std::string("site3_domain = ") + build::kMarkSite3Domain + "\n";
    text += std::string("site4_host = ") + build::kMarkSite4Host + "\n";
    text += std::string("site4_mobile_host = ") + build::kMarkSite4MobileHost + "\n";
    return text;
}

struct User {
    bool drop = false;  // switch to uid/gid in the child
    uid_t uid = 0;
    gid_t gid = 0;
};

void makeOwned(const fs::path& dir, const User& user) {
    fs::create_directories(dir);
    if (user.drop && ::chown(dir.c_str(), user.uid, user.gid) != 0)
        ADD_FAILURE() << "cannot hand " << dir << " to the test user";
}

// Runs the program with `arguments` and exactly `environment`, as `user`, until it exits or
// `timeout` passes (then it is killed). Returns its wait status; stdout and stderr go to `log`.
int runProgram(const fs::path& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment, const User& user, const fs::path& log,
               std::chrono::seconds timeout) {
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const std::string path = program.string();
    std::vector<char*> argv = {const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0)
        return -1;

    const pid_t child = ::fork();
    if (child == 0) {
        // Only calls that are safe after fork() in a process with threads.
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        if (user.drop &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0)) {
            ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    if (child < 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ADD_FAILURE() << "the program did not exit within " << timeout.count() << " s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return status;
}

TEST(ReadOnlyCopy, SearchesAndSavesTheBookInTheUsersDownloadFolder) {
    User user;
    if (::geteuid() == 0) {
        // Root writes into a read-only folder all the same: the run would prove nothing.
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            GTEST_SKIP() << "running as root and there is no unprivileged user 'nobody' to run "
                            "the program as";
        }
        user = {true, nobody->pw_uid, nobody->pw_gid};
    }

    demo::DemoSites sites;
    ASSERT_TRUE(sites.start());

    std::random_device random;
    const fs::path root =
        fs::temp_directory_path() / ("pelnoria-read-only-" + std::to_string(random()));
    fs::create_directories(root);
    fs::permissions(root, fs::perms(0755));
    const fs::path appDir = root / "app";
    fs::create_directories(appDir);
    const fs::path program = appDir / "pelnoria";
    fs::copy_file(PELNORIA_PROGRAM, program);
    fs::permissions(program, fs::perms(0755));
    fs::permissions(appDir, fs::perms(0555));

    const fs::path home = root / "home";
    const fs::path runtime = root / "runtime";
    for (const fs::path& dir : {home, home / ".config", home / ".config" / "Pelnoria", runtime})
        makeOwned(dir, user);
    fs::permissions(runtime, fs::perms(0700));
    const fs::path ini = home / ".config" / "Pelnoria" / "pelnoria.ini";
    { std::ofstream(ini) << siteFile(sites); }

    const demo::DemoBook& book = demo::bookByRole("everywhere");
    const std::vector<std::string> environment = {
        "HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + (home / ".config").string(),
        "XDG_CACHE_HOME=" + (home / ".cache").string(),
        "XDG_DATA_HOME=" + (home / ".local" / "share").string(),
        "XDG_RUNTIME_DIR=" + runtime.string(),
        "PATH=/usr/bin:/bin",
        "LANG=C.UTF-8",
        "QT_QPA_PLATFORM=offscreen",
        "QTWEBENGINE_DISABLE_SANDBOX=1",
        "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox",
        // Type the title and search, click the first thumbnail once it is shown, press
        // download, and close once the picture is taken: time enough for a first start of
        // the HTML view in a fresh home and a 12-chapter download.
        "PELNORIA_SCREENSHOT=" + (home / "window.png").string(),
        "PELNORIA_SCREENSHOT_SEARCH=" + gbkToUtf8(book.name),
        "PELNORIA_SCREENSHOT_CLICK=1",
        "PELNORIA_SCREENSHOT_CLICK_MS=3000",
        "PELNORIA_SCREENSHOT_DOWNLOAD=1",
        "PELNORIA_SCREENSHOT_MS=25000",
    };
    const fs::path log = root / "program.log";
    const int status = runProgram(program, {}, environment, user, log, std::chrono::seconds(120));
    const std::string output = readFile(log);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << output;
    EXPECT_EQ(output.find("is not used"), std::string::npos) << output;
    const fs::path saved = home / "Downloads" / "Pelnoria" /
                           (gbkToUtf8(book.name) + "-" + gbkToUtf8(book.author) + ".txt");
    ASSERT_TRUE(fs::exists(saved)) << output;
    EXPECT_EQ(readFile(saved), demo::expectedBookFile(book));
    // The result page went to the cache folder (and is deleted once shown); nothing is in
    // the program's folder but the program.
    EXPECT_TRUE(fs::is_directory(home / ".cache" / "Pelnoria"));
    std::vector<fs::path> besideProgram;
    for (const auto& entry : fs::directory_iterator(appDir))
        besideProgram.push_back(entry.path());
    EXPECT_EQ(besideProgram, std::vector<fs::path>{program});

    // The chapters were kept in the user's cache folder; --clear-cache empties it with no
    // display at all.
    const fs::path chapters = home / ".cache" / "Pelnoria" / "chapters";
    auto booksKept = [&chapters] {
        std::error_code error;
        return std::distance(fs::directory_iterator(chapters, error), fs::directory_iterator());
    };
    EXPECT_EQ(booksKept(), 1);
    std::vector<std::string> headless;
    for (const std::string& entry : environment) {
        if (!entry.starts_with("QT_QPA_PLATFORM=") && !entry.starts_with("PELNORIA_SCREENSHOT"))
            headless.push_back(entry);
    }
    const int cleared =
        runProgram(program, {"--clear-cache"}, headless, user, log, std::chrono::seconds(30));
    EXPECT_TRUE(WIFEXITED(cleared) && WEXITSTATUS(cleared) == 0) << cleared << readFile(log);
    EXPECT_NE(readFile(log).find("is empty"), std::string::npos) << readFile(log);
    EXPECT_EQ(booksKept(), 0);

    fs::permissions(appDir, fs::perms(0755));
    fs::remove_all(root);
}

}  // namespace
}  // namespace pel
