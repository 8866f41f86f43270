#!/usr/bin/env python3
"""A drive for the QEMU guest's benchmark: serves a raw image file over NBD on a Unix socket, as a
drive of queue depth 1 whose requests each take a set service time.

  nbd-drive.py <socket> <image> <log> [--read-ms MS] [--write-ms MS] [--trace FILE]

QEMU may send several requests at once; they wait on the socket and are served one after another,
each answered no sooner than its service time after the drive took it up (reads --read-ms, writes
--write-ms, everything else at once). A real drive spends such a time on every request, so a copy
that waits for each read before it writes pays both drives' times per chunk, and one that
overlaps them pays only the slower's; QEMU's throttle alone banks a drive's idle time and shows no
such difference.

The socket appears only once it accepts connections. The server exits when its parent does; after
each connection it appends one JSON line to <log>: the requests by command and size, the time it
lasted, the time the drive was busy, how many requests found another one already waiting, and the
times from an answer to the next request (the guest's and QEMU's share of a round trip, with the
drive's idle phases among the longest) at the median, 90th and 99th percentiles. With --trace it
also writes a line per request: when the drive took it up (seconds on the host's monotonic clock,
which both drives share), the command, offset and length, how long the drive took in
milliseconds, and 1 when the request had been waiting.
"""
import argparse
import collections
import json
import os
import select
import signal
import socket
import struct
import sys
import time

OPTS_MAGIC = 0x49484156454F5054  # "IHAVEOPT"
REPLY_MAGIC = 0x3E889045565A9
FLAG_FIXED_NEWSTYLE, FLAG_NO_ZEROES = 1, 2
OPT_EXPORT_NAME, OPT_ABORT, OPT_GO = 1, 2, 7
REP_ACK, REP_INFO, REP_ERR_UNSUP = 1, 3, 0x80000001
INFO_EXPORT = 0
# The drive takes flushes and discards; a write with FUA then reaches it as a write and a flush.
TRANSMISSION = 0x1 | 0x4 | 0x20  # has flags, flush, trim
REQUEST = struct.Struct(">IHHQQI")
REQUEST_MAGIC, SIMPLE_REPLY_MAGIC = 0x25609513, 0x67446698
READ, WRITE, DISCONNECT, FLUSH, TRIM = 0, 1, 2, 3, 4
COMMAND_NAMES = {READ: "read", WRITE: "write", FLUSH: "flush", TRIM: "trim"}
EINVAL = 22
ZEROS = bytes(1 << 20)


def receive(conn, size):
    data = bytearray()
    while len(data) < size:
        part = conn.recv(size - len(data))
        if not part:
            raise EOFError
        data += part
    return bytes(data)


def handshake(conn, size):
    """The fixed newstyle negotiation up to the transmission phase; False when the client left."""
    conn.sendall(b"NBDMAGIC" + struct.pack(">QH", OPTS_MAGIC, FLAG_FIXED_NEWSTYLE | FLAG_NO_ZEROES))
    (client_flags,) = struct.unpack(">I", receive(conn, 4))
    while True:
        magic, option, length = struct.unpack(">QII", receive(conn, 16))
        receive(conn, length)  # the export name and info requests: there is one export
        if magic != OPTS_MAGIC or option == OPT_ABORT:
            return False
        if option == OPT_EXPORT_NAME:
            zeros = b"" if client_flags & FLAG_NO_ZEROES else bytes(124)
            conn.sendall(struct.pack(">QH", size, TRANSMISSION) + zeros)
            return True

        def reply(kind, payload=b""):
            conn.sendall(struct.pack(">QIII", REPLY_MAGIC, option, kind, len(payload)) + payload)

        if option == OPT_GO:
            reply(REP_INFO, struct.pack(">HQH", INFO_EXPORT, size, TRANSMISSION))
            reply(REP_ACK)
            return True
        # Structured replies, metadata contexts, listings: a plain drive answers without them.
        reply(REP_ERR_UNSUP)


def serve(conn, fd, size, service, stats, trace):
    """Transmission: one request at a time, each answered after its service time."""
    answered = None
    while True:
        queued = bool(select.select([conn], [], [], 0)[0])
        magic, _, command, handle, offset, length = REQUEST.unpack(receive(conn, REQUEST.size))
        taken = time.monotonic()
        if answered is not None:
            stats["gaps"].append(taken - answered)
        if magic != REQUEST_MAGIC or command == DISCONNECT:
            return
        payload = receive(conn, length) if command == WRITE else b""
        error, answer = 0, b""
        if offset + length > size:
            error = EINVAL
        elif command == READ:
            answer = os.pread(fd, length, offset)
        elif command == WRITE:
            os.pwrite(fd, payload, offset)
        elif command == FLUSH:
            os.fdatasync(fd)
        elif command == TRIM:
            # Discarded blocks read back as zeros, as the guest's check expects.
            for at in range(offset, offset + length, len(ZEROS)):
                os.pwrite(fd, ZEROS[: min(len(ZEROS), offset + length - at)], at)
        else:
            error = EINVAL
        # The guest sees the answer no sooner than the drive's time for the request.
        delay = taken + service.get(command, 0.0) - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        conn.sendall(struct.pack(">IIQ", SIMPLE_REPLY_MAGIC, error, handle) + answer)
        answered = time.monotonic()
        name = COMMAND_NAMES.get(command, command)
        if trace:
            trace.write(f"{taken:.4f} {name} {offset} {length} {1000 * (answered - taken):.2f} "
                        f"{int(queued)}\n")
        stats["requests"][f"{name} {length}"] += 1
        stats["busySeconds"] += answered - taken
        stats["waiting"] += queued


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("socket")
    parser.add_argument("image")
    parser.add_argument("log")
    parser.add_argument("--read-ms", type=float, default=0.0)
    parser.add_argument("--write-ms", type=float, default=0.0)
    parser.add_argument("--trace", type=argparse.FileType("w"))
    args = parser.parse_args()
    # Killed by the host's cleanup, it still removes its socket.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    service = {READ: args.read_ms / 1000, WRITE: args.write_ms / 1000}
    parent = os.getppid()
    fd = os.open(args.image, os.O_RDWR)
    size = os.fstat(fd).st_size

    # Bound under another name and renamed once listening: a client that finds the socket is
    # never refused.
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    pending = f"{args.socket}.{os.getpid()}"
    listener.bind(pending)
    listener.listen(1)
    os.rename(pending, args.socket)
    listener.settimeout(0.5)
    try:
        while os.getppid() == parent:
            try:
                conn, _ = listener.accept()
            except socket.timeout:
                continue
            conn.settimeout(None)
            began = time.monotonic()
            stats = {"requests": collections.Counter(), "busySeconds": 0.0, "waiting": 0,
                     "gaps": []}
            try:
                if handshake(conn, size):
                    serve(conn, fd, size, service, stats, args.trace)
            except (EOFError, ConnectionError):
                pass
            finally:
                conn.close()
                stats["seconds"] = time.monotonic() - began
                gaps = sorted(stats.pop("gaps"))
                stats["gapMs"] = {f"p{q}": round(1000 * gaps[len(gaps) * q // 100], 2)
                                  for q in (50, 90, 99) if gaps}
                with open(args.log, "a") as log:
                    log.write(json.dumps(stats) + "\n")
    finally:
        os.unlink(args.socket)


if __name__ == "__main__":
    main()
