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


def add_gps_stream(path, records):
    """Spreads one GPS packet a second evenly among the stream's packets."""
    with open(path, "rb") as f:
        stream = f.read()
    packets = [stream[i:i + PACKET] for i in range(0, len(stream) - PACKET + 1, PACKET)]
    if not packets or any(p[0] != 0x47 for p in packets):
        raise ValueError(f"{path} is not a transport stream of 188-byte packets")
    out = bytearray()
    every = max(1, len(packets) // max(1, len(records)))
    pending = list(records)
    for index, packet in enumerate(packets):
        if pending and index % every == 0:
            out += gps_packet(pending.pop(0), len(records) - len(pending) - 1)
        out += packet
    for record in pending:
        out += gps_packet(record, len(records) - len(pending))
        pending = pending[1:]
    with open(path, "wb") as f:
        f.write(out)
