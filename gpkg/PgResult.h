// The result of one PostgreSQL statement: owns libpq's PGresult and frees it (PQclear) when
// it goes, on whichever thread ran the statement. Values are read as the server's text.
#pragma once

#include <cstdint>
#include <string>

struct pg_result;

class PgResult {
public:
    explicit PgResult(pg_result* result) : m_result(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;
    PgResult& operator=(PgResult&&) = delete;

    // The statement ran (whether or not it returned rows).
    bool Ok() const;
    // The server's message on one line; empty when it ran.
    std::string Error() const;

    int Rows() const;
    bool IsNull(int row, int column) const;
    std::string Text(int row, int column) const;
    int64_t Int(int row, int column) const;
    double Real(int row, int column) const;
    // A bytea column, which the server sends as hex text.
    std::string Bytes(int row, int column) const;

private:
    pg_result* m_result;
};
