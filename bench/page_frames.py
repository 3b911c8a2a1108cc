"""Measures how fast the page draws its 3D view in headless chromium
(WebGL through SwiftShader, on the CPU): the shipped example served by
kvqsim, the engine started and the tractor rolling forward, the view from
outside and then from the cockpit, 5 s each. Reports the frames drawn a
second and the time between frames (the page keeps the last gaps in
window.kvqsimFrames).

    /usr/bin/python3 bench/page_frames.py build/bin/kvqsim
"""

import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'support'))
from chromium import chromium  # noqa: E402

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys


def main():
    server = subprocess.Popen([sys.argv[1], '--serve', '127.0.0.1:0', '--quiet'], stdout=subprocess.PIPE, text=True)
    url = re.search(r'http://[0-9.]+:\d+/', server.stdout.readline()).group(0)
    d = chromium(tempfile.mkdtemp())
    try:
        d.get(url)
        time.sleep(4)
        ActionChains(d).key_down(Keys.CONTROL).send_keys('e').key_up(Keys.CONTROL).perform()
        time.sleep(1)
        ActionChains(d).send_keys('w').perform()
        ActionChains(d).send_keys(Keys.ARROW_UP, Keys.ARROW_UP).perform()
        for mode in ('outside', 'cockpit'):
            d.find_element(By.CSS_SELECTOR, '[data-camera="%s"]' % mode).click()
            time.sleep(2)
            c0, t0 = d.execute_script('return window.kvqsimFrames.count'), time.time()
            time.sleep(5)
            c1, t1 = d.execute_script('return window.kvqsimFrames.count'), time.time()
            gaps = sorted(d.execute_script('return window.kvqsimFrames.gaps'))
            print('%s: %.1f frames a second, between frames median %.1f ms, 90th percentile %.1f ms' %
                  (mode, (c1 - c0) / (t1 - t0), statistics.median(gaps), gaps[int(0.9 * (len(gaps) - 1))]))
    finally:
        d.quit()
        server.kill()


if __name__ == '__main__':
    main()
