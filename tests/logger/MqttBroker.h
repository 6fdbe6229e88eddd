#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

// A real broker for one test: its own config in a temporary directory, listening on a free
// port of the loopback address only. With a user it refuses anonymous clients.
class TtestBroker {
public:
    explicit TtestBroker(const std::string& user = "", const std::string& password = "") {
        char pattern[] = "/tmp/corv-mqtt-XXXXXX";
        dir = mkdtemp(pattern);
        brokerPort = freePort();
        writeConfig(user, password);
    }

    // Adds a TLS listener on a second free port with a certificate for 127.0.0.1, signed by a
    // CA made for this broker (its certificate in caFile()). False when the files could not be
    // made.
    bool addTls() {
        tlsListenerPort = freePort();
        std::ofstream(dir + "/san.cnf") << "subjectAltName=IP:127.0.0.1\n";
        std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        std::string in = " 2>/dev/null && cd " + dir + " && openssl ";
        std::string cmd = "cd " + dir + " && openssl req -x509 -days 1 -subj /CN=test-ca" + key +
                          " -keyout ca.key -out ca.crt" + in + "req -subj /CN=127.0.0.1" + key +
                          " -keyout server.key -out server.csr" + in +
                          "x509 -req -days 1 -in server.csr -CA ca.crt -CAkey ca.key "
                          "-CAcreateserial -extfile san.cnf -out server.crt 2>/dev/null";
        if (std::system(cmd.c_str()) != 0) return false;
        std::ofstream(dir + "/broker.conf", std::ios::app)
            << "listener " << tlsListenerPort << " 127.0.0.1\n"
            << "cafile " << dir << "/ca.crt\ncertfile " << dir << "/server.crt\nkeyfile " << dir
            << "/server.key\n";
        return true;
    }
    int tlsPort() const { return tlsListenerPort; }
    std::string caFile() const { return dir + "/ca.crt"; }
    ~TtestBroker() {
        kill(SIGKILL);
        std::filesystem::remove_all(dir);
    }

    int port() const { return brokerPort; }
    const std::string& directory() const { return dir; }

    // Starts the broker and waits until it takes connections (at most 5 s).
    bool start() {
        std::string program = brokerProgram();
        if (program.empty()) {
            std::fprintf(stderr, "the MQTT broker 'mosquitto' is not installed: not in PATH nor "
                                 "in /usr/sbin (sudo apt-get install mosquitto)\n");
            return false;
        }
        pid = fork();
        if (pid == 0) {
            std::string out = dir + "/broker.out";
            if (!freopen(out.c_str(), "a", stdout) || !freopen(out.c_str(), "a", stderr))
                _exit(126);
            execl(program.c_str(), "mosquitto", "-c", (dir + "/broker.conf").c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            if (accepts()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    void kill(int signal) {
        if (pid <= 0) return;
        ::kill(pid, signal);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    // The broker's program: Debian installs it in /usr/sbin, which a user's PATH may lack.
    // Empty when it is nowhere.
    static std::string brokerProgram(const std::string& path = pathOrDefault()) {
        std::string dirs = path + ":/usr/sbin:/usr/local/sbin";
        for (std::size_t begin = 0; begin <= dirs.size();) {
            std::size_t end = std::min(dirs.find(':', begin), dirs.size());
            std::string candidate = dirs.substr(begin, end - begin) + "/mosquitto";
            if (end > begin && access(candidate.c_str(), X_OK) == 0) return candidate;
            begin = end + 1;
        }
        return "";
    }

private:
    static std::string pathOrDefault() {
        const char* path = std::getenv("PATH");
        return path ? path : "/usr/bin:/bin";
    }

    static int freePort() {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        close(s);
        return ntohs(a.sin_port);
    }

    bool accepts() const {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(brokerPort));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(s);
        return ok;
    }

    void writeConfig(const std::string& user, const std::string& password) {
        std::ofstream conf(dir + "/broker.conf");
        conf << "listener " << brokerPort << " 127.0.0.1\n"
             << "persistence false\n"
             << "log_dest file " << dir << "/broker.log\n";
        // As root the broker would switch to its own user, which cannot read this directory.
        if (geteuid() == 0) conf << "user root\n";
        if (user.empty()) {
            conf << "allow_anonymous true\n";
            return;
        }
        std::string file = dir + "/passwords";
        std::string cmd = "mosquitto_passwd -c -b " + file + " " + user + " " + password;
        if (std::system(cmd.c_str()) == 0)
            std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_write);
        conf << "allow_anonymous false\npassword_file " << file << "\n";
    }

    std::string dir;
    int brokerPort = 0;
    int tlsListenerPort = 0;
    pid_t pid = -1;
};
