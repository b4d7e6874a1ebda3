#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Loopback print listener for the print tests.
#
# usage: listener.py OUTPUT_FOLDER NAME=PORT [NAME=PORT ...]
#
# Saves the bytes of each connection to OUTPUT_FOLDER/<number>-<NAME>.prn,
# NAME being the queue that sends to that port. A job is written as .part and
# renamed when its connection ends, so a reader never sees half a job.
import itertools
import os
import shutil
import socketserver
import sys
import threading

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
numbers = itertools.count(1)
socketserver.TCPServer.allow_reuse_address = True


def server(name, port):
    class Job(socketserver.StreamRequestHandler):
        def handle(self):
            path = os.path.join(out, "%04d-%s.prn" % (next(numbers), name))
            with open(path + ".part", "wb") as part:
                shutil.copyfileobj(self.rfile, part)
            os.rename(path + ".part", path)
    return socketserver.ThreadingTCPServer(("127.0.0.1", int(port)), Job)


# All ports are bound before any serves, so that a port in use ends the listener.
for s in [server(*pair.rsplit("=", 1)) for pair in sys.argv[2:]]:
    threading.Thread(target=s.serve_forever).start()
