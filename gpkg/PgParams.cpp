#include "gpkg/PgParams.h"

#include <charconv>

PgParams& PgParams::Text(std::string value) {
    m_values.emplace_back(std::move(value));
    m_binary.push_back(0);
    return *this;
}

PgParams& PgParams::Bytes(std::string value) {
    m_values.emplace_back(std::move(value));
    m_binary.push_back(1);
    return *this;
}

PgParams& PgParams::Null() {
    m_values.emplace_back(std::nullopt);
    m_binary.push_back(0);
    return *this;
}

PgParams& PgParams::Int(int64_t value) {
    return Text(std::to_string(value));
}

PgParams& PgParams::Real(double value) {
    return Text(Number(value));
}

std::string PgParams::Number(double value) {
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

PgParams& PgParams::Array(const std::vector<std::optional<std::string>>& elements) {
    // Every element quoted, so that no text inside can end it or the array.
    std::string literal = "{";
    for (const std::optional<std::string>& element : elements) {
        if (literal.size() > 1) {
            literal += ',';
        }
        if (!element) {
            literal += "NULL";
            continue;
        }
        literal += '"';
        for (char c : *element) {
            if (c == '"' || c == '\\') {
                literal += '\\';
            }
            literal += c;
        }
        literal += '"';
    }
    return Text(literal + "}");
}

std::vector<const char*> PgParams::Values() const {
    std::vector<const char*> values;
    for (const std::optional<std::string>& value : m_values) {
        values.push_back(value ? value->data() : nullptr);
    }
    return values;
}

std::vector<int> PgParams::Lengths() const {
    std::vector<int> lengths;
    for (const std::optional<std::string>& value : m_values) {
        lengths.push_back(value ? static_cast<int>(value->size()) : 0);
    }
    return lengths;
}

std::vector<int> PgParams::Formats() const {
    return m_binary;
}
