// Where a raw AAC frame ends, found by trying its bytes on libavcodec's AAC decoder. A raw
// frame carries no length: it is a run of syntax elements closed by an END element, so a
// decoder given fewer bytes than the frame runs out before that END and fails, and given
// the frame or more succeeds. Success is thus monotone in the length tried, and the frame's
// length is the shortest that decodes, found by halving the range of lengths. The decoder
// mends streams that break their configuration (a channel pair in a mono stream, SBR not
// signalled) by changing its own; bytes that are no sound can set that off, after which
// other such bytes would pass, so a decoder whose channels changed is opened afresh.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

class AacFrameTrial {
public:
    // `config` is the AudioSpecificConfig the decoder is set up from; `channels` bounds how
    // long a frame can be (0 when unknown).
    AacFrameTrial(std::span<const unsigned char> config, unsigned channels);
    ~AacFrameTrial();
    AacFrameTrial(const AacFrameTrial&) = delete;
    AacFrameTrial& operator=(const AacFrameTrial&) = delete;

    // False when the decoder could not be opened with the configuration.
    bool Ready() const { return m_context != nullptr; }

    // The longest frame the configuration allows, in bytes.
    size_t MaxFrame() const { return m_maxFrame; }

    // The length of the frame starting at `bytes`' first byte, or 0 when none lies there.
    size_t FrameLength(std::span<const unsigned char> bytes);

    // Whether the frame decodes after those given before, as a player decodes them in turn.
    bool DecodesInTurn(std::span<const unsigned char> frame);

private:
    void Open();
    bool Decodes(std::span<const unsigned char> bytes);
    bool Tried(std::span<const unsigned char> bytes);

    std::vector<unsigned char> m_config;
    unsigned m_configChannels = 0;
    int m_channels = 0;
    bool m_whole = false; // the last packet that decoded was used whole
    AVCodecContext* m_context = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    size_t m_maxFrame = 0;
};
