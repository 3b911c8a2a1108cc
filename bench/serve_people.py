"""Measures a served session shared by eight pages, one of which stops
reading: the states the seven others receive per second, the latency from
an input sent by one of them to the first state that shows it applied
(median and 99th percentile), and kvqsim's CPU use on the shipped example.

    /usr/bin/python3 bench/serve_people.py build/bin/kvqsim [SECONDS]
"""

import os
import re
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'support'))
from wsclient import Page  # noqa: E402
from chromium import cpu_seconds  # noqa: E402



def main():
    kvqsim = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 20
    server = subprocess.Popen([kvqsim, '--serve', '127.0.0.1:0', '--quiet'], stdout=subprocess.PIPE, text=True)
    port = int(re.search(r':(\d+)/', server.stdout.readline()).group(1))
    try:
        pages = [Page(port) for _ in range(7)]
        Page(port, reads=False)  # stops reading at once
        for p in pages:
            p.wait('a state', lambda s: True)
        time.sleep(1)
        counts = [p.states for p in pages]
        c0, t0 = cpu_seconds(server.pid), time.monotonic()
        # One page sends an input every 37 ms (a brake level of 0, which
        # changes nothing) and times each to the first state showing it.
        sender, latencies, seq = pages[0], [], 1000
        sent = {}
        while time.monotonic() - t0 < seconds:
            seq += 1
            sent[seq] = time.monotonic()
            sender.send({'type': 'control', 'control': 'brake', 'level': 0, 'seq': seq})
            time.sleep(0.037)
        elapsed = time.monotonic() - t0
        cpu = cpu_seconds(server.pid) - c0
        time.sleep(0.3)
        with sender.lock:
            arrivals = list(sender.arrivals)
        for s, t in sent.items():
            first = next((at for at, q in arrivals if q >= s and at >= t), None)
            if first is not None:
                latencies.append(1000 * (first - t))
        rates = [(p.states - c) / elapsed for p, c in zip(pages, counts)]
        latencies.sort()
        print('pages reading: 7, not reading: 1, %.0f s' % elapsed)
        print('states per second at each reading page: %s' % ', '.join('%.0f' % r for r in rates))
        print('input to state: median %.1f ms, 99th percentile %.1f ms, max %.1f ms (%d inputs)' %
              (statistics.median(latencies), latencies[int(0.99 * (len(latencies) - 1))], latencies[-1],
               len(latencies)))
        print('kvqsim CPU: %.1f %% of one core' % (100 * cpu / elapsed))
    finally:
        server.kill()


if __name__ == '__main__':
    main()
