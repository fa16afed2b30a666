// One connection to a PostgreSQL server through libpq: owns the PGconn and closes it
// (PQfinish) when it goes, on the thread that made it. Statements go with their values as
// parameters (PgParams), and every failure comes back as one line of text.
#pragma once

#include "gpkg/PgParams.h"
#include "gpkg/PgResult.h"

#include <string>

struct pg_conn;

class PgConnection {
public:
    PgConnection() = default;
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects with libpq's connection string or URI; the password comes from ~/.pgpass or
    // PGPASSWORD as libpq finds it. False, with libpq's reason on one line, when it cannot.
    bool Open(const std::string& conninfo, std::string& why);

    // Whether a connection string or URI holds a password, which a command line shows to
    // every user of the machine. False for one libpq cannot parse: connecting with it then
    // fails with libpq's own reason.
    static bool HoldsPassword(const std::string& conninfo);

    PgResult Exec(const std::string& sql, const PgParams& params = {}) const;
    // Runs a statement whose rows do not matter; false with the server's reason.
    bool Run(const std::string& sql, std::string& why, const PgParams& params = {}) const;

private:
    pg_conn* m_conn = nullptr;
};
