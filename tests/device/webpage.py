"""What the browser test and the web page's bench share: the run command on a device of their own,
headless Chromium on the handheld's page, and taps on the page's screen."""
import os
import signal
import socket
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder


def wait_for(seconds, probe):
    """The probe's first true value within the time, else its last value."""
    end = time.monotonic() + seconds
    while True:
        value = probe()
        if value or time.monotonic() > end:
            return value
        time.sleep(0.2)


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


class RunCommand:
    """The run command (./vt run's last step) on a device without a display, in a process group of its
    own so that a Ctrl-C reaches it as a terminal's does."""

    def __init__(self, src, build, dev, log, port, **env):
        self.log = log
        environment = dict(os.environ, VT_DEVICE=dev, VT_WEB_PORT=str(port), **env)
        environment.pop('DISPLAY', None)
        with open(log, 'w') as out:
            self.proc = subprocess.Popen([os.path.join(src, 'device', 'run-suite'), build], env=environment,
                                         stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                         start_new_session=True)
        self.url = f'http://127.0.0.1:{port}/'

    def text(self):
        with open(self.log, encoding='utf-8', errors='replace') as f:
            return f.read()

    def ctrl_c(self):
        os.killpg(self.proc.pid, signal.SIGINT)
        return self.proc.wait(120)

    def end(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGTERM)
            self.proc.wait(120)


def start_browser(folder, width, height):
    """Debian's Chromium, headless, with a fresh profile and nothing of its own on the network."""
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 f'--user-data-dir={tempfile.mkdtemp(prefix="profile", dir=folder)}',
                 f'--window-size={width},{height}'):
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def page_state(browser):
    """The page's state; none while the page is being replaced (the login page giving way to it)."""
    return browser.execute_script(
        "const s = document.getElementById('status'); return s ? s.dataset.state || '' : '';")


def element_text(browser, element_id):
    """An element's text; empty while the page that has it is being loaded (a form's answer)."""
    return browser.execute_script(
        "const e = document.getElementById(arguments[0]); return e ? e.textContent : '';", element_id)


def screen_connected(browser):
    return browser.execute_script(
        "const c = document.querySelector('#screen canvas'); const s = document.getElementById('status');"
        "return !!c && c.width > 0 && !!s && !s.textContent.includes('connecting');")


def to_page(browser, x, y):
    """A device pixel's place in the browser's viewport."""
    return browser.execute_script(
        "const c = document.querySelector('#screen canvas'); const r = c.getBoundingClientRect();"
        "return [Math.round(r.left + (arguments[0] + .5) * r.width / c.width),"
        "        Math.round(r.top + (arguments[1] + .5) * r.height / c.height)];", x, y)


def stylus(browser, x, y, down=True, up=True):
    """The mouse on a device pixel: a tap, or only its press or its release."""
    px, py = to_page(browser, x, y)
    actions = ActionBuilder(browser)
    actions.pointer_action.move_to_location(px, py)
    if down:
        actions.pointer_action.pointer_down()
    if down and up:
        actions.pointer_action.pause(0.08)
    if up:
        actions.pointer_action.pointer_up()
    actions.perform()
