#include "gpkg/PgConnection.h"

#include <libpq-fe.h>

#include <algorithm>

namespace {

// libpq's messages end in a line break and may run over several lines (one per address it
// tried); a tool's failure is one line.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// The server's notices (a table that already exists, skipped) are no failure and no news to
// the user of a tool that makes its tables when they are missing.
void IgnoreNotice(void*, const char*) {}

} // namespace

PgConnection::~PgConnection() {
    PQfinish(m_conn);
}

bool PgConnection::Open(const std::string& conninfo, std::string& why) {
    // dbname is expanded as a whole connection string or URI; the rest are defaults it can
    // override only for the application name, which shows the workers in pg_stat_activity.
    const char* keywords[] = {"dbname", "fallback_application_name", "client_encoding", nullptr};
    const char* values[] = {conninfo.c_str(), "ostvik-track", "UTF8", nullptr};
    PQfinish(m_conn);
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (m_conn == nullptr) {
        why = "out of memory";
        return false;
    }
    if (PQstatus(m_conn) != CONNECTION_OK) {
        why = OneLine(PQerrorMessage(m_conn));
        return false;
    }
    PQsetNoticeProcessor(m_conn, IgnoreNotice, nullptr);
    return true;
}

bool PgConnection::HoldsPassword(const std::string& conninfo) {
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), nullptr);
    if (options == nullptr) {
        return false;
    }
    bool holds = false;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
        holds = holds || (std::string(option->keyword) == "password" && option->val != nullptr);
    }
    PQconninfoFree(options);
    return holds;
}

PgResult PgConnection::Exec(const std::string& sql, const PgParams& params) const {
    // Only the plain protocol takes several statements in one text (a table and its index).
    if (params.Count() == 0) {
        return PgResult(PQexec(m_conn, sql.c_str()));
    }
    const std::vector<const char*> values = params.Values();
    const std::vector<int> lengths = params.Lengths();
    const std::vector<int> formats = params.Formats();
    return PgResult(PQexecParams(m_conn, sql.c_str(), params.Count(), nullptr, values.data(),
                                 lengths.data(), formats.data(), 0));
}

bool PgConnection::Run(const std::string& sql, std::string& why, const PgParams& params) const {
    const PgResult result = Exec(sql, params);
    if (!result.Ok()) {
        why = OneLine(result.Error());
        return false;
    }
    return true;
}
