#include "recover/AacFrameTrial.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace {

// An AAC frame holds at most 6144 bits for each channel.
constexpr size_t kMaxChannelBytes = 6144 / 8;
// The channels a frame may hold when the configuration leaves them to the stream.
constexpr unsigned kMostChannels = 8;
// Raised this far, the decoder's own messages (every failed trial is one) fall below the
// most verbose level a log prints; the offset is this context's alone, so the player's
// libmpv, in the same process, keeps its logging as it is.
constexpr int kQuiet = AV_LOG_TRACE + 8;

} // namespace

AacFrameTrial::AacFrameTrial(std::span<const unsigned char> config, unsigned channels)
    : m_maxFrame(kMaxChannelBytes * (channels == 0 ? kMostChannels : channels)) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!context) {
        return;
    }
    context->log_level_offset = kQuiet;
    context->extradata =
        static_cast<uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata) {
        std::memcpy(context->extradata, config.data(), config.size());
        context->extradata_size = static_cast<int>(config.size());
    }
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!context->extradata || !m_frame || !m_packet ||
        avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return;
    }
    m_context = context;
}

AacFrameTrial::~AacFrameTrial() {
    avcodec_free_context(&m_context);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
}

bool AacFrameTrial::Decodes(std::span<const unsigned char> bytes) {
    // A packet of its own, padded with zeros as the decoder needs: the bytes after the frame
    // in the clip must not be read as if they were part of it.
    if (av_new_packet(m_packet, static_cast<int>(bytes.size())) < 0) {
        return false;
    }
    std::memcpy(m_packet->data, bytes.data(), bytes.size());
    const bool sent = avcodec_send_packet(m_context, m_packet) >= 0;
    av_packet_unref(m_packet);
    const bool decoded = sent && avcodec_receive_frame(m_context, m_frame) >= 0;
    av_frame_unref(m_frame);
    // Each trial stands alone: what a longer packet leaves over is dropped with the state.
    avcodec_flush_buffers(m_context);
    return decoded;
}

size_t AacFrameTrial::FrameLength(std::span<const unsigned char> bytes) {
    if (!m_context || bytes.empty()) {
        return 0;
    }
    size_t high = std::min(bytes.size(), m_maxFrame);
    if (!Decodes(bytes.first(high))) {
        return 0;
    }
    // Lengths up to `low` fail, `high` succeeds.
    size_t low = 0;
    while (high - low > 1) {
        const size_t middle = low + (high - low) / 2;
        if (Decodes(bytes.first(middle))) {
            high = middle;
        } else {
            low = middle;
        }
    }
    return high;
}
