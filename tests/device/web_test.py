#!/usr/bin/python3
"""The handheld's web page end to end, in a real browser (headless Chromium through its driver),
against a device of its own started by the run command without a display, on a port of its own.

    web_test.py SOURCE_DIR BUILD_DIR page|password

What a user of the page does and sees, each checked in the device too: the page loads from this
machine alone without a console error; its screen is the device's; a tap on Start opens the Start menu,
a typed letter starts Vantora, keys move its focus, a held press on the close button shows its ring
and menu; the off key darkens the screen; requests of other sites are refused; Ctrl-C leaves nothing
running and the page says so ("page"). With an address named, a wrong password gets nothing, the right
one the page; the battery at 20 % shows in the battery bar; a turn turns device and frame; a soft reset
and the page's own reconnection; a second run is refused ("password"). Each in a device of its own, so
that the two run beside each other and the rest.
"""
import base64
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import webpage  # noqa: E402
from webpage import free_port, wait_for  # noqa: E402

src, build, part = sys.argv[1], sys.argv[2], sys.argv[3]
work = os.path.join(build, f'webtest-{part}')
dev = os.path.join(work, 'dev')
vtd = os.path.join(src, 'device', 'vtdevice')
runs = []       # run commands started, for the cleanup
browser = None
GUI_LOG = os.path.join(dev, 'prefix', 'drive_c', 'VT.gui.txt')
QL_LOG = os.path.join(dev, 'prefix', 'drive_c', 'VT.ql.txt')


class Failure(Exception):
    pass


def check(ok, what):
    if not ok:
        raise Failure(what)


def vtdevice(*args, timeout=60):
    done = subprocess.run([vtd, *args], capture_output=True, text=True, timeout=timeout, stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout.replace('\r', '')


def windows():
    """The device's visible top-level windows, as (class, title)."""
    _, out = vtdevice('windows', dev)
    return [tuple((line.split('\t') + [''])[:2]) for line in out.splitlines() if line]


def has_window(cls):
    return any(c == cls for c, _ in windows())


def wait_window(seconds, cls, gone=False):
    """Until a window of the class is there (or gone): one program of the device waits for it."""
    rc, _ = vtdevice('exec', dev, r'C:\windows\devtool.exe', 'wait-gone' if gone else 'wait-window', cls, '-',
                     str(seconds * 1000), timeout=seconds + 60)
    return rc == 0


def log_lines(path):
    try:
        with open(path, encoding='utf-8', errors='replace') as f:
            return f.read().splitlines()
    except OSError:
        return []


def Run(port, **env):
    run = webpage.RunCommand(src, build, dev, os.path.join(work, f'run{len(runs)}.log'), port, **env)
    runs.append(run)
    return run


def start_browser():
    # A small window: the screen is shown scaled down.
    return webpage.start_browser(work, 520, 700)


def page_state():
    return webpage.page_state(browser)


def screen_connected():
    return webpage.screen_connected(browser)


def stylus(x, y, down=True, up=True):
    webpage.stylus(browser, x, y, down, up)


def canvas_png(path):
    """The page's screen as a picture; false (and no picture) while the stream is being replaced."""
    data = browser.execute_script(
        "const c = document.querySelector('#screen canvas');"
        "return c && c.width && c.height ? c.toDataURL('image/png') : '';")
    if not data:
        return False
    with open(path, 'wb') as f:
        f.write(base64.b64decode(data.split(',', 1)[1]))
    return True


def canvas_row(y):
    """RGB of every pixel of one row of the page's screen; none while the stream is being replaced."""
    return browser.execute_script(
        "const c = document.querySelector('#screen canvas'); if (!c || !c.width || !c.height) return [];"
        "const d = c.getContext('2d').getImageData(0, arguments[0], c.width, 1).data;"
        "const out = []; for (let i = 0; i < d.length; i += 4) out.push([d[i], d[i+1], d[i+2]]); return out;", y)


def differing(a, b, fuzz='12%'):
    """How many pixels of two pictures of the same size differ by more than the fuzz."""
    done = subprocess.run(['compare', '-metric', 'AE', '-fuzz', fuzz, a, b, 'null:'],
                          capture_output=True, text=True)
    return float(done.stderr.split()[0])


def size_of(path):
    return tuple(int(v) for v in subprocess.run(['identify', '-format', '%w %h', path], capture_output=True,
                                                text=True).stdout.split())


def device_screenshot(name):
    path = os.path.join(work, name)
    rc, _ = vtdevice('screenshot', dev, path)
    check(rc == 0, 'vtdevice screenshot failed')
    return path


def keys(*sequence):
    ActionChains(browser).send_keys(*sequence).perform()


def click(element_id):
    browser.find_element(By.ID, element_id).click()


def watch_for_red(x, y, w, h):
    """From now on the page looks at a part of its screen every few milliseconds for strong red."""
    browser.execute_script(
        "clearInterval(window.redWatch); window.redSeen = false; const a = arguments;"
        "window.redWatch = setInterval(() => { const c = document.querySelector('#screen canvas'); if (!c) return;"
        "const d = c.getContext('2d').getImageData(a[0], a[1], a[2], a[3]).data;"
        "let n = 0; for (let i = 0; i < d.length; i += 4) n += d[i] > 180 && d[i+1] < 90 && d[i+2] < 90;"
        "if (n > 10) window.redSeen = true; }, 5);", x, y, w, h)


def red_seen():
    """Whether the page showed that red since watch_for_red; the watching stops."""
    return browser.execute_script("clearInterval(window.redWatch); return window.redSeen;")


def mostly_black(png):
    mean = subprocess.run(['convert', png, '-colorspace', 'gray', '-format', '%[fx:mean]', 'info:'],
                          capture_output=True, text=True).stdout
    return float(mean) < 0.02


def network_requests():
    """Every URL the page asked for, and those that failed or were refused."""
    asked, bad, urls = [], [], {}
    for entry in browser.get_log('performance'):
        message = json.loads(entry['message'])['message']
        params = message.get('params', {})
        if message['method'] == 'Network.requestWillBeSent':
            urls[params['requestId']] = params['request']['url']
            asked.append(params['request']['url'])
        elif message['method'] == 'Network.webSocketCreated':
            asked.append(params['url'])
        elif message['method'] == 'Network.responseReceived' and params['response']['status'] >= 400:
            bad.append(f"{params['response']['status']} {params['response']['url']}")
        elif message['method'] == 'Network.loadingFailed' and not params.get('canceled'):
            bad.append(f"{params.get('errorText')} {urls.get(params['requestId'], '?')}")
    return asked, bad


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(('127.0.0.1', port)) == 0


def start_program(name):
    """One of the suite's programs, started in the running device (its run ends with the device's)."""
    return subprocess.Popen([vtd, 'exec', dev, rf'C:\Program Files\Vantora\{name}.exe'],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)


def leftovers(port):
    """Whatever of the run still runs: the device's programs, its display, the page and VNC servers."""
    left = []
    rc, out = vtdevice('pids', dev)
    left += [f'device process {p}' for p in out.split()]
    for p in os.listdir('/proc'):
        if not p.isdigit():
            continue
        try:
            with open(f'/proc/{p}/cmdline', 'rb') as f:
                cmd = f.read().replace(b'\0', b' ').decode(errors='replace')
        except OSError:
            continue
        if dev in cmd and ('webserve' in cmd or 'x11vnc' in cmd or 'run-suite' in cmd):
            left.append(cmd)
    for name in ('xvfb.pid', 'shell.pid', 'run.pid'):
        if os.path.exists(os.path.join(dev, name)):
            left.append(name)
    if listening(port):
        left.append(f'port {port}')
    return left


def test_page():
    global browser
    port = free_port()
    run = Run(port)
    check(wait_for(60, lambda: 'page: ' + run.url in run.text()), 'no address printed:\n' + run.text())
    check(wait_for(180, lambda: 'is running' in run.text()), 'the device did not boot:\n' + run.text())
    check(f'on the page {run.url}' in run.text(), 'the display line does not name the page')
    check('ssh -L' in run.text(), 'no word on reaching the page from another machine')

    # Debug logs on, then Vantora anew from the page; the close button running.
    check(wait_window(60, 'VANTORA'), 'Vantora did not start with the run')
    vtdevice('exec', dev, r'C:\windows\system32\reg.exe', 'add', r'HKLM\Software\Ondrel\Vantora', '/v', 'EnableDebug',
             '/t', 'REG_DWORD', '/d', '1', '/f')
    vtdevice('exec', dev, r'C:\windows\devtool.exe', 'close-window', 'VANTORA', 'Vantora')
    check(wait_window(20, 'VANTORA', gone=True), 'Vantora did not close')
    quitlet = start_program('QuitletApp')
    check(wait_for(30, lambda: any('Going for message loop' in l for l in log_lines(QL_LOG))),
          'the close button did not start')

    # A small window: the screen is scaled down, without distortion.
    browser = start_browser()
    browser.get('about:blank')
    browser.get_log('performance')
    browser.get(run.url)
    check(wait_for(30, lambda: page_state() == 'running' and screen_connected()),
          f'the page did not show the running device: {page_state()}')
    # A second to look at: the page's requests are those it makes while it runs, not only at its load.
    time.sleep(1)
    # The browser's own pages (chrome:) and pictures the client makes itself (data:) are no requests.
    asked, bad = network_requests()
    asked = [u for u in asked if re.match(r'(https?|wss?|ftp)://', u)]
    check(asked and all(re.match(rf'(http|ws)://127\.0\.0\.1:{port}/', u) for u in asked),
          f'requests beyond the page server: {[u for u in asked if str(port) not in u]}')
    check(any(u.endswith('/websockify') for u in asked), 'the screen was not streamed from the page server')
    check(not bad, f'requests that failed: {bad}')
    # The requests are checked: the browser stops recording every frame of the stream from here on.
    browser.execute_cdp_cmd('Network.disable', {})
    errors = [e['message'] for e in browser.get_log('browser') if e['level'] == 'SEVERE']
    check(not errors, f'console errors: {errors}')
    width, height = browser.execute_script(
        "const r = document.getElementById('screen').getBoundingClientRect(); return [r.width, r.height];")
    check(width < 480 and abs(width / height - 480 / 640) < 0.01, f'screen shown at {width}x{height}')
    browser.save_screenshot(os.path.join(work, 'page.png'))

    # The page's screen is the device's: its own pixels, and as shown, scaled.
    shot = device_screenshot('device.png')
    check(canvas_png(os.path.join(work, 'canvas.png')), 'the page shows no screen')
    check(size_of(os.path.join(work, 'canvas.png')) == size_of(shot) == (480, 640), 'screen sizes differ')
    diff = differing(shot, os.path.join(work, 'canvas.png'), '3%')
    check(diff < 480 * 640 * 0.01, f'the page shows another screen: {diff} pixels differ')
    element = os.path.join(work, 'element.png')
    browser.find_element(By.CSS_SELECTOR, '#screen canvas').screenshot(element)
    w, h = size_of(element)
    scaled = os.path.join(work, 'device-scaled.png')
    subprocess.run(['convert', shot, '-resize', f'{w}x{h}!', scaled], check=True)
    diff = differing(scaled, element, '20%')
    check(diff < w * h * 0.03, f'the shown screen differs from the device: {diff} of {w * h} pixels')

    # A tap on Start opens the device's Start menu; a typed letter there starts Vantora.
    def lists_done():
        return sum(1 for l in log_lines(GUI_LOG) if l.startswith('GetProcessList paths, icons, levels and CPU loads done'))
    lists_before = lists_done()
    bar = 52
    stylus(bar // 2, bar // 2)
    check(wait_for(5, lambda: has_window('#32768')), 'a tap on Start in the page opened no menu in the device')
    keys('v')
    check(wait_window(20, 'VANTORA'), 'a typed "v" in the Start menu did not start Vantora')
    check(wait_for(10, lambda: not has_window('#32768')), 'the Start menu stayed open')
    # Keys are for it once its list is whole (the second step of its start, after the window shows).
    check(wait_for(20, lambda: lists_done() > lists_before), 'Vantora did not start whole')

    # Keys: the keyboard's Down, the pad's Down and Enter open the menu's third page.
    # (One stream carries them all, in the order given: no pause between them.)
    keys(Keys.ARROW_DOWN)
    browser.find_element(By.CSS_SELECTOR, '#dpad [data-key=down]').click()
    keys(Keys.ENTER)
    check(wait_for(10, lambda: 'currp 3' in log_lines(GUI_LOG)),
          f'the keys did not move the focus to the third row: {[l for l in log_lines(GUI_LOG) if "currp" in l]}')

    # A held press on the close button: its red ring fills while held (seen in the page), then its menu
    # opens in the device. The ring shows for half a second: the page itself looks at every picture
    # it draws meanwhile. A busy machine may stream none of them; the press is then made again, with
    # the menu the first one opened closed.
    for attempt in range(3):
        watch_for_red(480 - bar, 0, bar, bar)
        stylus(480 - bar // 2, bar // 2, up=False)
        check(wait_for(5, lambda: has_window('#32768')), 'no menu while the press was held')
        stylus(480 - bar // 2, bar // 2, down=False)
        ring = red_seen()
        if ring:
            break
        stylus(240, bar // 2)
        check(wait_for(5, lambda: not has_window('#32768')), 'a tap beside the menu left it open')
    check(ring, 'no red ring while the press was held')
    check(any(l.endswith('Tap and hold: menu') for l in log_lines(QL_LOG)), 'the close button logs no hold')
    # A tap beside the menu closes it.
    stylus(240, bar // 2)
    check(wait_for(5, lambda: not has_window('#32768')), 'a tap beside the menu left it open')

    # The off key darkens the screen, in the device and the page; a tap wakes it.
    click('off')
    check(wait_for(5, lambda: mostly_black(device_screenshot('off.png'))), 'the off key left the screen lit')
    off = os.path.join(work, 'canvas-off.png')
    check(wait_for(5, lambda: canvas_png(off) and mostly_black(off)), 'the page still shows a lit screen')
    stylus(240, 400)
    check(wait_for(5, lambda: not mostly_black(device_screenshot('woken.png'))), 'a tap did not wake the screen')

    # What the page never does is refused: another site's script (its origin, or a name of its own for
    # this machine) reaching the stream or a button, a battery the device cannot have.
    battery = vtdevice('battery', dev)[1]
    refusals = {
        'stream from another site': _raw(port, '/websockify', websocket=True, origin='http://elsewhere.example'),
        'button from another site': _raw(port, '/api/off', method='POST', origin='http://elsewhere.example',
                                         body='{}'),
        'page by another name': _raw(port, '/', host=f'elsewhere.example:{port}'),
        'battery at 300 %': _raw(port, '/api/battery', method='POST', body='{"percent": 300, "charging": false}'),
        'a button that is not there': _raw(port, '/api/explode', method='POST', body='{}'),
        'a file beside the client': _raw(port, '/novnc/../../../etc/passwd.js'),
    }
    wrong = {what: line for what, line in refusals.items() if not re.match(r'HTTP/1\.1 4\d\d', line)}
    check(not wrong, f'not refused: {wrong}')
    check(vtdevice('battery', dev)[1] == battery and not mostly_black(device_screenshot('after-refusals.png')),
          'a refused request changed the device')

    # Ctrl-C: the page says the device is off, and nothing of the run is left.
    check(run.ctrl_c() == 0, 'the run did not end well at Ctrl-C')
    check(wait_for(10, lambda: page_state() == 'off'), f'the page did not say the device is off: {page_state()}')
    check(wait_for(10, lambda: not leftovers(port)), f'left running after Ctrl-C: {leftovers(port)}')
    quitlet.wait(30)
    browser.quit()
    browser = None


def test_password():
    global browser
    port = free_port()
    # An address named: a password printed once; a wrong one gets nothing and is logged.
    run = Run(port, VT_WEB_ADDR='127.0.0.1')
    check(wait_for(60, lambda: 'page: ' + run.url in run.text()), 'no address printed:\n' + run.text())
    m = re.search(r'password (\S+) ', run.text())
    check(m, 'no password printed:\n' + run.text())
    password = m.group(1)
    check('ssh -L' not in run.text(), 'the SSH hint is shown for a named address')
    browser = start_browser()
    browser.get(run.url)
    browser.find_element(By.ID, 'password').send_keys('not-' + password)
    browser.find_element(By.ID, 'enter').click()
    check(wait_for(10, lambda: 'Wrong password' in webpage.element_text(browser, 'message')),
          'a wrong password was not refused')
    check(wait_for(5, lambda: 'wrong password from 127.0.0.1' in run.text()), 'the wrong password was not logged')
    check(not browser.find_elements(By.ID, 'screen'), 'a wrong password got the page')
    check(_raw(port, '/api/status').startswith('HTTP/1.1 403'), 'the status was given without the password')
    check(_raw(port, '/websockify', websocket=True).startswith('HTTP/1.1 403'),
          'the stream was opened without the password')
    check(_raw(port, '/handheld.js').startswith('HTTP/1.1 403'), 'the page\'s script was given away')
    browser.find_element(By.ID, 'password').send_keys(password)
    browser.find_element(By.ID, 'enter').click()
    check(wait_for(180, lambda: page_state() == 'running' and screen_connected()),
          'the right password did not open the page')
    check(run.text().count(password) == 1, 'the password was printed more than once')
    gauge = start_program('GaugeletApp')

    # The battery at 20 % through the page: the device's value and the page's cell now, the battery bar
    # (which reads the battery every 5 seconds) after the turns.
    click('battery')
    browser.execute_script("const l = document.getElementById('level'); l.value = 20;"
                           "l.dispatchEvent(new Event('input')); document.getElementById('charging').checked = false;")
    click('battery-set')
    check(wait_for(10, lambda: vtdevice('battery', dev)[1].strip() == '20 2'),
          f'the device\'s battery is {vtdevice("battery", dev)[1].strip()}')
    check(wait_for(5, lambda: browser.find_element(By.ID, 'percent').text == '20 %'), 'the page shows no 20 %')

    # A turn: the device's screen and the frame.
    click('rotate')
    check(wait_for(15, lambda: open(os.path.join(dev, 'screen')).read().strip() == '640x480'
                   if os.path.exists(os.path.join(dev, 'screen')) else False), 'the device did not turn')
    check(wait_for(15, lambda: browser.execute_script(
        "const c = document.querySelector('#screen canvas'); const r = document.getElementById('screen')"
        ".getBoundingClientRect(); return document.getElementById('handheld').classList.contains('landscape')"
        " && r.width > r.height && !!c && c.width === 640 && c.height === 480;") and screen_connected()),
        'the frame did not turn with the device')
    browser.save_screenshot(os.path.join(work, 'page-landscape.png'))
    click('rotate')
    check(wait_for(15, lambda: open(os.path.join(dev, 'screen')).read().strip() == '480x640'), 'no turn back')
    # The stream follows the screen's new size: the page's screen is the portrait one again.
    check(wait_for(15, lambda: browser.execute_script(
        "const c = document.querySelector('#screen canvas');"
        "return document.getElementById('handheld').classList.contains('portrait')"
        " && !!c && c.width === 480 && c.height === 640;") and screen_connected()),
        'the frame did not turn back')

    def bar_length():
        row = canvas_row(1)
        lit = [i for i, (r, g, b) in enumerate(row) if r > 150 and g < 140 and b < 100]
        return (len(lit), lit[0] if lit else -1)
    check(wait_for(12, lambda: abs(bar_length()[0] - 96) <= 8 and bar_length()[1] <= 2),
          f'the battery bar in the page is {bar_length()} pixels long, not a fifth of 480')

    # A soft reset: the page says so, and reconnects by itself to the booted device (the password is
    # not asked again).
    click('reset')
    check(wait_for(10, lambda: page_state() == 'resetting'), f'the page did not say resetting: {page_state()}')
    check(wait_for(120, lambda: 'Soft reset' in run.text()), 'the device did not reset')
    check(wait_for(120, lambda: page_state() == 'running' and screen_connected()), 'the page did not reconnect')
    check(wait_for(30, lambda: not mostly_black(device_screenshot('after-reset.png'))), 'no screen after reset')
    after = os.path.join(work, 'canvas-reset.png')
    check(wait_for(10, lambda: canvas_png(after) and not mostly_black(after)), 'the reconnected page shows no screen')
    gauge.wait(30)

    # A second run while this one serves: refused, the first goes on.
    second = subprocess.run([os.path.join(src, 'device', 'run-suite'), build], capture_output=True, text=True,
                            env=dict(os.environ, VT_DEVICE=dev, VT_WEB_PORT=str(free_port())), timeout=60,
                            stdin=subprocess.DEVNULL)
    check(second.returncode != 0 and 'already running' in second.stderr and run.url in second.stderr,
          f'a second run was not refused clearly: {second.returncode} {second.stderr}')
    check(run.proc.poll() is None and vtdevice('running', dev)[0] == 0, 'the second run disturbed the first')

    # The VNC server has no port of its own, the page listens on the address named only.
    ss = subprocess.run(['ss', '-ltnpH'], capture_output=True, text=True).stdout
    check(not [l for l in ss.splitlines() if 'x11vnc' in l], 'the VNC server listens on a port:\n' + ss)
    check(run.ctrl_c() == 0, 'the second run did not end well at Ctrl-C')
    check(wait_for(10, lambda: not leftovers(port)), f'left running after Ctrl-C: {leftovers(port)}')


def _raw(port, path, websocket=False, method='GET', host=None, origin=None, body=''):
    """The first line of the server's answer to a request of this test's own making (no session)."""
    host = host or f'127.0.0.1:{port}'
    request = f'{method} {path} HTTP/1.1\r\nHost: {host}\r\nOrigin: {origin or "http://" + host}\r\n'
    if websocket:
        request += ('Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n'
                    'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n')
    if method == 'POST':
        request += f'Content-Type: application/json\r\nContent-Length: {len(body)}\r\n'
    with socket.create_connection(('127.0.0.1', port), timeout=30) as s:
        s.sendall((request + '\r\n' + body).encode())
        return s.recv(200).decode(errors='replace').split('\r\n')[0]


def main():
    global browser
    subprocess.run([vtd, 'stop', dev], capture_output=True)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    # The system Wine made once for the build tree's own devices, copied: the run command applies the
    # profile to it as to any device.
    subprocess.run(['bash', '-c', 'src=$1 build=$2 work=$3; . "$src/tests/support/owndevice.sh"; copy_made_system',
                    '_', src, build, work], stdin=subprocess.DEVNULL, check=False)
    try:
        {'page': test_page, 'password': test_password}[part]()
        print('PASS')
        return 0
    except Failure as e:
        print(f'FAIL: {e}')
        for r in runs:
            print(f'--- {r.log}\n{r.text()}')
        return 1
    finally:
        if browser:
            browser.quit()
        for r in runs:
            r.end()
        subprocess.run([vtd, 'stop', dev], capture_output=True)


if __name__ == '__main__':
    sys.exit(main())
