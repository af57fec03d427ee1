// The handheld's page: the device's screen (noVNC's client over the page's own websocket), its
// hardware buttons (each a request to the page's server, which runs the device's own command) and a
// status line that follows the device's power through a held status request.
import RFB from '/novnc/core/rfb.js';

const $ = (id) => document.getElementById(id);
const handheld = $('handheld'), screen = $('screen'), statusLine = $('status');
const XK = { up: 0xff52, down: 0xff54, left: 0xff51, right: 0xff53, enter: 0xff0d };
const CODE = { up: 'ArrowUp', down: 'ArrowDown', left: 'ArrowLeft', right: 'ArrowRight', enter: 'Enter' };
const WORDS = { booting: 'Booting\u2026', running: 'Running', resetting: 'Resetting\u2026', off: 'Switched off' };

let status = { rev: 0, state: 'booting', screen: null, stream: 0, battery: null, name: '' };
let size = [480, 640];
let rfb = null, rfbStream = 0, connected = false, reachable = true;

function showStatus() {
  const state = reachable ? status.state : 'off';
  let text = WORDS[state] || state;
  if (state === 'running' && !connected) text += ' \u2014 connecting to the screen\u2026';
  statusLine.textContent = text;
  statusLine.dataset.state = state;
  statusLine.classList.toggle('off', state === 'off');
  $('led').className = state === 'running' ? 'on' : state === 'off' ? '' : 'busy';
}

// The screen at the device's pixel size, or smaller to fit the window; never stretched.
function layout() {
  const [w, h] = size;
  handheld.classList.toggle('landscape', w > h);
  handheld.classList.toggle('portrait', w <= h);
  screen.style.width = w + 'px';
  screen.style.height = h + 'px';
  const extraW = handheld.offsetWidth - w;
  const extraH = handheld.offsetHeight - h + statusLine.offsetHeight + 10;
  const room = Math.min(1, (window.innerWidth - 24 - extraW) / w, (window.innerHeight - 24 - extraH) / h);
  const scale = Math.max(room, 0.1);
  screen.style.width = Math.floor(w * scale) + 'px';
  screen.style.height = Math.floor(h * scale) + 'px';
  handheld.dataset.scale = scale.toFixed(3);
}

function showBattery() {
  const b = status.battery;
  const charge = $('charge');
  const percent = b && b.percent !== null ? b.percent : null;
  charge.style.width = (percent === null ? 100 : percent) + '%';
  charge.className = percent === null ? '' : percent < 33 ? 'low' : percent < 66 ? 'mid' : '';
  $('percent').textContent = percent === null ? (b ? '?' : 'AC') : percent + ' %';
  $('bolt').hidden = !(b && b.charging);
  $('battery').title = b ? `Battery: ${percent === null ? 'unknown' : percent + ' %'}${b.charging ? ', charging' : ''}`
                         : 'Battery: the host\'s';
}

function connect() {
  disconnect();
  rfbStream = status.stream;
  const r = new RFB(screen, `ws://${location.host}/websockify`);
  r.scaleViewport = true;
  // The device's pixels as they are: the best quality the stream offers.
  r.qualityLevel = 9;
  r.showDotCursor = true;
  r.focusOnClick = true;
  r.addEventListener('connect', () => { connected = true; showStatus(); r.focus(); });
  r.addEventListener('disconnect', () => {
    if (rfb !== r) return;
    rfb = null;
    connected = false;
    showStatus();
    // A screen that went away while the device runs (a new VNC server after a turn or a reset): back
    // as soon as the status names the new one, or at once when it is the same.
    setTimeout(() => { if (!rfb && status.state === 'running' && status.stream) connect(); }, 700);
  });
  rfb = r;
}

function disconnect() {
  if (!rfb) return;
  const r = rfb;
  rfb = null;
  connected = false;
  r.disconnect();
}

function apply(next) {
  const turned = next.screen && (!status.screen || next.screen[0] !== status.screen[0] || next.screen[1] !== status.screen[1]);
  status = next;
  if (next.name) { $('name').textContent = next.name; document.title = next.name; }
  if (turned) { size = next.screen; layout(); }
  showBattery();
  if (next.state === 'running' && next.stream) {
    if (!rfb || rfbStream !== next.stream) connect();
  } else {
    disconnect();
  }
  showStatus();
}

async function follow() {
  for (;;) {
    try {
      const answer = await fetch(`/api/status?rev=${status.rev}`, { cache: 'no-store' });
      if (!answer.ok) throw new Error(answer.status);
      reachable = true;
      apply(await answer.json());
    } catch (e) {
      // The run has ended: the device is off. Looked for again now and then, so a new run comes back.
      reachable = false;
      status.rev = 0;
      disconnect();
      showStatus();
      await new Promise((done) => setTimeout(done, 2000));
    }
  }
}

async function press(button, body = {}) {
  try {
    const answer = await fetch(`/api/${button}`, {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) });
    const result = await answer.json();
    if (!result.ok) statusLine.textContent = `${WORDS[status.state] || status.state} \u2014 ${button}: ${result.message}`;
  } catch (e) {
    // The status request says what became of the device.
  }
  if (rfb) rfb.focus();
}

// A touch screen's finger is the stylus: down, hold, drag and up reach the device as they are, not as
// the client's own touch gestures (a held finger would otherwise become a right click).
function stylus(kind) {
  return (e) => {
    const canvas = screen.querySelector('canvas');
    const t = e.changedTouches[0];
    if (!canvas || !t) return;
    e.preventDefault();
    e.stopPropagation();
    canvas.dispatchEvent(new MouseEvent(kind, { clientX: t.clientX, clientY: t.clientY, button: 0,
                                                buttons: kind === 'mouseup' ? 0 : 1, bubbles: true }));
  };
}
screen.addEventListener('touchstart', stylus('mousedown'), { capture: true, passive: false });
screen.addEventListener('touchmove', stylus('mousemove'), { capture: true, passive: false });
screen.addEventListener('touchend', stylus('mouseup'), { capture: true, passive: false });

$('off').addEventListener('click', () => press('off'));
$('reset').addEventListener('click', () => press('reset'));
$('rotate').addEventListener('click', () => press('rotate'));
for (const key of document.querySelectorAll('#dpad button')) {
  key.addEventListener('click', () => {
    if (!rfb) return;
    rfb.sendKey(XK[key.dataset.key], CODE[key.dataset.key]);
    rfb.focus();
  });
}
const panel = $('battery-panel');
$('battery').addEventListener('click', () => {
  const b = status.battery;
  $('level').value = b && b.percent !== null ? b.percent : 100;
  $('level-out').value = $('level').value;
  $('charging').checked = !!(b && b.charging);
  panel.hidden = !panel.hidden;
});
$('level').addEventListener('input', () => { $('level-out').value = $('level').value; });
$('battery-cancel').addEventListener('click', () => { panel.hidden = true; if (rfb) rfb.focus(); });
panel.addEventListener('submit', (e) => {
  e.preventDefault();
  panel.hidden = true;
  press('battery', { percent: Number($('level').value), charging: $('charging').checked });
});
window.addEventListener('resize', layout);

layout();
showBattery();
showStatus();
follow();
