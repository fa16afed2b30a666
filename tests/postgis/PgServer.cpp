#include "PgServer.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr const char* kBin = "/usr/lib/postgresql/15/bin/";

} // namespace

bool PgServer::Installed() {
    return std::filesystem::exists(std::string(kBin) + "initdb") &&
           std::filesystem::exists("/usr/share/postgresql/15/extension/postgis.control");
}

PgServer::PgServer() {
    std::string pattern = ::testing::TempDir() + "ostvik-pg-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_error = "no temporary folder";
        return;
    }
    m_folder = pattern;
    if (::geteuid() == 0) {
        // The server's user must reach its folder and the socket in it, and root reaches any.
        m_asServer = "runuser -u nobody -- ";
        if (Shell("chown nobody " + Quoted(m_folder) + " && chmod 755 " + Quoted(m_folder))
                .status != 0) {
            m_error = "cannot give the folder to nobody";
            return;
        }
    }
    const std::string data = m_folder + "/data";
    // From the folder itself: the server's user may not read the test's working folder.
    const ToolRun init =
        Shell("cd " + Quoted(m_folder) + " && " + m_asServer + kBin + "initdb -D " + Quoted(data) +
              " -U ostvik -A trust -E UTF8 --locale=C -N >/dev/null");
    if (init.status != 0) {
        m_error = "initdb: " + init.err;
        return;
    }
    // The password rule comes first: pg_hba.conf takes the first line that matches.
    std::ofstream(data + "/pg_hba.conf") << "local all guarded scram-sha-256\n"
                                            "local all all trust\n";
    // Durability is no part of what the tests check, and syncing costs seconds.
    const std::string options = "-c listen_addresses='' -c unix_socket_directories='" + m_folder +
                                "' -c fsync=off -c synchronous_commit=off";
    const ToolRun start = Shell("cd " + Quoted(m_folder) + " && " + m_asServer + kBin +
                                "pg_ctl -D " + Quoted(data) + " -l " + Quoted(m_folder + "/log") +
                                " -w -o " + Quoted(options) + " start >/dev/null");
    if (start.status != 0) {
        m_error = "pg_ctl start: " + start.err;
        return;
    }
    m_started = true;
    const ToolRun role = Sql("postgres", std::string("CREATE ROLE guarded LOGIN PASSWORD '") +
                                             kGuardedPassword + "'");
    if (role.status != 0) {
        m_error = "cannot make the role guarded: " + role.err;
    }
}

PgServer::~PgServer() {
    if (m_started) {
        Shell("cd " + Quoted(m_folder) + " && " + m_asServer + kBin + "pg_ctl -D " +
              Quoted(m_folder + "/data") + " -m immediate -w stop >/dev/null");
    }
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

std::string PgServer::Conninfo(const std::string& database, const std::string& user) const {
    return "host=" + m_folder + " dbname=" + database + " user=" + user;
}

bool PgServer::CreateDatabase(const std::string& name) const {
    return Sql("postgres", "CREATE DATABASE " + name).status == 0;
}

ToolRun PgServer::Sql(const std::string& database, const std::string& sql) const {
    return Shell("psql -X -q -At -v ON_ERROR_STOP=1 " + Quoted(Conninfo(database)) + " -c " +
                 Quoted(sql));
}
