// Whether a raw AAC frame may start at a place, read from its first bits before the decoder
// is tried there: elements of data and fill, which say their own length, are stepped over,
// and the first channel element must be the one the channel configuration begins with (a
// single channel for mono and for the layouts led by a centre channel, a channel pair for
// stereo), numbered 0, with its reserved bit clear. Bytes of damage seldom pass, so the
// byte-by-byte search through them costs few decodes.
#pragma once

#include <span>

// `channels` as the configuration gives them; 0 lets any channel element lead.
bool MayStartAacFrame(std::span<const unsigned char> bytes, unsigned channels);
