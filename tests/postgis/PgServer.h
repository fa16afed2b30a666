// A PostgreSQL server with PostGIS of the tests' own: made in a new temporary folder, run as
// an unprivileged user (nobody, when the tests run as root, which the server refuses),
// listening on a socket in that folder and on no network address, and stopped and removed
// when the object goes, whatever the test did.
#pragma once

#include "tests/support/Shell.h"

#include <string>

class PgServer {
public:
    // Its login roles: ostvik, which may do anything and needs no password, and guarded,
    // whose password is kGuardedPassword.
    static constexpr const char* kGuardedPassword = "right horse battery";

    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Whether the server's programs are installed at all; the tests skip where not.
    static bool Installed();
    // Empty when the server runs; else what went wrong.
    const std::string& Error() const { return m_error; }

    const std::string& Folder() const { return m_folder; }
    std::string Conninfo(const std::string& database, const std::string& user = "ostvik") const;
    bool CreateDatabase(const std::string& name) const;
    // psql's unaligned rows (fields split by |) for `sql` run in `database`.
    ToolRun Sql(const std::string& database, const std::string& sql) const;

private:
    std::string m_folder;
    std::string m_asServer; // the command prefix that runs a program as the server's user
    bool m_started = false;
    std::string m_error;
};
