"""Several people at one served session, over raw WebSockets as any client
would open them. Two at a pushback: one drives from the cockpit while the
other adds a crew member, sends him out, walks him to the hitch by keys and
couples there; a reloaded page keeps the cockpit. The scene's meshes and
textures are served, nothing else. Then each connection is a
person with its own focus, keys and controls; what a person holds goes
when their connection goes; a page that
stops reading holds up nobody else; idle half-sent requests keep nobody out;
a ninth page is told why it is turned away; and Quit ends the session within
two seconds while one page never reads and another never closes, with the
outputs written and the record replaying to the same end."""

import http.client
import json
import os
import socket
import subprocess
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from wsclient import Page, check, serving_port, start_kvqsim, test_args  # noqa: E402
from wsclient import said as said_by  # noqa: E402

# Scan codes.
ARROW_LEFT, SPACE, KEY_E, KEY_W, KEY_4 = 0xCB, 0x39, 0x12, 0x11, 0x05
END_WITHIN = 2.0  # s from Quit to kvqsim's exit


def main():
    args, kvqsim = test_args()
    out = args.out
    # Realism mode: a crew member at the hitch couples towbar and airliner.
    pushback = start_kvqsim(kvqsim + ['--serve', '127.0.0.1:0', '--quiet', '--flight-model', '1'],
                            os.path.join(out, 'pushback.err'))
    try:
        two_at_a_pushback(serving_port(pushback))
        check(pushback.wait(timeout=10) == 0, 'the first session did not end with 0 after Quit')
    finally:
        if pushback.poll() is None:
            pushback.kill()

    record, saved = os.path.join(out, 'session.jsonl'), os.path.join(out, 'live.scn')
    server = start_kvqsim(kvqsim + ['--serve', '127.0.0.1:0', '--record', record, '--save', saved, '--quiet'],
                          os.path.join(out, 'session.err'))
    try:
        port = serving_port(server)
        people(port, server, record, saved)
    finally:
        if server.poll() is None:
            server.kill()
    replayed = os.path.join(out, 'replay.scn')
    replay = subprocess.run(kvqsim + ['--replay', record, '--save', replayed, '--quiet'], capture_output=True,
                            text=True, timeout=60)
    check(replay.returncode == 0, 'replay failed: ' + replay.stderr)
    check(open(saved, 'rb').read() == open(replayed, 'rb').read(), 'the replay ends elsewhere than the session')
    print('serve_session: passed')




def state_json(port):
    with urllib.request.urlopen('http://127.0.0.1:%d/state.json' % port, timeout=5) as r:
        return json.loads(r.read())


def two_at_a_pushback(port):
    """One person drives from the cockpit; the other sends a crew member out,
    walks him to the front hitch by keys and couples there."""
    driver = Page(port)
    driver.wait('the driver in the cockpit', lambda s: s['focus'] == 'Tug' and s['cockpit']['position'] == 0)
    walker = Page(port)
    walker.wait('the second person at the tractor', lambda s: s['focus'] == 'Tug' and s['cockpit']['position'] == -1)
    # The tractor stands with nobody aboard: the second person adds a crew member.
    walker.send({'type': 'key', 'code': KEY_4, 'down': True})
    walker.send({'type': 'key', 'code': KEY_4, 'down': False})
    for title, text in (("Enter new crew's name", 'Anna Berg'), ("Enter crew's age", '34'), ('Enter function', 'Eng')):
        walker.wait('the box ' + title, lambda s: (s['inputbox'] or '').startswith(title))
        walker.send({'type': 'inputbox', 'action': 'enter', 'text': text})
    walker.wait('the box closed', lambda s: s['inputbox'] is None)
    walker.send({'type': 'key', 'code': KEY_E, 'down': True})
    walker.send({'type': 'key', 'code': KEY_E, 'down': False})
    walker.wait('the crew member out', lambda s: any(p['focus'] for p in s['people']) and
                any(v['name'].startswith('UMmu') for v in state_json(port)['vessels']))
    crew = next(v['name'] for v in state_json(port)['vessels'] if v['name'].startswith('UMmu'))
    walker.send({'type': 'focus', 'vessel': crew})
    walker.wait('the second person on foot', lambda s: s['focus'] == crew)
    check(driver.wait('the driver', lambda s: True)['cockpit']['position'] == 0,
          'the crew member walking out took the cockpit from the driver')
    walker.send({'type': 'key', 'code': KEY_W, 'down': True})
    time.sleep(2.2)
    walker.send({'type': 'key', 'code': KEY_W, 'down': False})
    walker.send({'type': 'key', 'code': SPACE, 'down': True})
    walker.send({'type': 'key', 'code': SPACE, 'down': False})
    end = time.monotonic() + 5
    while time.monotonic() < end:
        jet = next(v for v in state_json(port)['vessels'] if v['name'] == 'Jet')
        if jet['parent'] is not None:
            break
        time.sleep(0.05)
    check(jet['parent'] is not None, 'the crew member at the hitch coupled nothing')
    check(driver.wait('the driver', lambda s: True)['focus'] == 'Tug', 'the driver lost the tractor')
    # The walker goes; the driver reloads: the new page arrives before the
    # old one is gone, and still sits in the cockpit.
    walker.close()
    reloaded = Page(port)
    driver.close()
    reloaded.wait('the reloaded page in the cockpit', lambda s: s['cockpit']['position'] == 0)
    # Quit, and keep the connection until kvqsim says goodbye: a socket closed
    # with states still unread is reset, and the reset may overtake the quit.
    reloaded.send({'type': 'quit'})
    end = time.monotonic() + 10
    while not reloaded.closed and time.monotonic() < end:
        time.sleep(0.05)
    reloaded.close()


def assets(port):
    """Meshes and textures of the scene's vessels, as the host holds them; no
    other names, no other hosts."""
    def get(path, headers=None):
        c = http.client.HTTPConnection('127.0.0.1', port, timeout=5)
        c.request('GET', path, headers=headers or {})
        r = c.getresponse()
        body = r.read()
        c.close()
        return r.status, r.getheader('Content-Type'), body
    s = state_json(port)
    tug = next(v for v in s['vessels'] if v['name'] == 'Tug')
    for m in tug['meshes']:
        status, kind, body = get(m['url'])
        check(status == 200 and kind == 'application/json' and json.loads(body)['groups'], 'mesh %s' % m['url'])
    texture = sorted(s['textures'])[0]
    status, kind, body = get(texture)
    check(status == 200 and kind == 'image/png' and body.startswith(b'\x89PNG'), 'texture %s' % texture)
    for bad in ('/mesh/nothing', '/mesh/../Config/KVQ_R7700.cfg', '/texture/kvq7700/99', '/texture/../../etc/passwd'):
        check(get(bad)[0] == 404, '%s was served' % bad)
    check(get(tug['meshes'][0]['url'], {'Host': 'attacker.example:%d' % port})[0] == 403, 'a foreign Host got a mesh')


def people(port, server, record, saved):
    assets(port)
    a = Page(port)
    a.wait('the first state', lambda s: s['focus'] == 'Tug' and s['cockpit']['position'] == 0)
    b = Page(port)
    sb = b.wait('the second person', lambda s: s['person'] is not None)
    check(sb['person'] != a.state['person'], 'two pages are one person')
    check(sb['cockpit']['position'] == -1, 'the second person took the cockpit from the first')

    # Each person's keys and focus are their own.
    a.send({'type': 'key', 'code': ARROW_LEFT, 'down': True, 'seq': 1})
    a.wait('A steering', lambda s: s['controls']['rudder'] == -1 and s['keys'] == [ARROW_LEFT])
    b.send({'type': 'focus', 'vessel': 'Jet', 'seq': 1})
    b.wait('B on the airliner', lambda s: s['focus'] == 'Jet' and s['keys'] == [])
    check(a.wait('A', lambda s: True)['focus'] == 'Tug', 'A lost the tractor to B')
    b.send({'type': 'key', 'code': ARROW_LEFT, 'down': False, 'seq': 2})
    time.sleep(0.2)
    check(a.state['keys'] == [ARROW_LEFT], "B's key-up let go of A's key")

    # What a person holds goes with them: C brakes the tractor and drops.
    c = Page(port)
    c.wait('C', lambda s: s['focus'] == 'Tug')
    c.send({'type': 'key', 'code': SPACE, 'down': True})
    a.wait('the brakes', lambda s: s['controls']['brake'] == 1)
    c.sock.shutdown(socket.SHUT_RDWR)
    c.close()
    a.wait('the brakes let go', lambda s: s['controls']['brake'] == 0, timeout=5)
    # A window that loses the keyboard lets go too.
    a.send({'type': 'blur'})
    a.wait('the steering let go', lambda s: s['controls']['rudder'] == 0 and s['keys'] == [])

    # A page that never reads: the others keep getting states.
    stuck = Page(port, reads=False)
    states, a.gaps = a.states, []
    time.sleep(6)
    check(a.states - states > 100, 'A got %d states in 6 s beside a page that does not read' % (a.states - states))
    check(max(a.gaps) < 1.0, 'A waited %.2f s for a state beside a page that does not read' % max(a.gaps))
    print('beside a page that does not read: %d states in 6 s, longest gap %.0f ms' %
          (a.states - states, 1000 * max(a.gaps)))

    # Half-sent requests keep nobody out.
    half = []
    for _ in range(20):
        h = socket.create_connection(('127.0.0.1', port), timeout=5)
        h.sendall(b'GET /state.json HTTP/1.1\r\nHost: 127.0.0.1')
        half.append(h)
    t = time.monotonic()
    state_json(port)
    check(time.monotonic() - t < 1.5, '20 half-sent requests kept /state.json waiting %.1f s' % (time.monotonic() - t))

    # Eight pages at most; the ninth is told why. (The page that did not
    # read may be dropped meanwhile: open pages until one is turned away.)
    more, ninth = [], None
    for _ in range(9):
        p = Page(port)
        end = time.monotonic() + 2
        while p.state is None and not p.closed and time.monotonic() < end:
            time.sleep(0.02)
        if p.state is None:
            ninth = p
            break
        more.append(p)
    check(ninth is not None, 'nine pages were let in at once')
    end = time.monotonic() + 5
    while not ninth.closed and time.monotonic() < end:
        time.sleep(0.05)
    check(ninth.closed and any(m['type'] == 'error' and '8 pages' in m['message'] for m in ninth.messages),
          'the ninth page was not told why it was turned away: %r' % ninth.messages)

    # Quit, with one page that never reads and one that never closes.
    lingering = more[0]
    lingering.answers_close = False
    t = time.monotonic()
    a.send({'type': 'quit'})
    try:
        code = server.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise SystemExit('FAILED: kvqsim still runs 10 s after Quit')
    took = time.monotonic() - t
    said = said_by(server)
    check(code == 0, 'kvqsim ended with %d after Quit: %s' % (code, said))
    check(took < END_WITHIN, 'kvqsim took %.2f s to end after Quit' % took)
    check(any(m['type'] == 'bye' for m in a.messages), 'A was not told the session ended')
    check(os.path.getsize(saved) > 0 and '"end":true' in open(record).read().rstrip().splitlines()[-1],
          'the outputs were not written')
    for p in [a, b, stuck, ninth] + more + half:
        p.close() if isinstance(p, Page) else p.close()
    print('quit to exit: %.2f s' % took)


if __name__ == '__main__':
    main()
