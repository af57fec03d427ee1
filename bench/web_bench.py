#!/usr/bin/python3
"""The handheld's web page, measured in headless Chromium over loopback ("make bench_web"): the time
from a click in the page to the repaint seen in the page (Vantora's menu rows drawn pressed), median
and 95th percentile over 50 taps, and the bytes the page receives per second from a device left alone
for 30 s. A measurement, never a pass or a fail.

    web_bench.py SOURCE_DIR BUILD_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import time

from selenium.webdriver.common.actions.action_builder import ActionBuilder

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'device'))
import webpage  # noqa: E402

TAPS = 50
IDLE_SECONDS = 30
# Vantora's menu rows at 480 x 640 (centre heights) and the part of each that the pressed look changes
# (its sunken edges: the row's outline, with a little room).
ROWS = (92, 171, 251, 331, 411)
ROW_LEFT, ROW_WIDTH, ROW_HALF = 0, 440, 42
# Where the stylus comes up instead: beside every row, so no page opens.
AWAY = (240, 600)

# Page side: a press's time from the real mouse event, and the first frame that shows the row changed.
WATCH = """
window.benchWatch = (x, y, w, h) => {
  const canvas = document.querySelector('#screen canvas');
  const ctx = canvas.getContext('2d');
  const grab = () => ctx.getImageData(x, y, w, h).data;
  const before = grab();
  const result = { down: null, seen: null };
  // Pixels changed by more than the stream's rounding.
  const changed = (d) => {
    let n = 0;
    for (let i = 0; i < d.length; i += 4)
      n += Math.abs(d[i] - before[i]) + Math.abs(d[i+1] - before[i+1]) + Math.abs(d[i+2] - before[i+2]) > 24;
    return n;
  };
  const frame = () => {
    if (changed(grab()) > 50) { result.seen = performance.now(); return; }
    if (performance.now() - result.down < 3000) requestAnimationFrame(frame);
  };
  canvas.addEventListener('mousedown', () => { result.down = performance.now(); requestAnimationFrame(frame); },
                          { capture: true, once: true });
  window.benchResult = result;
  window.benchSame = () => changed(grab()) < 20;
};
"""


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def measure(browser):
    """Click-to-repaint times (ms) over the taps, then the bytes received idle: stream, other, seconds."""
    browser.execute_script(WATCH)

    times = []
    for i in range(TAPS):
        y = ROWS[i % len(ROWS)]
        browser.execute_script('benchWatch(...arguments)', ROW_LEFT, y - ROW_HALF, ROW_WIDTH, 2 * ROW_HALF)
        px, py = webpage.to_page(browser, 220, y)
        ax, ay = webpage.to_page(browser, *AWAY)
        down = ActionBuilder(browser)
        down.pointer_action.move_to_location(px, py)
        down.pointer_action.pointer_down()
        down.perform()
        result = webpage.wait_for(3, lambda: browser.execute_script(
            'const r = window.benchResult; return r.seen ? r.seen - r.down : null;'))
        up = ActionBuilder(browser)
        up.pointer_action.move_to_location(ax, ay)
        up.pointer_action.pointer_up()
        up.perform()
        if result is not None:
            times.append(result)
        # The row back as it was before the next press.
        webpage.wait_for(3, lambda: browser.execute_script('return benchSame()'))
        time.sleep(0.2)

    # Idle: what the page receives while nothing changes (the clock may turn a minute once).
    time.sleep(2)
    browser.get_log('performance')
    start = time.monotonic()
    time.sleep(IDLE_SECONDS)
    seconds = time.monotonic() - start
    stream = other = 0
    for entry in browser.get_log('performance'):
        message = json.loads(entry['message'])['message']
        params = message.get('params', {})
        if message['method'] == 'Network.webSocketFrameReceived':
            payload = params['response']['payloadData']
            # Binary frames come base64-encoded.
            stream += len(payload) * 3 // 4 if params['response']['opcode'] == 2 else len(payload)
        elif message['method'] == 'Network.dataReceived':
            other += params.get('encodedDataLength', 0)

    return times, stream, other, seconds


def main():
    src, build = sys.argv[1], sys.argv[2]
    work = os.path.join(build, 'webbench')
    dev = os.path.join(work, 'dev')
    vtd = os.path.join(src, 'device', 'vtdevice')
    subprocess.run([vtd, 'stop', dev], capture_output=True)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    run = webpage.RunCommand(src, build, dev, os.path.join(work, 'run.log'), webpage.free_port())
    browser = None
    try:
        if not webpage.wait_for(240, lambda: 'is running' in run.text()):
            print('the device did not boot:\n' + run.text())
            return 1
        webpage.wait_for(60, lambda: subprocess.run([vtd, 'exec', dev, r'C:\windows\devtool.exe', 'find-window',
                                                     'VANTORA', 'Vantora'], capture_output=True).returncode == 0)
        time.sleep(3)
        # A window large enough for the screen at its own size.
        browser = webpage.start_browser(work, 800, 1050)
        browser.get(run.url)
        if not webpage.wait_for(60, lambda: webpage.screen_connected(browser)):
            print('the page did not connect')
            return 1
        time.sleep(2)
        times, stream, other, seconds = measure(browser)
        print(f'web page bench (headless Chromium over loopback, load {os.getloadavg()[0]:.1f})')
        if times:
            print(f'  click to repaint seen in the page, {len(times)} of {TAPS} taps on the menu rows: '
                  f'median {percentile(times, 50):.1f} ms, 95th percentile {percentile(times, 95):.1f} ms, '
                  f'min {min(times):.1f} ms, max {max(times):.1f} ms  (target: median <= 50, p95 <= 100)')
        else:
            print('  no repaint seen after any tap')
        print(f'  idle device, {seconds:.0f} s: screen stream {stream / seconds:.1f} bytes/s, '
              f'status and other requests {other / seconds:.1f} bytes/s')
        return 0
    finally:
        if browser:
            browser.quit()
        run.end()
        subprocess.run([vtd, 'stop', dev], capture_output=True)


if __name__ == '__main__':
    sys.exit(main())
