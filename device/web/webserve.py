#!/usr/bin/python3
"""Serves a running device as a web page: the handheld around the screen, its hardware buttons
(each through vtdevice) and the screen itself, a VNC server on the device's display that the page
reaches through websockify. The VNC server listens on a unix socket in the device's folder only.

    webserve.py DEVICE_DIR

VT_WEB_PORT (6080; 0 for any free one) and VT_WEB_ADDR (loopback when unset) say where the page listens. With an
address named, page and stream need a password: VT_WEB_PASSWORD, or one made here and printed once.
The run command writes the device's power state (booting, running, resetting, off) into
DEVICE_DIR/web/state; the page hears of it, of rotations and of the battery through /api/status.
"""
import hmac
import json
import logging
import os
import re
import secrets
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import HTTPServer
from socketserver import ThreadingMixIn

from websockify import websocketproxy

HERE = os.path.dirname(os.path.abspath(__file__))
VTDEVICE = os.path.join(os.path.dirname(HERE), 'vtdevice')
NOVNC = '/usr/share/novnc'
# The page's own files; everything else it loads is noVNC's, from Debian's package.
PAGE_FILES = {'/': 'index.html', '/handheld.js': 'handheld.js', '/handheld.css': 'handheld.css'}
TYPES = {'.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
         '.css': 'text/css; charset=utf-8'}
LOOPBACK_NAMES = ('127.0.0.1', 'localhost', '[::1]')
# The device's flag bits (high, low, critical, charging), as its power status reports them.
HIGH, LOW, CRITICAL, CHARGING = 1, 2, 4, 8
OFF_KEY = 223

log = logging.getLogger('vt-web')


def vtdevice(*args, timeout=60):
    """Runs a vtdevice command; returns (exit status, output)."""
    try:
        done = subprocess.run([VTDEVICE, *args], stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=timeout)
        return done.returncode, (done.stdout + done.stderr).strip()
    except subprocess.TimeoutExpired:
        return 124, 'timed out'


def battery_flag(percent, charging):
    flag = HIGH if percent > 66 else LOW if percent < 33 else 0
    if percent < 5:
        flag |= CRITICAL
    return flag | (CHARGING if charging else 0)


class Device:
    """What the page shows of the device, and the VNC server on its screen."""

    def __init__(self, folder):
        self.dir = folder
        self.web = os.path.join(folder, 'web')
        self.socket = os.path.join(self.web, 'vnc.sock')
        self.changed = threading.Condition()
        self.rev = 1
        self.state = 'booting'
        self.pending = None          # a reset asked from the page, until the run command sees it
        self.geometry = None         # the device's screen on its display: x, y, width, height
        self.display = None
        self.vnc = None
        self.stream = 0              # counts the VNC servers started: the page reconnects to a new one
        self.battery = None          # percent (None: unknown) and charging; None: the host's battery
        self.battery_read = False
        self.name = 'Handheld'
        self.ending = False
        # The watcher and a rotation from the page both restart the VNC server.
        self.vnc_lock = threading.RLock()

    def status(self):
        with self.changed:
            shown = self.pending or self.state
            screen = self.geometry[2:] if self.geometry else None
            return {'rev': self.rev, 'state': shown, 'screen': screen, 'name': self.name,
                    'stream': self.stream if self.vnc and shown == 'running' else 0,
                    'battery': self.battery}

    def wait(self, rev, seconds):
        with self.changed:
            self.changed.wait_for(lambda: self.rev != rev or self.ending, seconds)

    def _update(self, **values):
        with self.changed:
            if any(getattr(self, k) != v for k, v in values.items()):
                for k, v in values.items():
                    setattr(self, k, v)
                self.rev += 1
                self.changed.notify_all()

    def _read(self, name):
        try:
            with open(os.path.join(self.dir, name)) as f:
                return f.read().strip()
        except OSError:
            return ''

    def _desktop(self):
        """The device's screen on its X display: the emulator's desktop window."""
        env = dict(os.environ, DISPLAY=self.display)
        try:
            # By class: its title is in the device's language.
            ids = subprocess.run(['xdotool', 'search', '--onlyvisible', '--maxdepth', '1', '--class',
                                  r'^explorer\.exe$'], env=env, capture_output=True, text=True, timeout=5).stdout.split()
            for wid in ids:
                out = subprocess.run(['xdotool', 'getwindowgeometry', '--shell', wid], env=env,
                                     capture_output=True, text=True, timeout=5).stdout
                v = dict(line.split('=', 1) for line in out.split() if '=' in line)
                g = tuple(int(v[k]) for k in ('X', 'Y', 'WIDTH', 'HEIGHT'))
                if g[2] > 1 and g[3] > 1:
                    return g
        except (subprocess.SubprocessError, OSError, KeyError, ValueError):
            pass
        return None

    def _start_vnc(self, geometry):
        with self.vnc_lock:
            self._start_vnc_locked(geometry)

    def _start_vnc_locked(self, geometry):
        self._stop_vnc()
        try:
            os.unlink(self.socket)
        except OSError:
            pass
        x, y, w, h = geometry
        # No port at all: only the unix socket, in a folder only this user may enter. The device has
        # no pointer of its own; polls and deferrals kept short so that a tap's repaint comes at once.
        cmd = ['x11vnc', '-display', self.display, '-clip', f'{w}x{h}+{x}+{y}',
               '-unixsock', self.socket, '-rfbport', '0', '-rfbportv6', '-1', '-noipv6', '-nopw',
               '-shared', '-forever', '-quiet', '-nocursor', '-nowf', '-noxrecord', '-nobell',
               '-desktop', self.name, '-wait', '5', '-defer', '5', '-nonap', '-sb', '0', '-nosel', '-noprimary']
        # Its own session: a Ctrl-C at the terminal reaches the run command, which ends this server,
        # which ends the VNC server, in that order.
        with open(os.path.join(self.web, 'vnc.log'), 'w') as err:
            self.vnc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                                        start_new_session=True)
        for _ in range(100):
            if os.path.exists(self.socket) or self.vnc.poll() is not None:
                break
            time.sleep(0.05)
        if self.vnc.poll() is not None:
            log.warning('the VNC server ended at once (see %s)', os.path.join(self.web, 'vnc.log'))
            self.vnc = None
            return
        with self.changed:
            self.stream += 1
            self.rev += 1
            self.changed.notify_all()

    def _stop_vnc(self):
        with self.vnc_lock:
            self._stop_vnc_locked()

    def _stop_vnc_locked(self):
        if self.vnc:
            self.vnc.terminate()
            try:
                self.vnc.wait(5)
            except subprocess.TimeoutExpired:
                self.vnc.kill()
                self.vnc.wait()
            self.vnc = None

    def watch(self):
        """Follows the run command's state, the screen's place and size, and keeps the VNC server
        on the screen while the device runs."""
        profile = self._read('profile')
        m = re.search(r'^OEM="?([^"\n]*)"?', profile, re.M)
        if m:
            self.name = m.group(1)
        last_look = 0
        while not self.ending:
            state = self._read('web/state') or 'booting'
            if state != self.state:
                with self.changed:
                    # The run command has seen the reset asked from the page.
                    if self.pending and state != 'running':
                        self.pending = None
                self._update(state=state)
            display = self._read('display') or None
            now = time.monotonic()
            if state == 'running' and display and (now - last_look > 1 or not self.vnc):
                last_look = now
                self.display = display
                geometry = self._desktop()
                if geometry and (geometry != self.geometry or not self.vnc or self.vnc.poll() is not None):
                    self._update(geometry=geometry)
                    self._start_vnc(geometry)
                if not self.battery_read:
                    # Read from the device once; later changes come through the battery command's note.
                    self.battery_read = True
                    vtdevice('battery', self.dir)
            elif state != 'running' and self.vnc:
                self._stop_vnc()
                self._update(geometry=None)
            self._follow_battery()
            time.sleep(0.2)
        self._stop_vnc()

    def _follow_battery(self):
        parts = self._read('battery').split()
        battery = None
        if len(parts) == 2 and all(p.isdigit() for p in parts):
            percent, flag = int(parts[0]), int(parts[1])
            battery = {'percent': percent if percent <= 100 else None, 'charging': bool(flag & CHARGING)}
        self._update(battery=battery)

    def press(self, button, body):
        """A hardware button of the page, through the device's own commands. Returns (ok, message)."""
        if self.state != 'running' or self.pending:
            return False, 'the device is not running'
        if button == 'off':
            rc, out = vtdevice('key', self.dir, str(OFF_KEY))
        elif button == 'reset':
            self._update(pending='resetting')
            rc, out = vtdevice('reset', self.dir)
            if rc != 0:
                self._update(pending=None)
        elif button == 'rotate':
            rc, out = vtdevice('rotate', self.dir, 'toggle')
            if rc == 0:
                # The screen's new size at once, not at the next look.
                geometry = self._desktop()
                if geometry:
                    self._update(geometry=geometry)
                    self._start_vnc(geometry)
        elif button == 'battery':
            percent, charging = body.get('percent'), body.get('charging')
            if not isinstance(percent, int) or isinstance(percent, bool) or not 0 <= percent <= 100 \
                    or not isinstance(charging, bool):
                return False, 'battery: percent 0-100 and charging true or false'
            rc, out = vtdevice('battery', self.dir, str(percent), str(battery_flag(percent, charging)))
            self._follow_battery()
        else:
            return False, 'no such button'
        return rc == 0, out

    def end(self):
        with self.changed:
            self.ending = True
            self.changed.notify_all()


class Handler(websocketproxy.ProxyRequestHandler):
    """Page, noVNC's files, the status and buttons, and the stream; nothing without the password
    when one is asked."""

    def address_allowed(self):
        # A page of another site must not reach the loopback page through a name it controls.
        host = (self.headers.get('Host') or '').rsplit(':', 1)[0]
        if self.server.loopback_only and host not in LOOPBACK_NAMES:
            return False
        return True

    def same_origin(self):
        # The stream and the buttons only from this page: another site's script in the same browser
        # gets nothing (websockets and form posts cross sites freely).
        return self.headers.get('Origin') == f"http://{self.headers.get('Host')}"

    def signed_in(self):
        if not self.server.password:
            return True
        for part in (self.headers.get('Cookie') or '').split(';'):
            name, _, value = part.strip().partition('=')
            if name == 'vtsession' and hmac.compare_digest(value, self.server.session):
                return True
        return False

    def refuse(self, code, why):
        body = why.encode()
        self.send_response(code)
        self.send_header('Content-Type', 'text/plain; charset=utf-8')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_body(self, body, kind, code=200, headers=()):
        self.send_response(code)
        self.send_header('Content-Type', kind)
        self.send_header('Content-Length', str(len(body)))
        self.send_header('Cache-Control', 'no-store')
        self.send_header('X-Content-Type-Options', 'nosniff')
        self.send_header('X-Frame-Options', 'DENY')
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def send_file(self, path):
        try:
            with open(path, 'rb') as f:
                body = f.read()
        except OSError:
            return self.refuse(404, 'not found')
        self.send_body(body, TYPES.get(os.path.splitext(path)[1], 'application/octet-stream'))

    def send_json(self, value, code=200):
        self.send_body(json.dumps(value).encode(), 'application/json', code)

    def login_page(self, code=200, wrong=False):
        with open(os.path.join(HERE, 'login.html'), encoding='utf-8') as f:
            page = f.read().replace('{{name}}', self.server.device.name)
        page = page.replace('{{message}}', 'Wrong password.' if wrong else '')
        self.send_body(page.encode(), TYPES['.html'], code)

    def do_HEAD(self):
        self.refuse(405, 'no')

    def do_GET(self):
        if not self.address_allowed():
            return self.refuse(403, 'forbidden')
        url = urllib.parse.urlsplit(self.path)
        if not self.signed_in():
            if url.path == '/':
                return self.login_page()
            log.warning('refused %s from %s: not signed in', url.path, self.client_address[0])
            return self.refuse(403, 'forbidden')
        if url.path in PAGE_FILES:
            return self.send_file(os.path.join(HERE, PAGE_FILES[url.path]))
        if url.path.startswith('/novnc/') and url.path.endswith('.js'):
            # Only noVNC's scripts, and none outside its folder.
            rel = os.path.normpath(url.path[len('/novnc/'):])
            if rel.startswith('..') or os.path.isabs(rel):
                return self.refuse(404, 'not found')
            return self.send_file(os.path.join(NOVNC, rel))
        if url.path == '/api/status':
            query = urllib.parse.parse_qs(url.query)
            try:
                rev = int(query.get('rev', ['0'])[0])
            except ValueError:
                rev = 0
            # Held until something changes, so that a quiet device costs no traffic.
            self.server.device.wait(rev, 25)
            return self.send_json(self.server.device.status())
        return self.refuse(404, 'not found')

    def do_POST(self):
        if not self.address_allowed():
            return self.refuse(403, 'forbidden')
        url = urllib.parse.urlsplit(self.path)
        try:
            length = int(self.headers.get('Content-Length') or 0)
        except ValueError:
            length = -1
        if not 0 <= length <= 4096:
            return self.refuse(400, 'bad request')
        data = self.rfile.read(length)
        if url.path == '/login':
            if not self.server.password:
                return self.refuse(404, 'not found')
            given = urllib.parse.parse_qs(data.decode('utf-8', 'replace')).get('password', [''])[0]
            if hmac.compare_digest(given.encode(), self.server.password.encode()):
                log.warning('signed in from %s', self.client_address[0])
                return self.send_body(b'', 'text/plain', 303, [
                    ('Location', '/'),
                    ('Set-Cookie', f'vtsession={self.server.session}; HttpOnly; SameSite=Strict; Path=/')])
            log.warning('wrong password from %s', self.client_address[0])
            # Guessing costs time.
            time.sleep(1)
            return self.login_page(403, wrong=True)
        if not self.signed_in():
            log.warning('refused %s from %s: not signed in', url.path, self.client_address[0])
            return self.refuse(403, 'forbidden')
        if not self.same_origin():
            return self.refuse(403, 'forbidden')
        m = re.fullmatch(r'/api/(off|reset|rotate|battery)', url.path)
        if not m:
            return self.refuse(404, 'not found')
        try:
            body = json.loads(data or b'{}')
        except ValueError:
            body = None
        if not isinstance(body, dict):
            return self.send_json({'ok': False, 'message': 'bad request'}, 400)
        ok, message = self.server.device.press(m.group(1), body)
        self.send_json({'ok': ok, 'message': message}, 200 if ok else 409)

    def handle_upgrade(self):
        if not self.address_allowed() or self.path != '/websockify' or not self.same_origin():
            return self.refuse(403, 'forbidden')
        if not self.signed_in():
            log.warning('refused the stream to %s: not signed in', self.client_address[0])
            return self.refuse(403, 'forbidden')
        if not self.server.device.vnc:
            return self.refuse(503, 'the device is not running')
        super().handle_upgrade()

    def log_message(self, format, *args):
        # Connections and requests are not news; refusals are logged where they happen.
        pass


class Server(ThreadingMixIn, HTTPServer):
    daemon_threads = True
    block_on_close = False
    allow_reuse_address = True

    def __init__(self, address, device, password):
        self.address_family = socket.AF_INET6 if ':' in address[0] else socket.AF_INET
        # What the proxy half of the handler reads.
        self.target_host = self.target_port = self.wrap_cmd = self.ssl_target = None
        self.token_plugin = self.auth_plugin = self.heartbeat = None
        self.unix_target = device.socket
        self.only_upgrade = False
        self.verbose = False
        self.handler_id = 0
        self.device = device
        self.password = password
        self.session = secrets.token_urlsafe(32)
        self.loopback_only = address[0] in ('127.0.0.1', '::1')
        super().__init__(address, Handler)

    def handle_error(self, request, client_address):
        # A browser that left in the middle of an answer is no fault.
        if not isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            super().handle_error(request, client_address)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    logging.basicConfig(format='web: %(message)s', level=logging.WARNING, stream=sys.stderr)
    logging.getLogger('websockify').setLevel(logging.ERROR)
    folder = os.path.abspath(sys.argv[1])
    port_text = os.environ.get('VT_WEB_PORT') or '6080'
    # 0: any free port (the address printed says which).
    if not port_text.isdigit() or not 0 <= int(port_text) <= 65535:
        log.error('VT_WEB_PORT must be a port number from 0 to 65535, not %r', port_text)
        return 2
    addr = os.environ.get('VT_WEB_ADDR') or ''
    password = None
    if addr:
        password = os.environ.get('VT_WEB_PASSWORD') or ''
        made = not password
        if made:
            password = secrets.token_urlsafe(9)
    device = Device(folder)
    os.makedirs(device.web, mode=0o700, exist_ok=True)
    os.chmod(device.web, 0o700)
    try:
        server = Server((addr or '127.0.0.1', int(port_text)), device, password)
    except OSError as e:
        log.error('cannot listen on %s:%s: %s (set VT_WEB_PORT to another port)',
                  addr or '127.0.0.1', port_text, e.strerror or e)
        return 1
    host = addr or '127.0.0.1'
    url = f"http://{'[' + host + ']' if ':' in host else host}:{server.server_address[1]}/"
    if addr and made:
        print(f'The page asks for the password {password} (set VT_WEB_PASSWORD to choose one).', flush=True)
    # The run command prints the address once this file is there: the page can be opened.
    with open(os.path.join(device.web, 'address.new'), 'w') as f:
        f.write(url + '\n')
    os.replace(os.path.join(device.web, 'address.new'), os.path.join(device.web, 'address'))

    def stop(*_):
        device.end()
        threading.Thread(target=server.shutdown, daemon=True).start()
    signal.signal(signal.SIGTERM, stop)
    # A Ctrl-C is the run command's to handle: it says the device is off first, then ends this.
    signal.signal(signal.SIGINT, signal.SIG_IGN)
    watcher = threading.Thread(target=device.watch, daemon=True)
    watcher.start()
    parent = os.getppid()

    def orphaned():
        # Ends with the run command, however that ended.
        while not device.ending:
            if os.getppid() != parent:
                stop()
            time.sleep(1)
    threading.Thread(target=orphaned, daemon=True).start()
    server.serve_forever(poll_interval=0.2)
    watcher.join(10)
    device._stop_vnc()
    try:
        os.unlink(os.path.join(device.web, 'address'))
    except OSError:
        pass
    return 0


if __name__ == '__main__':
    sys.exit(main())
