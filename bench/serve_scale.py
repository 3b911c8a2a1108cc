"""Measures a served session of a thousand tractors driving in circles
(bench/many_tractors.lua on the shipped example) with one page connected
over a WebSocket, looking at the origin as the page's 3D view does: how late
frames start against the real-time schedule (the state's `late`), kvqsim's
CPU use, the states the page gets and their size. Then the same with no
page at all.

    /usr/bin/python3 bench/serve_scale.py build/bin/kvqsim [SECONDS] [TRACTORS]
"""

import json
import os
import re
import statistics
import subprocess
import sys
import time
import urllib.request

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, '..', 'tests', 'support'))
from wsclient import Page  # noqa: E402
from chromium import cpu_seconds  # noqa: E402



def run(kvqsim, seconds, tractors, page):
    env = dict(os.environ, KVQ_TRACTORS=str(tractors))
    root = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(kvqsim))), 'root')
    server = subprocess.Popen([kvqsim, os.path.join(root, 'Examples', 'pushback.scn'), '--script',
                               os.path.join(here, 'many_tractors.lua'), '--serve', '127.0.0.1:0', '--quiet'],
                              stdout=subprocess.PIPE, text=True, env=env)
    port = int(re.search(r':(\d+)/', server.stdout.readline()).group(1))
    url = 'http://127.0.0.1:%d/state.json' % port
    try:
        p = None
        if page:
            p = Page(port)
            p.send({'type': 'view', 'east': 0, 'north': 0, 'radius': 120})
        time.sleep(3)
        late, c0, t0 = [], cpu_seconds(server.pid), time.monotonic()
        s0, b0 = (p.states, 0) if p else (0, 0)
        while time.monotonic() - t0 < seconds:
            time.sleep(1)
            if p:
                with p.lock:
                    late.append(p.state['late']['mean'])
        elapsed = time.monotonic() - t0
        cpu = cpu_seconds(server.pid) - c0
        size = len(json.dumps(p.state)) if p else 0
        full = len(urllib.request.urlopen(url).read())
        print('%s: %d tractors, %.0f s: kvqsim CPU %.0f %% of a core' %
              ('one page' if page else 'no page', tractors, elapsed, 100 * cpu / elapsed))
        if p:
            print('  frames late: mean of the seconds %.2f ms, worst second %.2f ms; states %.0f a second, '
                  'last one %d bytes; /state.json %d bytes' %
                  (statistics.mean(late), max(late), (p.states - s0) / elapsed, size, full))
    finally:
        server.kill()


def main():
    kvqsim = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 20
    tractors = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    run(kvqsim, seconds, tractors, True)
    run(kvqsim, seconds, tractors, False)


if __name__ == '__main__':
    main()
