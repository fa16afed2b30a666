// The values of one PostgreSQL statement, handed to libpq as parameters ($1, $2, ...) so that
// no value is ever pasted into the statement's text: a clip's path goes to the server as the
// bytes it is, whatever quotes or line breaks it holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

class PgParams {
public:
    PgParams& Text(std::string value);
    // Sent in binary, to a bytea parameter: any bytes at all.
    PgParams& Bytes(std::string value);
    PgParams& Null();
    PgParams& Int(int64_t value);
    // Written with as many digits as tell the double apart, so the server stores it exactly.
    PgParams& Real(double value);
    // An array, each element given as its text (Number makes that of a number) or null.
    PgParams& Array(const std::vector<std::optional<std::string>>& elements);
    template <typename T> PgParams& Optional(const std::optional<T>& value) {
        if (!value) {
            return Null();
        }
        if constexpr (std::is_same_v<T, std::string>) {
            return Text(*value);
        } else if constexpr (std::is_floating_point_v<T>) {
            return Real(*value);
        } else {
            return Int(*value);
        }
    }

    static std::string Number(double value);

    int Count() const { return static_cast<int>(m_values.size()); }
    // libpq's four arrays; valid while this object lives unchanged.
    std::vector<const char*> Values() const;
    std::vector<int> Lengths() const;
    std::vector<int> Formats() const;

private:
    std::vector<std::optional<std::string>> m_values;
    std::vector<int> m_binary;
};
