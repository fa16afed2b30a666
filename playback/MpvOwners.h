// Owners for the three kinds of mpv resource the engine layer holds, so that none is built
// and never freed, and so that each says on which thread it is let go.
#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

#include <cstring>
#include <memory>

struct MpvHandleDeleter {
    void operator()(mpv_handle* handle) const { mpv_terminate_destroy(handle); }
};

// The mpv core. Created and destroyed on the UI thread (mivex_open / mivex_close), after
// every render context on it has been freed and no play thread waits on it any more.
using MpvHandle = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

struct MpvRenderContextDeleter {
    void operator()(mpv_render_context* context) const { mpv_render_context_free(context); }
};

// The video window's render context. Freed on the UI thread with the window's OpenGL
// context current, before the core it belongs to is destroyed.
using MpvRenderContext = std::unique_ptr<mpv_render_context, MpvRenderContextDeleter>;

// A node that mpv filled in (a property read or a command result). Freed on the thread that
// asked for it, which is the only thread that ever sees it.
class MpvNode {
public:
    MpvNode() = default;
    MpvNode(const MpvNode&) = delete;
    MpvNode& operator=(const MpvNode&) = delete;
    ~MpvNode() {
        if (m_filled) {
            mpv_free_node_contents(&m_node);
        }
    }

    // The node for mpv to fill; marks it as holding contents to free. Call once.
    mpv_node* Fill() {
        m_filled = true;
        return &m_node;
    }
    // Call when mpv reported an error: the node then holds nothing to free.
    void Discard() { m_filled = false; }

    const mpv_node& Get() const { return m_node; }
    bool Filled() const { return m_filled; }

    // The member of a map node with that key, or nullptr.
    const mpv_node* Find(const char* key) const { return FindIn(m_node, key); }
    static const mpv_node* FindIn(const mpv_node& map, const char* key);

private:
    mpv_node m_node{};
    bool m_filled = false;
};

inline const mpv_node* MpvNode::FindIn(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || map.u.list == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < map.u.list->num; ++i) {
        if (std::strcmp(map.u.list->keys[i], key) == 0) {
            return &map.u.list->values[i];
        }
    }
    return nullptr;
}
