#include "recover/AacFrameTrial.h"

#include <algorithm>
#include <cstring>

#include "recover/AacFrameStart.h"

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
    : m_config(config.begin(), config.end()), m_configChannels(channels),
      m_channels(static_cast<int>(channels)),
      m_maxFrame(kMaxChannelBytes * (channels == 0 ? kMostChannels : channels)) {
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    Open();
}

void AacFrameTrial::Open() {
    avcodec_free_context(&m_context);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!context || !m_frame || !m_packet) {
        avcodec_free_context(&context);
        return;
    }
    context->log_level_offset = kQuiet;
    context->extradata =
        static_cast<uint8_t*>(av_mallocz(m_config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!context->extradata) {
        avcodec_free_context(&context);
        return;
    }
    std::memcpy(context->extradata, m_config.data(), m_config.size());
    context->extradata_size = static_cast<int>(m_config.size());
    if (avcodec_open2(context, codec, nullptr) < 0) {
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
    if (!m_context) {
        return false;
    }
    // A packet of its own, padded with zeros as the decoder needs: the bytes after the frame
    // in the clip must not be read as if they were part of it.
    if (av_new_packet(m_packet, static_cast<int>(bytes.size())) < 0) {
        return false;
    }
    std::memcpy(m_packet->data, bytes.data(), bytes.size());
    const bool sent = avcodec_send_packet(m_context, m_packet) >= 0;
    av_packet_unref(m_packet);
    bool decoded = sent && avcodec_receive_frame(m_context, m_frame) >= 0;
    av_frame_unref(m_frame);
    // The decoder goes on with what it left of the packet as another frame; a frame uses its
    // bytes whole, so a packet that leaves some over was not one frame.
    m_whole = decoded && avcodec_receive_frame(m_context, m_frame) == AVERROR(EAGAIN);
    av_frame_unref(m_frame);
    // The decoder tells its channels once it has decoded; a stream whose configuration
    // leaves them to it keeps those of its first frame.
    const int channels = m_context->ch_layout.nb_channels;
    if (m_channels == 0 && decoded) {
        m_channels = channels;
    } else if (channels != 0 && channels != m_channels) {
        Open();
        return false;
    }
    return decoded;
}

bool AacFrameTrial::Tried(std::span<const unsigned char> bytes) {
    const bool decoded = Decodes(bytes);
    // Each trial stands alone: what a longer packet leaves over is dropped with the state.
    if (m_context) {
        avcodec_flush_buffers(m_context);
    }
    return decoded;
}

bool AacFrameTrial::DecodesInTurn(std::span<const unsigned char> frame) {
    return Decodes(frame) && m_whole;
}

size_t AacFrameTrial::FrameLength(std::span<const unsigned char> bytes) {
    if (!m_context || bytes.empty()) {
        return 0;
    }
    if (!MayStartAacFrame(bytes, m_configChannels)) {
        return 0;
    }
    size_t high = std::min(bytes.size(), m_maxFrame);
    if (!Tried(bytes.first(high))) {
        return 0;
    }
    bool whole = m_whole;
    // Lengths up to `low` fail, `high` succeeds.
    size_t low = 0;
    while (high - low > 1) {
        const size_t middle = low + (high - low) / 2;
        if (Tried(bytes.first(middle))) {
            high = middle;
            whole = m_whole;
        } else {
            low = middle;
        }
    }
    // Bytes that decode only with more after them than the decoder used are no frame: a
    // frame's own bytes end with its END element.
    return whole ? high : 0;
}
