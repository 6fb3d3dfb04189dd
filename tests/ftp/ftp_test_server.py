#!/usr/bin/python3
"""FTP server for the FTP client tests and benchmark (pyftpdlib on loopback).

Prints "READY <port>" once it listens, then one line per control connection
("CONNECT") and per command received ("CMD <command line>", password hidden),
so a test can check what went over the wire.

Options for the awkward servers a machine may run:
  --no-mlsd          offer neither MLSD nor MLST (plain LIST only)
  --listing FILE     answer LIST with the bytes of FILE instead of the folder
  --write-limit N    send at most N bytes per second on data connections
  --stall-after N    stop sending data after N bytes, keeping the connection open
  --no-rename        know neither RNFR nor RNTO
  --no-delete        refuse DELE (no delete permission)
  --read-limit N     read at most N bytes per second from data connections (a slow
                     control taking an upload)
  --no-size          not know SIZE (older controls' servers)
  --corrupt-upload   store every upload with one byte changed (the byte at the middle
                     of the first block received is turned into its complement)
"""

import argparse
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--no-mlsd", action="store_true")
    parser.add_argument("--listing")
    parser.add_argument("--write-limit", type=int, default=0)
    parser.add_argument("--stall-after", type=int, default=0)
    parser.add_argument("--read-limit", type=int, default=0)
    parser.add_argument("--no-rename", action="store_true")
    parser.add_argument("--no-delete", action="store_true")
    parser.add_argument("--no-size", action="store_true")
    parser.add_argument("--corrupt-upload", action="store_true")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    perm = "elradfmwMT"
    if args.no_delete:
        perm = perm.replace("d", "")
    authorizer.add_user(args.user, args.password, args.dir, perm=perm)

    canned = None
    if args.listing:
        with open(args.listing, "rb") as f:
            canned = f.read()

    class Handler(FTPHandler):
        def on_connect(self):
            say("CONNECT")

        def pre_process_command(self, line, cmd, arg):
            say("CMD " + ("PASS ******" if cmd == "PASS" else line))
            return super().pre_process_command(line, cmd, arg)

        def ftp_LIST(self, path):
            if canned is None:
                return super().ftp_LIST(path)
            self.push_dtp_data(canned, isproducer=False, cmd="LIST")
            return path

    Handler.authorizer = authorizer
    Handler.permit_foreign_addresses = False
    unknown = set()
    if args.no_mlsd:
        unknown |= {"MLSD", "MLST"}
    if args.no_rename:
        unknown |= {"RNFR", "RNTO"}
    if args.no_size:
        unknown |= {"SIZE"}
    if unknown:
        Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items()
                              if k not in unknown}

    if args.write_limit:
        rate = args.write_limit

        # Paced in small steps: pyftpdlib's own throttle sends a second's worth at
        # once, which loopback buffers swallow whole.
        class Paced(DTPHandler):
            def __init__(self, sock, cmd_channel):
                super().__init__(sock, cmd_channel)
                self.started = time.monotonic()
                self.sent = 0
                self.wake_at = 0

            def budget(self):
                return int(rate * (time.monotonic() - self.started)) + 8192 - self.sent

            def send(self, data):
                room = self.budget()
                if room <= 0:
                    return 0
                n = super().send(data[:room])
                self.sent += n
                return n

            def writable(self):
                if self.budget() <= 0:
                    now = time.monotonic()
                    if self.wake_at <= now:
                        self.wake_at = now + 0.02
                        self.ioloop.call_later(0.02, lambda: None)
                    return False
                return super().writable()

        Handler.dtp_handler = Paced
        Handler.use_sendfile = False
    elif args.stall_after:
        limit = args.stall_after

        class Stalling(DTPHandler):
            sent = 0

            def send(self, data):
                room = limit - self.sent
                if room <= 0:
                    return 0
                n = super().send(data[:room])
                self.sent += n
                return n

            def writable(self):
                return self.sent < limit and super().writable()

        Handler.dtp_handler = Stalling
        Handler.use_sendfile = False

    if args.read_limit:
        # pyftpdlib's throttle: reads a second's worth, then stops reading for a
        # while, so the sender's and our own socket buffers fill up meanwhile.
        class SlowReader(ThrottledDTPHandler):
            read_limit = args.read_limit

        Handler.dtp_handler = SlowReader

    if args.corrupt_upload:
        base = Handler.dtp_handler

        class Corrupting(base):
            def enable_receiving(self, type, cmd):
                super().enable_receiving(type, cmd)
                inner = self._data_wrapper
                state = {"damaged": False}

                # The first block received gets one byte turned into its complement,
                # as a faulty link or disk on the machine would do.
                def damage(chunk):
                    if inner is not None:
                        chunk = inner(chunk)
                    if not state["damaged"] and chunk:
                        state["damaged"] = True
                        i = len(chunk) // 2
                        chunk = chunk[:i] + bytes([chunk[i] ^ 0xFF]) + chunk[i + 1:]
                    return chunk

                self._data_wrapper = damage

        Handler.dtp_handler = Corrupting

    server = FTPServer(("127.0.0.1", args.port), Handler)
    say("READY %d" % server.address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
