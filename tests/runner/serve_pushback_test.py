"""A hands-off pushback asked for over the page's protocol: a plan the
aircraft cannot follow is refused with the controller's reason; a plan tried
comes back with the outline the aircraft would sweep; started, it couples and
pushes the airliner tail first while the state tells its progress; a new plan
is refused once the tractor moves; Space takes the tractor back at once and
leaves it braked; a page that connects later gets the session's events,
tracks and the running plan; the record replays to the same end; and the
next session at that stand offers the plan that was flown."""

import json
import math
import os
import shutil
import subprocess
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from wsclient import Page, check, said, serving_port, start_kvqsim, test_args  # noqa: E402

SPACE = 0x39


def main():
    args, kvqsim = test_args('--root')
    out = args.out
    # A root of its own: the plans kept are written into it.
    root = os.path.join(out, 'root')
    shutil.copytree(args.root, root, ignore=shutil.ignore_patterns('Page'))
    record, saved = os.path.join(out, 'session.jsonl'), os.path.join(out, 'live.scn')
    base = kvqsim + ['--root', root, '--quiet']

    server = start_kvqsim(base + ['--serve', '127.0.0.1:0', '--record', record, '--save', saved],
                          os.path.join(out, 'session.err'))
    try:
        flown = push(serving_port(server, 30), server)
    finally:
        if server.poll() is None:
            server.kill()
    replayed = os.path.join(out, 'replay.scn')
    replay = subprocess.run(base + ['--replay', record, '--save', replayed], capture_output=True, text=True,
                            timeout=120)
    check(replay.returncode == 0, 'replay failed: ' + replay.stderr)
    check(open(saved, 'rb').read() == open(replayed, 'rb').read(), 'the replay ends elsewhere than the session')

    # The next session at the stand offers the plan.
    server = start_kvqsim(base + ['--serve', '127.0.0.1:0'], os.path.join(out, 'next.err'))
    try:
        page = Page(serving_port(server, 30))
        s = page.wait('the first state', lambda s: s['focus'] == 'Tug')
        check(s.get('plans') and s['plans'][0]['aircraft'] == 'Jet', 'no plan offered: %r' % s.get('plans'))
        offered = s['plans'][0]
        check(len(offered['points']) == len(flown['points']) and abs(offered['heading'] - flown['heading']) < 1e-9,
              'the plan offered is not the one flown')
        check(all(math.hypot(a['e'] - b['e'], a['n'] - b['n']) < 0.01
                  for a, b in zip(offered['points'], flown['points'])), 'the plan offered moved')
        page.send({'type': 'quit'})
        check(server.wait(timeout=10) == 0, 'kvqsim did not end after quit')
    finally:
        if server.poll() is None:
            server.kill()
    print('serve_pushback: passed')




def answer(page, seq, timeout=10):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        with page.lock:
            for m in page.messages:
                if m.get('seq') == seq:
                    return m
        time.sleep(0.02)
    raise SystemExit('FAILED: no answer to message %d' % seq)


def push(port, server):
    def state():
        with urllib.request.urlopen('http://127.0.0.1:%d/state.json' % port, timeout=5) as r:
            return json.loads(r.read())

    def vessel(s, name):
        return next(v for v in s['vessels'] if v['name'] == name)

    a = Page(port)
    a.wait('the first state', lambda s: s['focus'] == 'Tug')
    jet0 = vessel(state(), 'Jet')
    e0 = jet0['east']

    # Too tight: a right angle three metres behind the airliner.
    a.send({'type': 'pushback', 'points': [{'e': e0 - 3, 'n': 0}, {'e': e0 - 3, 'n': 6}], 'heading': 0, 'seq': 1})
    m = answer(a, 1)
    check(m['type'] == 'error' and 'path too tight for the aircraft' in m['message'], 'not refused: %r' % m)
    check(state()['pushback'] is None, 'a refused plan started something')

    # Straight back 30 m, tail first, tried first.
    plan = {'type': 'pushback', 'points': [{'e': e0 - 15, 'n': 0}, {'e': e0 - 30, 'n': 0}], 'heading': 90}
    a.send(dict(plan, check=True, seq=2))
    m = answer(a, 2)
    check(m['type'] == 'plan' and m['aircraft'] == 'Jet', 'no plan tried: %r' % m)
    last = m['sweep'][-1]
    check(math.hypot(last[0] - (e0 - 30), last[1]) < 0.5 and abs(last[2] - jet0['hdg']) < 0.02,
          'the sweep does not end on the plan: %r' % last)
    check(vessel(state(), 'Jet')['parent'] is None, 'trying a plan coupled the airliner')

    a.send(dict(plan, seq=3))
    s = a.wait('the push', lambda s: s['pushback'] and s['pushback']['phase'] == 'pushing' and s['seq'] >= 3)
    check(s['pushback']['aircraft'] == 'Jet' and s['pushback']['tractor'] == 'Tug', 'wrong push: %r' % s['pushback'])
    a.wait('the airliner going back', lambda s: e0 - vessel(state(), 'Jet')['east'] > 4, timeout=20)
    a.send(dict(plan, seq=4))
    m = answer(a, 4)
    check(m['type'] == 'error' and 'under way' in m['message'], 'a plan changed while pushing: %r' % m)

    # A page that comes later gets what happened so far.
    b = Page(port)
    b.wait('the later page', lambda s: True)
    sb = b.first
    check(sb['full'], 'the later page\'s first state is not a full one')
    texts = [e['text'] for e in sb['events']]
    check('Tug_Towbar attached to Tug' in texts and 'Jet attached to Tug' in texts, 'events: %r' % texts)
    check(len(sb['tracks'].get('Jet', [])) > 10, 'no track of the airliner for the later page')
    check(sb['plan']['number'] == sb['pushback']['number'] and len(sb['plan']['sweep']) > 20,
          'no plan for the later page')
    b.close()

    # Space takes the tractor back: the push stops, the tractor stays braked.
    a.send({'type': 'key', 'code': SPACE, 'down': True, 'seq': 5})
    a.send({'type': 'key', 'code': SPACE, 'down': False, 'seq': 6})
    s = a.wait('the stop', lambda s: s['pushback']['phase'] == 'stopped' and s['seq'] >= 6)
    check(not s['pushback']['running'], 'still running after Space')
    time.sleep(3)
    t1 = vessel(state(), 'Tug')
    time.sleep(1)
    t2 = vessel(state(), 'Tug')
    check(math.hypot(t1['east'] - t2['east'], t1['north'] - t2['north']) < 1e-3, 'the tractor rolls on')
    a.send({'type': 'pushback', 'stop': True, 'seq': 7})
    check('no pushback is running' in answer(a, 7)['message'], 'a stop with nothing running passed')
    a.send({'type': 'quit'})
    check(server.wait(timeout=10) == 0, 'kvqsim did not end after quit: ' + said(server))
    return plan


if __name__ == '__main__':
    main()
