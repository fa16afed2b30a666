#include "gpkg/SqliteStatement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &m_statement, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::Bind(int index, int64_t value) {
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::Bind(int index, double value) {
    sqlite3_bind_double(m_statement, index, value);
}

void SqliteStatement::Bind(int index, const std::string& value) {
    sqlite3_bind_text(m_statement, index, value.data(), static_cast<int>(value.size()),
                      SQLITE_TRANSIENT);
}

void SqliteStatement::Bind(int index, const std::vector<uint8_t>& blob) {
    if (blob.empty()) {
        BindNull(index);
        return;
    }
    sqlite3_bind_blob(m_statement, index, blob.data(), static_cast<int>(blob.size()),
                      SQLITE_TRANSIENT);
}

void SqliteStatement::BindNull(int index) {
    sqlite3_bind_null(m_statement, index);
}

bool SqliteStatement::Step() {
    const int result = sqlite3_step(m_statement);
    m_done = result == SQLITE_DONE;
    return result == SQLITE_ROW;
}

bool SqliteStatement::Run() {
    Step();
    const bool done = m_done;
    Reset();
    return done;
}

void SqliteStatement::Reset() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::Real(int column) const {
    return sqlite3_column_double(m_statement, column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_statement, column);
    return text != nullptr
               ? std::string(reinterpret_cast<const char*>(text),
                             static_cast<size_t>(sqlite3_column_bytes(m_statement, column)))
               : std::string();
}

std::vector<uint8_t> SqliteStatement::Blob(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(m_statement, column));
    return data != nullptr
               ? std::vector<uint8_t>(data, data + sqlite3_column_bytes(m_statement, column))
               : std::vector<uint8_t>();
}
