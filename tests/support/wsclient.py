"""A WebSocket client of kvqsim's /ws, as any program would open one:
the handshake and frames by hand (the standard library has no WebSocket),
answering pings, keeping the newest state and every other message. For the
server's tests and benchmarks."""

import argparse
import base64
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import threading
import time


class Page:
    """One connection: sends messages, keeps the newest state. A page that
    does not read never takes anything off its socket; one that does not
    answer the close frame keeps its connection open until dropped."""

    def __init__(self, port, reads=True, answers_close=True):
        self.sock = socket.create_connection(('127.0.0.1', port), timeout=5)
        if not reads:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall(('GET /ws HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n'
                           'Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n'
                           'Origin: http://127.0.0.1:%d\r\n\r\n' % (port, key, port)).encode())
        head = b''
        while b'\r\n\r\n' not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                raise SystemExit('FAILED: the handshake was cut off')
            head += chunk
        if not head.startswith(b'HTTP/1.1 101'):
            raise SystemExit('FAILED: no WebSocket: %r' % head[:80])
        self.answers_close = answers_close
        self.state = None
        self.first = None  # the first state (a full one)
        self.states = 0
        self.gaps = []  # s between states
        self.arrivals = []  # (time, seq) of each state
        self.messages = []
        self.closed = False
        self.lock = threading.Lock()
        if reads:
            threading.Thread(target=self._read, daemon=True).start()

    def send(self, message, opcode=1):
        data = json.dumps(message).encode() if opcode == 1 else message
        mask = os.urandom(4)
        head = bytes([0x80 | opcode])
        n = len(data)
        head += bytes([0x80 | n]) if n < 126 else bytes([0x80 | 126]) + struct.pack('>H', n)
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def _recv(self, n):
        buf = b''
        while len(buf) < n:
            chunk = self.sock.recv(n - len(buf))
            if not chunk:
                raise EOFError
            buf += chunk
        return buf

    def _read(self):
        self.sock.settimeout(None)
        last = None
        try:
            while True:
                b0, b1 = self._recv(2)
                n = b1 & 0x7F
                if n == 126:
                    n = struct.unpack('>H', self._recv(2))[0]
                elif n == 127:
                    n = struct.unpack('>Q', self._recv(8))[0]
                data = self._recv(n)
                op = b0 & 0x0F
                if op == 9:
                    self.send(data, 10)
                elif op == 8:
                    if self.answers_close:
                        self.send(data[:2], 8)
                        break
                elif op == 1:
                    m = json.loads(data)
                    now = time.monotonic()
                    with self.lock:
                        if m['type'] == 'state':
                            self.state = m
                            if self.first is None:
                                self.first = m
                            self.states += 1
                            self.arrivals.append((now, m.get('seq', -1)))
                            if last is not None:
                                self.gaps.append(now - last)
                            last = now
                        else:
                            self.messages.append(m)
        except (EOFError, OSError):
            pass
        self.closed = True

    def wait(self, what, pred, timeout=10):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            with self.lock:
                s = self.state
                if s is not None and pred(s):
                    return s
            time.sleep(0.02)
        raise SystemExit('FAILED: waiting for %s; last state: %s' % (what, json.dumps(self.state)[:400]))

    def close(self):
        self.sock.close()


def check(cond, message):
    if not cond:
        raise SystemExit('FAILED: ' + message)


def test_args(*required):
    """The served tests' arguments: --kvqsim, --runner (the command that runs
    a program of the build, "|" between its words, such as Wine for the
    Windows build; none for a native one), --out (emptied first) and the
    other `required` options. Returns the arguments and kvqsim's command."""
    ap = argparse.ArgumentParser()
    ap.add_argument('--kvqsim', required=True)
    ap.add_argument('--runner', default='')
    ap.add_argument('--out', required=True)
    for name in required:
        ap.add_argument(name, required=True)
    args = ap.parse_args()
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    return args, (args.runner.split('|') if args.runner else []) + [args.kvqsim]


def serving_port(server, within=10):
    """The port from the line kvqsim prints once it serves; the test fails
    when it does not say so within `within` seconds."""
    found = []
    reader = threading.Thread(target=lambda: found.append(server.stdout.readline()), daemon=True)
    reader.start()
    reader.join(within)
    if not (found and 'serving' in found[0]):
        raise SystemExit('FAILED: kvqsim did not say it serves within %d s: %r' % (within, found))
    return int(re.search(r':(\d+)/', found[0]).group(1))


def start_kvqsim(command, errors):
    """kvqsim started with its errors kept in the file `errors` (a pipe that
    nobody reads would stall it once full) and its address to read on
    stdout (serving_port); `said(server)` gives what it printed."""
    server = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=open(errors, 'w'), text=True)
    server.errors = errors
    return server


def said(server):
    with open(server.errors) as f:
        return f.read()
