// A headless Chromium driven through the DevTools protocol over a pipe (no port to guard), and a
// static file server on a loopback port the system picks: what the web-page tests stand on.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';

export class Browser {
  static async start(chromium, profile, extraArgs = []) {
    const child = spawn(chromium, ['--headless', '--disable-gpu', '--no-sandbox', '--no-first-run',
      '--no-default-browser-check', '--disable-extensions', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--metrics-recording-only', '--mute-audio',
      '--remote-debugging-pipe', `--user-data-dir=${profile}`, ...extraArgs, 'about:blank'],
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    child.stderr.on('data', () => {});
    const browser = new Browser(child);
    await browser.send('Target.setDiscoverTargets', { discover: true });
    return browser;
  }

  constructor(child) {
    this.child = child;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffer = '';
    child.stdio[4].on('data', (chunk) => {
      buffer += chunk.toString('utf8');
      let end;
      while ((end = buffer.indexOf('\0')) >= 0) {
        const message = JSON.parse(buffer.slice(0, end));
        buffer = buffer.slice(end + 1);
        if (message.id && this.pending.has(message.id)) {
          const { resolve, reject } = this.pending.get(message.id);
          this.pending.delete(message.id);
          if (message.error) reject(new Error(JSON.stringify(message.error)));
          else resolve(message.result);
        } else {
          for (const listener of this.listeners) listener(message);
        }
      }
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    this.child.stdio[3].write(JSON.stringify(message) + '\0');
    return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
  }

  // Opens a page; every request it makes is recorded in page.requests.
  async open(url) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = { sessionId, targetId, requests: [], console: [] };
    this.listeners.push((m) => {
      if (m.sessionId !== sessionId) return;
      if (m.method === 'Network.requestWillBeSent') page.requests.push(m.params.request.url);
      if (m.method === 'Runtime.consoleAPICalled') page.console.push(m.params.args.map((a) => a.value).join(' '));
    });
    await this.send('Network.enable', {}, sessionId);
    await this.send('Runtime.enable', {}, sessionId);
    await this.send('Page.navigate', { url }, sessionId);
    return page;
  }

  async evaluate(page, expression) {
    const r = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true }, page.sessionId);
    if (r.exceptionDetails) throw new Error(`${expression}: ${JSON.stringify(r.exceptionDetails)}`);
    return r.result.value;
  }

  // Polls `expression` until it is true; false after `seconds`.
  async waitFor(page, expression, seconds) {
    const end = Date.now() + seconds * 1000;
    while (Date.now() < end) {
      if (await this.evaluate(page, `(() => { try { return !!(${expression}); } catch (e) { return false; } })()`)) return true;
      await new Promise((r) => setTimeout(r, 100));
    }
    return false;
  }

  async close(page) { await this.send('Target.closeTarget', { targetId: page.targetId }); }

  // Resolves once the browser has exited, so its profile can be removed.
  stop() {
    return new Promise((resolve) => {
      if (this.child.exitCode !== null) return resolve();
      this.child.on('exit', () => resolve());
      // Closed politely, the browser ends its helper processes too; killed if it hangs.
      this.send('Browser.close').catch(() => {});
      setTimeout(() => this.child.kill('SIGKILL'), 5000).unref();
    });
  }
}

// python3's static server on 127.0.0.1, port chosen by the system; resolves to its base URL.
export function startServer(root) {
  const child = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', root, '0'],
    { stdio: ['ignore', 'pipe', 'pipe'] });
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('the file server did not start')), 10000);
    child.stdout.on('data', (chunk) => {
      const m = /port (\d+)/.exec(chunk.toString());
      if (m) {
        clearTimeout(timer);
        resolve({ url: `http://127.0.0.1:${m[1]}/`, stop: () => new Promise((done) => { child.on('exit', done); child.kill(); }) });
      }
    });
    child.stderr.on('data', () => {});
  });
}

// A 24-bit Windows bitmap (as ludomat-run --snapshot writes it) as width, height and RGB rows.
export function readBmp(path) {
  const b = fs.readFileSync(path);
  const offset = b.readUInt32LE(10), width = b.readInt32LE(18), rawHeight = b.readInt32LE(22), bits = b.readUInt16LE(28);
  if (bits !== 24) throw new Error(`${path}: ${bits} bits a pixel`);
  const height = Math.abs(rawHeight), stride = Math.ceil(width * 3 / 4) * 4;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const row = offset + (rawHeight > 0 ? height - 1 - y : y) * stride;
    for (let x = 0; x < width; ++x) {
      rgb[(y * width + x) * 3] = b[row + x * 3 + 2];
      rgb[(y * width + x) * 3 + 1] = b[row + x * 3 + 1];
      rgb[(y * width + x) * 3 + 2] = b[row + x * 3];
    }
  }
  return { width, height, rgb };
}

export function run(program, args, options = {}) {
  const r = spawnSync(program, args, { encoding: 'utf8', ...options });
  if (r.error) throw r.error;
  return r;
}
