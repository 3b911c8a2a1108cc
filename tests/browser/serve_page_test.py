"""A person at the page does the README's pushback, key by key: starts the
engine with Ctrl+E, couples towbar and airliner with the display keys,
selects forward with W and pushes the airliner tail first straight back,
steers, brakes with Space, releases airliner and towbar with the display
keys and backs away; the event list tells each coupling with both vessels'
names. Then adds a crew member through the input box, quits. The record of
the session then replays headless to the same saved scenario, trace and
plot. In a second session the pushback is planned on the map, started and
stopped with the page's buttons. The page's screenshots are kept in the
output folder."""

import http.client
import json
import math
import os
import re
import shutil
import subprocess
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from wsclient import check, said, start_kvqsim, test_args  # noqa: E402

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

# Animation ids of the tractor (the order it creates them in).
SPEEDOMETER, GEAR_INDICATOR = 8, 11
PUSHED = 20  # m the airliner goes back straight, tail first


def main():
    args, kvqsim = test_args()
    out = args.out
    live = {k: os.path.join(out, 'live.' + k) for k in ('scn', 'csv', 'svg')}
    again = {k: os.path.join(out, 'replay.' + k) for k in ('scn', 'csv', 'svg')}
    record = os.path.join(out, 'session.jsonl')

    server = start_kvqsim(kvqsim + ['--serve', '127.0.0.1:0', '--record', record, '--save', live['scn'],
                                    '--trace', live['csv'], '--plot', live['svg'], '--quiet'],
                          os.path.join(out, 'session.err'))
    driver = None
    try:
        line = server.stdout.readline()
        m = re.search(r'http://([0-9.]+):(\d+)/', line)
        check(m, 'kvqsim printed no address: %r' % line)
        url, port = m.group(0), int(m.group(2))
        check_requests(port)
        driver = browser(out)
        session(driver, url, out)
        driver.find_element(By.ID, 'quit').click()
        check(server.wait(timeout=20) == 0, 'kvqsim did not end with 0 after quit: ' + said(server))
    finally:
        leave(server, driver, out)

    replay = subprocess.run(kvqsim + ['--replay', record, '--save', again['scn'], '--trace', again['csv'],
                             '--plot', again['svg'], '--quiet'], capture_output=True, text=True, timeout=60)
    check(replay.returncode == 0, 'replay failed: ' + replay.stderr)
    for k in live:
        check(read(live[k]) == read(again[k]), 'the replay\'s %s differs from the session\'s' % k)
    saved = read(live['scn']).decode()
    check('Anna' in saved and 'Berg' in saved, 'the new crew member is not in the saved scenario')
    planner(kvqsim, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(args.kvqsim))), 'root'), out)
    print('browser_serve_page: passed (record of %d inputs replayed to the same end)' %
          (len(read(record).splitlines()) - 2))


def planner(kvqsim, build_root, out):
    """The pushback planned on the map: two clicks behind the airliner, the
    sweep shown, Start, and Stop leaving the tractor braked. In a root of its
    own, since the plan flown is kept there."""
    root = os.path.join(out, 'root')
    shutil.copytree(build_root, root)
    server = start_kvqsim(kvqsim + ['--serve', '127.0.0.1:0', '--root', root, '--quiet'],
                          os.path.join(out, 'planner.err'))
    d = None
    try:
        url = re.search(r'http://[0-9.]+:\d+/', server.stdout.readline()).group(0)
        d = browser(out)
        d.get(url)

        def state():
            with urllib.request.urlopen(url + 'state.json', timeout=5) as r:
                return json.loads(r.read())

        def until(what, pred, timeout=15):
            end = time.time() + timeout
            while time.time() < end:
                if pred():
                    return
                time.sleep(0.1)
            raise SystemExit('FAILED: waiting for %s' % what)

        jet = lambda: next(v for v in state()['vessels'] if v['name'] == 'Jet')  # noqa: E731
        until('the page', lambda: d.find_element(By.ID, 'status').text == 'connected')
        e0 = jet()['east']
        check(d.find_element(By.CSS_SELECTOR, '[data-role="plan-start"]').get_attribute('disabled'),
              'Start is enabled without a plan')
        # The map follows the tractor (at the origin); zoomed out to 12 / 1.5^3 px a metre.
        for _ in range(3):
            d.find_element(By.ID, 'zoom-out').click()
        scale = 12 / 1.5 ** 3
        d.find_element(By.ID, 'plan-tool').click()
        m = d.find_element(By.ID, 'map')
        for e in (e0 - 15, e0 - 30):
            ActionChains(d).move_to_element_with_offset(m, round(e * scale), 0).click().perform()
        note = lambda: d.find_element(By.ID, 'plan-note').text  # noqa: E731
        until('the plan tried', lambda: note().startswith('Jet:'))
        d.save_screenshot(os.path.join(out, 'planner.png'))
        d.find_element(By.CSS_SELECTOR, '[data-role="plan-start"]').click()
        until('the push', lambda: e0 - jet()['east'] > 3, timeout=30)
        d.find_element(By.CSS_SELECTOR, '[data-role="plan-stop"]').click()
        until('the stop', lambda: (state()['pushback'] or {}).get('phase') == 'stopped')
        progress = d.find_element(By.CSS_SELECTOR, '[data-role="plan-progress"]')
        until('the progress shown', lambda: 'stopped' in progress.text)
        time.sleep(3)
        before = jet()['east']
        time.sleep(1)
        check(abs(jet()['east'] - before) < 1e-3, 'the airliner still moves after Stop')
        check(d.find_element(By.CSS_SELECTOR, '[data-role="plan-stop"]').get_attribute('disabled'),
              'Stop is enabled with nothing running')
        d.save_screenshot(os.path.join(out, 'planner-stopped.png'))
        d.find_element(By.ID, 'quit').click()
        check(server.wait(timeout=20) == 0, 'kvqsim did not end with 0 after quit: ' + said(server))
    finally:
        leave(server, d, out)


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def leave(server, driver, out):
    """Whatever happened: the browser closed, kvqsim ended, its profile gone."""
    if driver:
        driver.quit()
    if server.poll() is None:
        server.kill()
    shutil.rmtree(os.path.join(out, 'profile'), ignore_errors=True)


def check_requests(port):
    """Another site's page may not open the socket; a name other than an
    address or localhost is refused; the state is there to read."""
    def status(headers, path='/ws'):
        c = http.client.HTTPConnection('127.0.0.1', port, timeout=5)
        c.request('GET', path, headers=headers)
        r = c.getresponse()
        c.close()
        return r.status
    upgrade = {'Upgrade': 'websocket', 'Connection': 'Upgrade', 'Sec-WebSocket-Version': '13',
               'Sec-WebSocket-Key': 'dGhlIHNhbXBsZSBub25jZQ=='}
    check(status({**upgrade, 'Origin': 'http://attacker.example'}) == 403, 'a foreign Origin reached /ws')
    check(status({'Host': 'attacker.example:%d' % port}, '/state.json') == 403, 'a foreign Host was served')
    check(status({}, '/../../etc/passwd') == 404, 'a path outside the page was served')


def browser(out):
    o = webdriver.ChromeOptions()
    o.binary_location = '/usr/bin/chromium'
    for a in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
              '--disable-background-networking', '--disable-component-update', '--disable-sync',
              '--window-size=1500,950', '--user-data-dir=' + os.path.join(out, 'profile')):
        o.add_argument(a)
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=o)


def session(d, url, out):
    def state():
        with urllib.request.urlopen(url + 'state.json', timeout=5) as r:
            return json.loads(r.read())

    def wait(what, pred, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            s = state()
            if pred(s):
                return s
            time.sleep(0.05)
        raise SystemExit('FAILED: waiting for %s; last state: display %s, inputbox %s, controls %s' %
                         (what, display(s), s['inputbox'], s['controls']))

    def tug(s):
        return next(v for v in s['vessels'] if v['name'] == 'Tug')

    def jet(s):
        return next(v for v in s['vessels'] if v['name'] == 'Jet')

    def display(s):
        return [t['text'] for a in s['cockpit']['areas'] for t in a.get('texts', [])]

    def keys(*ks):
        ActionChains(d).send_keys(*ks).perform()

    d.get(url)
    wait('the page', lambda s: display(s) == ['START'])
    time.sleep(1)
    d.save_screenshot(os.path.join(out, 'outside.png'))
    d.find_element(By.CSS_SELECTOR, '[data-camera="cockpit"]').click()
    check(len(d.find_elements(By.CSS_SELECTOR, '[data-area]')) >= 13, 'clickable cockpit controls missing')
    time.sleep(1)
    d.save_screenshot(os.path.join(out, 'cockpit.png'))

    # Engine on.
    ActionChains(d).key_down(Keys.CONTROL).send_keys('e').key_up(Keys.CONTROL).perform()
    wait('the display after Ctrl+E', lambda s: 'Attach Towbar to' in display(s))

    # Towbar and airliner with the display key under "Front"; the event list
    # names both vessels of each coupling.
    def events():
        return [e.text for e in d.find_elements(By.CSS_SELECTOR, '[data-role="events"] li')]

    def wait_event(what, pred, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            if any(pred(t) for t in events()):
                return
            time.sleep(0.05)
        raise SystemExit('FAILED: no event for %s; events: %r' % (what, events()[-8:]))

    d.find_element(By.CSS_SELECTOR, '[data-area="12"]').click()
    wait('the towbar', lambda s: 'Towbar Attached to: Front' in display(s))
    wait_event('the towbar coupled', lambda t: 'Tug_Towbar' in t and 'Tug' in t.replace('Tug_Towbar', '') and
               'attached' in t)
    d.find_element(By.CSS_SELECTOR, '[data-area="12"]').click()
    s = wait('the airliner', lambda s: 'Vessel Attached:Jet' in display(s))
    check(jet(s)['parent'] is not None, 'the airliner hangs on nothing')
    wait_event('the airliner coupled', lambda t: 'Jet' in t and 'Tug' in t and 'attached' in t)

    # Forward gear pushes: the tractor faces the airliner's nose. Straight
    # back by 20 m or more, tail first.
    start = jet(state())
    keys('w')
    wait('forward', lambda s: tug(s)['anims'][GEAR_INDICATOR] > 0.5)
    keys(Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP)
    wait('the accelerator', lambda s: abs(s['controls']['main'] - 0.3) < 1e-9)
    pushed = wait('the straight pushback', lambda s: start['east'] - jet(s)['east'] >= PUSHED, timeout=60)
    turned = math.degrees(math.remainder(jet(pushed)['hdg'] - start['hdg'], 2 * math.pi))
    check(abs(turned) < 5, 'the airliner turned %.1f degrees on the straight push' % turned)
    check(abs(jet(pushed)['north'] - start['north']) < 1, 'the airliner left the line of its axis')
    d.save_screenshot(os.path.join(out, 'pushback.png'))

    # Then steer a little, and brake to a stop with Space.
    ActionChains(d).key_down(Keys.ARROW_LEFT).perform()
    wait('steering', lambda s: s['controls']['rudder'] == -1)
    time.sleep(1)
    ActionChains(d).key_up(Keys.ARROW_LEFT).perform()
    wait('straight ahead', lambda s: s['controls']['rudder'] == 0)
    keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_DOWN)
    ActionChains(d).key_down(Keys.SPACE).perform()
    wait('a stop', lambda s: tug(s)['anims'][SPEEDOMETER] == 0 and s['controls']['brake'] == 1, timeout=20)
    ActionChains(d).key_up(Keys.SPACE).perform()

    # Release the airliner and the towbar with the display keys, then back
    # away from the airliner's nose in reverse.
    d.find_element(By.CSS_SELECTOR, '[data-area="12"]').click()
    s = wait('the airliner let go', lambda s: jet(s)['parent'] is None)
    wait_event('the airliner released', lambda t: 'Jet' in t and 'released' in t)
    d.find_element(By.CSS_SELECTOR, '[data-area="13"]').click()
    wait('the towbar let go', lambda s: 'Attach Towbar to' in display(s))
    keys('s', 's')
    wait('reverse', lambda s: tug(s)['anims'][GEAR_INDICATOR] == 0)
    keys(Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP)

    def apart(s):
        return math.hypot(tug(s)['east'] - jet(s)['east'], tug(s)['north'] - jet(s)['north'])
    near = apart(state())
    wait('backing away', lambda s: apart(s) > near + 10, timeout=30)
    keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_DOWN)
    ActionChains(d).key_down(Keys.SPACE).perform()
    s = wait('a stop', lambda s: tug(s)['anims'][SPEEDOMETER] == 0, timeout=20)
    ActionChains(d).key_up(Keys.SPACE).perform()
    coupled = [v['name'] for v in s['vessels'] if v['parent'] is not None]
    check(not coupled, 'still coupled at the end: %r' % coupled)
    d.save_screenshot(os.path.join(out, 'apart.png'))

    # A crew member through the input box; a one-letter name is refused.
    keys('4')
    wait('the name box', lambda s: (s['inputbox'] or '').startswith("Enter new crew's name"))
    box = d.find_element(By.CSS_SELECTOR, '[data-role="inputbox"]')
    box.send_keys('A', Keys.ENTER)
    time.sleep(0.3)
    check((state()['inputbox'] or '').startswith("Enter new crew's name"), 'a one-letter name closed the box')
    d.save_screenshot(os.path.join(out, 'inputbox.png'))
    box.send_keys(Keys.BACKSPACE, 'Anna Berg', Keys.ENTER)
    wait('the age box', lambda s: s['inputbox'] == "Enter crew's age")
    d.find_element(By.CSS_SELECTOR, '[data-role="inputbox"]').send_keys('34', Keys.ENTER)
    wait('the function box', lambda s: (s['inputbox'] or '').startswith('Enter function'))
    d.find_element(By.CSS_SELECTOR, '[data-role="inputbox"]').send_keys('Crew', Keys.ENTER)
    wait('the box closed', lambda s: s['inputbox'] is None)
    # The crew list shows the new member aboard the tractor.
    end = time.time() + 10
    while 'Anna Berg' not in d.find_element(By.CSS_SELECTOR, '[data-role="crew"]').text and time.time() < end:
        time.sleep(0.1)
    check('Anna Berg' in d.find_element(By.CSS_SELECTOR, '[data-role="crew"]').text, 'Anna Berg is not in the crew list')
    check(any('answered: Anna Berg' in t for t in events()), 'the answered input box is not in the event list')

    # A bad message is answered with an error and changes nothing.
    reply = d.execute_async_script('''
        const done = arguments[arguments.length - 1];
        const ws = new WebSocket(`ws://${location.host}/ws`);
        ws.onopen = () => ws.send(JSON.stringify({type: 'key', code: 999, down: true, seq: 5}));
        ws.onmessage = (e) => { const m = JSON.parse(e.data); if (m.type === 'error') { ws.close(); done(m); } };
        setTimeout(() => done(null), 4000);''')
    check(reply and reply['seq'] == 5 and '0..255' in reply['message'], 'no error for a bad key code: %r' % reply)
    d.save_screenshot(os.path.join(out, 'page.png'))


if __name__ == '__main__':
    main()
