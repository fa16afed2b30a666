// One prepared SQLite statement, finalised when this goes: values bound by position (from
// 1), stepped, and the columns of its current row read (from 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const std::string& sql);
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    bool Ok() const { return m_statement != nullptr; }

    void Bind(int index, int64_t value);
    void Bind(int index, double value);
    void Bind(int index, const std::string& value);
    void Bind(int index, const std::vector<uint8_t>& blob); // an empty blob binds NULL
    void BindNull(int index);

    // True while a row is ready; Done() tells the end apart from a failure.
    bool Step();
    bool Done() const { return m_done; }
    // Runs a statement that returns no rows, then makes it ready to run again.
    bool Run();
    void Reset();

    bool IsNull(int column) const;
    int64_t Int(int column) const;
    double Real(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
    bool m_done = false;
};
