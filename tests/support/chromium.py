"""Debian's chromium, headless, driven through chromedriver by selenium,
as the page's tests and benchmarks open it; and a process's CPU time."""

import os

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

OPTIONS = ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--window-size=1500,950')


def chromium(profile):
    """A new browser with its profile in the folder `profile`."""
    o = webdriver.ChromeOptions()
    o.binary_location = '/usr/bin/chromium'
    for a in OPTIONS + ('--user-data-dir=' + profile,):
        o.add_argument(a)
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=o)


def cpu_seconds(pid):
    """User and system CPU time of a process so far (Linux, /proc)."""
    with open('/proc/%d/stat' % pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')
