// Short forms of the mpv property reads and writes the engine makes over and over, each
// with the value a missing or unreadable property gives.
#pragma once

#include <mpv/client.h>

#include <cstdint>
#include <string>

inline bool GetDouble(mpv_handle* handle, const char* name, double* value) {
    return mpv_get_property(handle, name, MPV_FORMAT_DOUBLE, value) >= 0;
}

inline int64_t GetInt(mpv_handle* handle, const char* name) {
    int64_t value = 0;
    return mpv_get_property(handle, name, MPV_FORMAT_INT64, &value) >= 0 ? value : 0;
}

inline void SetFlag(mpv_handle* handle, const char* name, bool on) {
    int flag = on ? 1 : 0;
    mpv_set_property(handle, name, MPV_FORMAT_FLAG, &flag);
}

inline int64_t NodeInt(const mpv_node* node) {
    return node != nullptr && node->format == MPV_FORMAT_INT64 ? node->u.int64 : 0;
}

inline bool ReadString(mpv_handle* handle, const char* name, std::string* text) {
    char* value = mpv_get_property_string(handle, name);
    if (value == nullptr) {
        return false;
    }
    text->assign(value);
    mpv_free(value);
    return true;
}
