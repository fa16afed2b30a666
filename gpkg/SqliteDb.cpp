#include "gpkg/SqliteDb.h"

#include <sqlite3.h>

SqliteDb::~SqliteDb() {
    sqlite3_close(m_db);
}

bool SqliteDb::Open(const std::string& path, std::string& why) {
    sqlite3_close(m_db);
    m_db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        why = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    // Another process (the next part's merge, a GIS tool reading) may hold the file a moment.
    sqlite3_busy_timeout(m_db, 10000);
    return true;
}

bool SqliteDb::Exec(const std::string& sql, std::string& why) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        why = message != nullptr ? message : Error();
        sqlite3_free(message);
        return false;
    }
    return true;
}

std::string SqliteDb::Error() const {
    return m_db != nullptr ? sqlite3_errmsg(m_db) : "no database open";
}
