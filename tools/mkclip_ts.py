"""GPS records in an MPEG transport stream, as Novatek cameras that record .TS write them:
one PES packet of private_stream_2 (stream id 0xBF) a second, on a packet id of its own,
holding the Viofo freeGPS record without its 16-byte box header."""

import struct

from mkclip_layouts import gps_block

PACKET = 188
GPS_PID = 0x0300
PES_HEADER = 6
TS_HEADER = 4


def gps_packet(record, counter):
    """One transport packet carrying the record's whole PES packet, padded by an
    adaptation field as the standard pads a short payload."""
    data = gps_block(record, 0, "viofo")[16:]
    pes = b"\0\0\1\xbf" + struct.pack(">H", len(data)) + data
    stuffing = PACKET - TS_HEADER - len(pes)
    if stuffing < 1:
        raise ValueError("a record must fit in one packet")
    header = struct.pack(">BHB", 0x47, 0x4000 | GPS_PID, 0x30 | (counter & 0x0F))
    adaptation = bytes([stuffing - 1]) + (b"\0" + b"\xff" * (stuffing - 2) if stuffing > 1 else b"")
    return header + adaptation + pes


def add_gps_stream(path, records, packets_of=None):
    """Spreads one GPS record a second evenly among the stream's packets. `packets_of(record,
    counter)` gives a record's transport packets (the Viofo record's one by default); when
    there are more, each further one follows the next packet of the stream, so a record
    spans packets of other streams as a camera's may."""
    packets_of = packets_of or (lambda record, counter: [gps_packet(record, counter)])
    with open(path, "rb") as f:
        stream = f.read()
    packets = [stream[i:i + PACKET] for i in range(0, len(stream) - PACKET + 1, PACKET)]
    if not packets or any(p[0] != 0x47 for p in packets):
        raise ValueError(f"{path} is not a transport stream of 188-byte packets")
    out = bytearray()
    every = max(1, len(packets) // max(1, len(records)))
    pending = list(records)
    following = []
    counter = 0

    def take(record):
        nonlocal counter
        mine = packets_of(record, counter)
        counter += len(mine)
        return mine

    for index, packet in enumerate(packets):
        if pending and index % every == 0:
            out += b"".join(following)
            mine = take(pending.pop(0))
            out += mine[0]
            following = mine[1:]
        out += packet
        if following:
            out += following.pop(0)
    for record in pending:
        out += b"".join(following) + b"".join(take(record))
        following = []
    out += b"".join(following)
    with open(path, "wb") as f:
        f.write(out)
