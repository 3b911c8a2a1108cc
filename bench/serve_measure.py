"""Measures a served session with the page connected, as a person would
have it: kvqsim --serve on the shipped example at 60 Hz, the page open in
headless chromium. Reports how well real time holds (frames started late
against their schedule, simulation seconds per wall second), kvqsim's CPU
use, how often the page gets a state, and the input latency: from an input
sent by the page to the first state that shows it applied.

    /usr/bin/python3 bench/serve_measure.py build/bin/kvqsim [SECONDS]
"""

import json
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'support'))
from chromium import chromium, cpu_seconds  # noqa: E402


def main():
    kvqsim = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 20
    server = subprocess.Popen([kvqsim, '--serve', '127.0.0.1:0', '--quiet'], stdout=subprocess.PIPE, text=True)
    url = re.search(r'http://[0-9.]+:\d+/', server.stdout.readline()).group(0)
    d = chromium(tempfile.mkdtemp())
    try:
        d.get(url)
        time.sleep(2)
        late_mean, late_max, realtime = [], [], []
        c0, t0 = cpu_seconds(server.pid), time.time()
        while time.time() - t0 < seconds:
            time.sleep(1)
            s = json.loads(urllib.request.urlopen(url + 'state.json').read())
            late_mean.append(s['late']['mean'])
            late_max.append(s['late']['max'])
            realtime.append(s['realtime'])
        cpu = (cpu_seconds(server.pid) - c0) / (time.time() - t0)
        d.set_script_timeout(60)
        probe = d.execute_async_script('''
            const done = arguments[arguments.length - 1];
            const ws = new WebSocket(`ws://${location.host}/ws`);
            const sent = new Map(), lat = [];
            let states = 0, first = 0, seq = 0;
            ws.onmessage = (e) => {
              const m = JSON.parse(e.data);
              if (m.type !== 'state') return;
              states++; if (!first) first = performance.now();
              for (const [k, t] of sent) if (m.seq >= k) { lat.push(performance.now() - t); sent.delete(k); }
            };
            ws.onopen = () => {
              const timer = setInterval(() => {
                if (seq === 100) {
                  clearInterval(timer);
                  setTimeout(() => done({lat, rate: states / ((performance.now() - first) / 1000)}), 300);
                  return;
                }
                sent.set(seq, performance.now());
                ws.send(JSON.stringify({type: 'control', control: 'brake', level: 0, seq: seq++}));
              }, 37);
            };''')
    finally:
        d.quit()
        server.terminate()
        server.wait()
    lat = sorted(probe['lat'])
    print('frames late (ms, per second): mean %.2f, worst second\'s max %.2f' %
          (sum(late_mean) / len(late_mean), max(late_max)))
    print('real time: %.4f to %.4f simulation seconds per wall second' % (min(realtime), max(realtime)))
    print('kvqsim CPU with the page connected: %.1f %% of one core' % (100 * cpu))
    print('states at the page: %.1f per second' % probe['rate'])
    print('input to applied state at the page (ms): median %.1f, 90th %.1f, max %.1f (%d inputs)' %
          (lat[len(lat) // 2], lat[int(len(lat) * 0.9)], lat[-1], len(lat)))


if __name__ == '__main__':
    main()
