// One open SQLite database, closed when this goes: the handle and the few calls the
// GeoPackage makes on it as a whole (statements without results, the last error).
#pragma once

#include <string>

struct sqlite3;

class SqliteDb {
public:
    SqliteDb() = default;
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;
    ~SqliteDb();

    // Opens the file for reading and writing, making it when missing. False, with the
    // reason in `why`, when it cannot be.
    bool Open(const std::string& path, std::string& why);

    // Runs statements that return no rows; false, with SQLite's reason in `why`, on the
    // first that fails.
    bool Exec(const std::string& sql, std::string& why);

    sqlite3* Handle() const { return m_db; }
    std::string Error() const;

private:
    sqlite3* m_db = nullptr;
};
