// The page side of an exported game: fetches the game's files into the runtime's file system,
// keeps what the script writes in this game's own IndexedDB store, draws the screen picture on
// the canvas, and hands keys and the mouse to the engine under the desktop's key codes.
'use strict';
(function () {
  const canvas = document.getElementById('tela');
  const context = canvas.getContext('2d', { alpha: false });
  const notice = document.getElementById('aviso');
  const errorBox = document.getElementById('erro');
  const inputBox = document.getElementById('entrada');
  let runtime = null;

  // KeyboardEvent.code to the desktop's virtual-key codes.
  const keyCodes = {
    Backspace: 8, Tab: 9, Enter: 13, NumpadEnter: 13, ShiftLeft: 16, ShiftRight: 16,
    ControlLeft: 17, ControlRight: 17, AltLeft: 18, AltRight: 18, Pause: 19, CapsLock: 20,
    Escape: 27, Space: 32, PageUp: 33, PageDown: 34, End: 35, Home: 36, ArrowLeft: 37,
    ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, PrintScreen: 44, Insert: 45, Delete: 46,
    MetaLeft: 91, MetaRight: 91, ContextMenu: 93, NumLock: 144, ScrollLock: 145,
    Semicolon: 186, Equal: 187, Comma: 188, Minus: 189, Period: 190, Slash: 191,
    Backquote: 192, BracketLeft: 219, Backslash: 220, BracketRight: 221, Quote: 222,
    NumpadMultiply: 106,
  };
  function virtualKey(event) {
    const code = event.code || '';
    if (code in keyCodes) return keyCodes[code];
    let m = /^Key([A-Z])$/.exec(code) || /^Digit([0-9])$/.exec(code) || /^Numpad([0-9])$/.exec(code);
    if (m) return m[1].charCodeAt(0);
    m = /^F([0-9]{1,2})$/.exec(code);
    if (m) return 111 + Number(m[1]);
    return 0;
  }

  // Whole-number scales while the window allows them, so every pixel stays a crisp square.
  function fitCanvas() {
    const w = canvas.width, h = canvas.height;
    const room = Math.min(window.innerWidth / w, (window.innerHeight - 40) / h);
    const scale = room >= 1 ? Math.floor(room) : Math.max(room, 0.25);
    canvas.style.width = (w * scale) + 'px';
    canvas.style.height = (h * scale) + 'px';
    document.getElementById('palco').style.width = (w * scale) + 'px';
    return scale;
  }
  window.addEventListener('resize', fitCanvas);

  function screenPoint(event) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((event.clientX - r.left) * canvas.width / r.width),
            Math.floor((event.clientY - r.top) * canvas.height / r.height)];
  }

  function showError(text) {
    errorBox.textContent = text;
    errorBox.style.display = 'block';
  }

  // The pixels come in the canvas's own byte order, so the image is a view on the runtime's
  // memory (made anew each time, as the memory may have grown) and is copied once, by the canvas.
  function present(pointer, width, height) {
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      fitCanvas();
    }
    const bytes = new Uint8ClampedArray(runtime.HEAPU8.buffer, pointer, width * height * 4);
    context.putImageData(new ImageData(bytes, width, height), 0, 0);
  }

  function showInputBox(visible, left, top, width, height, text) {
    if (!visible) {
      inputBox.style.display = 'none';
      canvas.focus();
      return;
    }
    const scale = canvas.getBoundingClientRect().width / canvas.width;
    Object.assign(inputBox.style, {
      display: 'block', left: (left * scale) + 'px', top: (top * scale) + 'px',
      width: (width * scale) + 'px', height: (height * scale) + 'px', fontSize: (height * scale * 0.6) + 'px',
    });
    inputBox.value = text;
    inputBox.focus();
  }
  inputBox.addEventListener('keydown', (event) => {
    event.stopPropagation();
    if (event.key === 'Enter') {
      runtime.ccall('ludomat_type', null, ['string', 'number'], [inputBox.value, -1]);
      inputBox.style.display = 'none';
    }
  });

  const cursors = ['default', 'pointer', 'crosshair', 'text', 'wait', 'help', 'move',
                   'ns-resize', 'ew-resize', 'nwse-resize', 'nesw-resize', 'not-allowed'];

  function wireInput() {
    const send = (down, event) => {
      const key = virtualKey(event);
      if (!key) return;
      event.preventDefault();
      if (down && event.repeat) return;
      runtime._ludomat_key(down ? 1 : 0, key, -1);
    };
    document.addEventListener('keydown', (e) => send(true, e));
    document.addEventListener('keyup', (e) => send(false, e));
    canvas.addEventListener('mousemove', (e) => { const [x, y] = screenPoint(e); runtime._ludomat_mouse(0, x, y, -1); });
    canvas.addEventListener('mousedown', (e) => {
      if (e.button !== 0) return;
      canvas.focus();
      const [x, y] = screenPoint(e);
      runtime._ludomat_mouse(1, x, y, -1);
    });
    canvas.addEventListener('mouseup', (e) => { if (e.button === 0) { const [x, y] = screenPoint(e); runtime._ludomat_mouse(2, x, y, -1); } });
  }

  // A scripted run, as ludomat-run takes it: ?key-down=Right@300&click=100,50@900&type=Ana@1200
  function scheduleScriptedInput(params) {
    const at = (value) => { const i = value.lastIndexOf('@'); return [value.slice(0, i), Number(value.slice(i + 1))]; };
    const keyOf = (name) => runtime.ccall('ludomat_key_code', 'number', ['string'], [name]);
    for (const v of params.getAll('key-down')) { const [k, ms] = at(v); runtime._ludomat_key(1, keyOf(k), ms); }
    for (const v of params.getAll('key-up')) { const [k, ms] = at(v); runtime._ludomat_key(0, keyOf(k), ms); }
    for (const v of params.getAll('click')) {
      const [p, ms] = at(v);
      const [x, y] = p.split(',').map(Number);
      runtime._ludomat_mouse(3, x, y, ms);
    }
    for (const v of params.getAll('type')) { const [t, ms] = at(v); runtime.ccall('ludomat_type', null, ['string', 'number'], [t, ms]); }
  }

  // A message to ourselves comes back after the browser's queued work, far sooner than a timer.
  const channel = new MessageChannel();
  let resumers = [];
  channel.port1.onmessage = () => { const waiting = resumers; resumers = []; waiting.forEach((resume) => resume()); };
  function yieldToBrowser() {
    return new Promise((resolve) => { resumers.push(resolve); channel.port2.postMessage(0); });
  }

  // The screen is drawn at the browser's animation frames, however fast the script runs, and only
  // when it changed. The canvas is opaque, as the screen is: nothing to blend.
  function drawFrames() {
    runtime._ludomat_present(0);
    requestAnimationFrame(drawFrames);
  }

  async function fetchBytes(url) {
    // Revalidated every time, so a re-exported game is never played from a stale cache.
    const response = await fetch(url, { cache: 'no-cache' });
    if (!response.ok) throw new Error('não consegui baixar ' + url + ' (' + response.status + ')');
    return new Uint8Array(await response.arrayBuffer());
  }

  function syncStorage(populate) {
    return new Promise((resolve, reject) => runtime.FS.syncfs(populate, (error) => (error ? reject(error) : resolve())));
  }

  // Every file under `root`, as paths relative to it.
  function filesUnder(FS, root, prefix = '') {
    const found = [];
    for (const name of FS.readdir(root + (prefix ? '/' + prefix : ''))) {
      if (name === '.' || name === '..') continue;
      const relative = prefix ? prefix + '/' + name : name;
      const mode = FS.stat(root + '/' + relative).mode;
      if (FS.isDir(mode)) found.push(...filesUnder(FS, root, relative));
      else if (FS.isFile(mode)) found.push(relative);
    }
    return found.sort();
  }

  function writeFileAt(FS, root, relative, bytes) {
    const parts = relative.split('/');
    if (parts.length > 1) FS.mkdirTree(root + '/' + parts.slice(0, -1).join('/'));
    FS.writeFile(root + '/' + relative, bytes);
  }

  // The engine may leave a file it wrote without read permission for others; the page reads
  // it anyway, as the store always did.
  function readBytes(FS, path) {
    const strict = FS.ignorePermissions;
    FS.ignorePermissions = true;
    try {
      return FS.readFile(path);
    } finally {
      FS.ignorePermissions = strict;
    }
  }

  function sameBytes(a, b) {
    if (a.length !== b.length) return false;
    for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
    return true;
  }

  // The game plays in memory from the export's files; the browser's store (one per game) keeps
  // only what the script wrote, so a re-exported game's new files are seen while its saves stay.
  function makeStore(FS, folder, saved, exported) {
    const stamps = new Map();
    for (const name of exported.keys()) stamps.set(name, FS.stat(folder + '/' + name).mtime.getTime());
    const writtenByScript = () => filesUnder(FS, folder).filter((name) => {
      if (!exported.has(name)) return true;
      if (FS.stat(folder + '/' + name).mtime.getTime() === stamps.get(name)) return false;
      return !sameBytes(readBytes(FS, folder + '/' + name), exported.get(name));
    });
    return async () => {
      const written = new Set(writtenByScript());
      for (const name of filesUnder(FS, saved)) if (!written.has(name)) FS.unlink(saved + '/' + name);
      for (const name of written) {
        const bytes = readBytes(FS, folder + '/' + name);
        const copy = saved + '/' + name;
        // Rewriting an unchanged copy would make the store send it again.
        if (FS.analyzePath(copy).exists && sameBytes(FS.readFile(copy), bytes)) continue;
        writeFileAt(FS, saved, name, bytes);
      }
      await syncStorage(false);
    };
  }

  async function start() {
    const game = await (await fetch('jogo.json', { cache: 'no-cache' })).json();
    const folder = '/jogos/' + game.id;
    // One store per game: IndexedDB names it by the folder it is mounted on.
    const saved = '/guardados/' + game.id;
    runtime = await LudomatRuntime({
      ludomatYield: yieldToBrowser,
      ludomatSleep: (ms) => new Promise((resolve) => setTimeout(resolve, ms)),
      ludomatPresent: present,
      ludomatShowError: showError,
      ludomatShowInputBox: showInputBox,
      ludomatSetCursor: (code) => { canvas.style.cursor = cursors[code] || 'default'; },
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
    });
    const FS = runtime.FS;
    FS.mkdirTree(folder);
    FS.mkdirTree(saved);
    FS.mount(FS.filesystems.IDBFS, {}, saved);
    await syncStorage(true);
    // For tests: what the store gave back, and what it holds now.
    const restored = filesUnder(FS, saved);
    window.ludomatRestoredFiles = () => restored;
    window.ludomatStoredFiles = () => filesUnder(FS, saved);
    FS.mkdirTree('/fonts');
    await Promise.all(game.fonts.map(async (name) => FS.writeFile('/fonts/' + name, await fetchBytes('fontes/' + name))));
    const exported = new Map();
    await Promise.all(game.files.map(async (name) => {
      const bytes = await fetchBytes('jogo/' + name.split('/').map(encodeURIComponent).join('/'));
      exported.set(name, bytes);
      writeFileAt(FS, folder, name, bytes);
    }));
    const save = makeStore(FS, folder, saved, exported);
    // What the script wrote before goes over the export's copies.
    for (const name of restored) writeFileAt(FS, folder, name, FS.readFile(saved + '/' + name));
    let saving = Promise.resolve();
    const saveInTurn = () => (saving = saving.catch(() => {}).then(save));
    window.ludomatSave = saveInTurn;
    setInterval(() => saveInTurn().catch(() => {}), 1000);
    document.addEventListener('visibilitychange', () => saveInTurn().catch(() => {}));
    notice.style.display = 'none';
    fitCanvas();
    wireInput();
    scheduleScriptedInput(new URLSearchParams(window.location.search));
    canvas.focus();
    requestAnimationFrame(drawFrames);
    runtime.ccall('ludomat_start', 'number', ['string', 'string'], [folder, game.script], { async: true });
  }

  // For tests: the canvas as it is, one R, G, B byte triple a pixel, in base64.
  window.ludomatCanvasRGB = () => {
    runtime._ludomat_present(1);
    const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 4) text += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
    return { width: canvas.width, height: canvas.height, rgb: btoa(text) };
  };
  window.ludomatIdle = () => runtime !== null && runtime._ludomat_idle() === 1;

  start().catch((error) => showError('O jogo não pôde começar: ' + error.message));
})();
