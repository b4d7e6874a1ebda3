#!/usr/bin/env python3
"""Loopback print listener for the print tests.

Listens on 127.0.0.1 at the given ports and saves the bytes of each
connection to a numbered file in the output folder, named
<number>-<name>.prn after the name given with the port (the queue that
sends there). A file is written under a temporary name and renamed when the
connection ends, so a reader never sees half a job.

usage: listener.py OUTPUT_FOLDER NAME=PORT [NAME=PORT ...]
"""
import os
import selectors
import socket
import sys


def main():
    if len(sys.argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sel = selectors.DefaultSelector()
    for pair in sys.argv[2:]:
        label, port = pair.rsplit("=", 1)
        srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        srv.bind(("127.0.0.1", int(port)))
        srv.listen(8)
        srv.setblocking(False)
        sel.register(srv, selectors.EVENT_READ, ("listen", label))

    number = 0
    while True:
        for key, _ in sel.select():
            kind = key.data[0]
            if kind == "listen":
                conn, _ = key.fileobj.accept()
                conn.setblocking(False)
                number += 1
                name = os.path.join(out, "%04d-%s.prn" % (number, key.data[1]))
                part = open(name + ".part", "wb")
                sel.register(conn, selectors.EVENT_READ, ("conn", part, name))
            else:
                _, part, name = key.data
                try:
                    data = key.fileobj.recv(65536)
                except ConnectionResetError:
                    data = b""
                if data:
                    part.write(data)
                else:
                    sel.unregister(key.fileobj)
                    key.fileobj.close()
                    part.close()
                    os.rename(name + ".part", name)


if __name__ == "__main__":
    sys.exit(main())
