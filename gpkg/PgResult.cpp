#include "gpkg/PgResult.h"

#include <libpq-fe.h>

#include <cstdlib>

PgResult::~PgResult() {
    PQclear(m_result);
}

bool PgResult::Ok() const {
    const ExecStatusType status = PQresultStatus(m_result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::string PgResult::Error() const {
    if (m_result == nullptr) {
        return "out of memory";
    }
    // A statement the server never answered (the connection lost) has only libpq's message.
    const char* primary = PQresultErrorField(m_result, PG_DIAG_MESSAGE_PRIMARY);
    return primary != nullptr ? primary : PQresultErrorMessage(m_result);
}

int PgResult::Rows() const {
    return PQntuples(m_result);
}

bool PgResult::IsNull(int row, int column) const {
    return PQgetisnull(m_result, row, column) != 0;
}

std::string PgResult::Text(int row, int column) const {
    return std::string(PQgetvalue(m_result, row, column),
                       static_cast<size_t>(PQgetlength(m_result, row, column)));
}

int64_t PgResult::Int(int row, int column) const {
    return std::strtoll(PQgetvalue(m_result, row, column), nullptr, 10);
}

double PgResult::Real(int row, int column) const {
    return std::strtod(PQgetvalue(m_result, row, column), nullptr);
}

std::string PgResult::Bytes(int row, int column) const {
    const std::string hex = Text(row, column);
    const auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string bytes;
    // "\x" then two digits a byte.
    for (size_t at = 2; at + 1 < hex.size(); at += 2) {
        bytes.push_back(static_cast<char>(nibble(hex[at]) << 4 | nibble(hex[at + 1])));
    }
    return bytes;
}
