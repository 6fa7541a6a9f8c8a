// The exported web page against ludomat-run: each case exports an example game with
// `ludomat-export --web`, serves it from a plain static server on loopback, plays the same keys
// and clicks in headless Chromium and in ludomat-run, and compares the canvas with the snapshot.
// Pictures, plots, tiles and sprites must match exactly; text is drawn by another rasteriser
// (unhinted TrueType, thresholded) so a case may differ in at most `textPixels` pixels, all of
// them inside the rows where the case prints text.
//
//   node web_page_test.mjs CASE BUILD_DIR SOURCE_DIR WORK_DIR
//   CASE: a name from the table below, "network" or "storage".
import fs from 'node:fs';
import path from 'node:path';
import { Browser, startServer, readBmp, run } from './browser.mjs';

const [caseName, buildDir, sourceDir, workRoot] = process.argv.slice(2);
const chromium = process.env.LUDOMAT_CHROMIUM || '/usr/bin/chromium';

// name: [game folder, first script, scripted input (ludomat-run options), text rows, text pixels]
const cases = {
  demo: ['examples/demo', 'demo.scp', [], [[14, 90], [380, 404]], 4000],
  coleta_moves: ['examples/coleta', 'coleta.scp',
    ['--key-down', 'Right@300', '--key-up', 'Right@360', '--key-down', 'Right@500', '--key-up', 'Right@560',
      '--key-down', 'Down@700', '--key-up', 'Down@760', '--key-down', 'Esc@1200'], [[0, 24], [186, 234]], 600],
  coleta_menu_name: ['examples/coleta', 'menu.scp',
    ['--click', '320,262@400', '--type', 'Ana@1500'], [[20, 100], [140, 420]], 7000],
  plots_only: ['tests/web/games/plots', 'plots.scp', [], [], 0],
  quick_lines: ['tests/web/games/contas', 'contas.scp', [], [], 0],
};

// Thrown, so the browser and the server are stopped on the way out.
function fail(message) {
  throw new Error(message);
}

function exportGame(game, script, out) {
  const r = run(path.join(buildDir, 'ludomat-export'), ['--web', game, out, '--script', script],
    { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  if (r.status !== 0) fail(`ludomat-export --web ${game}: ${r.stderr}`);
}

// The page's query for the same input ludomat-run takes as options.
function queryOf(options) {
  const params = new URLSearchParams();
  for (let i = 0; i < options.length; i += 2) params.append(options[i].replace(/^--/, ''), options[i + 1]);
  return params.toString();
}

async function playInBrowser(browser, url, seconds = 60) {
  const page = await browser.open(url);
  if (!(await browser.waitFor(page, 'window.ludomatIdle && window.ludomatIdle()', seconds))) {
    const error = await browser.evaluate(page, 'document.getElementById("erro").textContent');
    fail(`${url}: the page did not come to rest (${error}) ${page.console.join(' | ')}`);
  }
  const canvas = await browser.evaluate(page, 'window.ludomatCanvasRGB()');
  return { page, canvas: { width: canvas.width, height: canvas.height, rgb: Buffer.from(canvas.rgb, 'base64') } };
}

function compare(name, desktop, web, textRows, textPixels) {
  if (desktop.width !== web.width || desktop.height !== web.height)
    fail(`${name}: canvas ${web.width}x${web.height}, snapshot ${desktop.width}x${desktop.height}`);
  let differing = 0;
  for (let i = 0; i < desktop.width * desktop.height; ++i) {
    const a = i * 3;
    if (desktop.rgb[a] === web.rgb[a] && desktop.rgb[a + 1] === web.rgb[a + 1] && desktop.rgb[a + 2] === web.rgb[a + 2]) continue;
    const y = Math.floor(i / desktop.width);
    if (!textRows.some(([top, bottom]) => y >= top && y < bottom))
      fail(`${name}: pixel ${i % desktop.width},${y} differs outside the text (` +
           `desktop ${[...desktop.rgb.subarray(a, a + 3)]}, browser ${[...web.rgb.subarray(a, a + 3)]})`);
    ++differing;
  }
  console.log(`${name}: ${differing} pixels differ (text tolerance ${textPixels})`);
  if (differing > textPixels) fail(`${name}: ${differing} text pixels differ, more than ${textPixels}`);
}

async function playBothAndCompare(browser, server, work, attempt, game, script, input, textRows, textPixels) {
  // ludomat-run plays a copy, so nothing it writes lands in the source tree.
  const copy = path.join(work, `desktop${attempt}`);
  fs.cpSync(path.join(sourceDir, game), copy, { recursive: true });
  const snapshot = path.join(work, `desktop${attempt}.bmp`);
  const r = run(path.join(buildDir, 'ludomat-run'), ['--timeout', '20', '--snapshot', snapshot, ...input, path.join(copy, script)],
    { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  if (r.status !== 0) fail(`ludomat-run: ${r.status} ${r.stderr}`);
  const { page, canvas } = await playInBrowser(browser, `${server.url}jogo/index.html?${queryOf(input)}`);
  await browser.close(page);
  compare(caseName, readBmp(snapshot), canvas, textRows, textPixels);
}

async function main() {
  const work = fs.mkdtempSync(path.join(workRoot || '/tmp', `web-${caseName}-`));
  const site = path.join(work, 'site');
  fs.mkdirSync(site);
  const server = await startServer(site);
  const browser = await Browser.start(chromium, path.join(work, 'profile'),
    // Every name but the loopback address fails to resolve: the page gets no network but ours.
    ['--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1', '--proxy-server=http://127.0.0.1:9', '--proxy-bypass-list=127.0.0.1']);
  try {
    if (caseName in cases) {
      const [game, script, input, textRows, textPixels] = cases[caseName];
      exportGame(path.join(sourceDir, game), script, path.join(site, 'jogo'));
      // Scripted input falls due by the clock on both sides, so a busy machine can shift a key
      // or click by a game turn on one of them: a timed case gets three tries, each one whole.
      const tries = input.length ? 3 : 1;
      for (let attempt = 1; ; ++attempt) {
        try {
          await playBothAndCompare(browser, server, work, attempt, game, script, input, textRows, textPixels);
          break;
        } catch (e) {
          if (attempt >= tries) throw e;
          console.log(`try ${attempt}: ${e.message}`);
        }
      }
    } else if (caseName === 'network') {
      exportGame(path.join(sourceDir, 'examples/coleta'), 'menu.scp', path.join(site, 'jogo'));
      const { page } = await playInBrowser(browser, `${server.url}jogo/index.html`);
      const outside = page.requests.filter((u) => !u.startsWith(server.url) && !u.startsWith('data:') && !u.startsWith('blob:'));
      if (outside.length) fail(`the page asked for ${outside.join(', ')}`);
      if (page.requests.length < 5) fail(`only ${page.requests.length} requests recorded`);
      console.log(`network: ${page.requests.length} requests, all to ${server.url}`);
    } else if (caseName === 'storage') {
      // Two games from one server: the first one's photo stays in its own store only.
      exportGame(path.join(sourceDir, 'tests/web/games/gravar'), 'gravar.scp', path.join(site, 'gravar'));
      exportGame(path.join(sourceDir, 'tests/web/games/outro'), 'outro.scp', path.join(site, 'outro'));
      const first = await playInBrowser(browser, `${server.url}gravar/index.html`);
      await browser.evaluate(first.page, 'window.ludomatSave()');
      const stored = await browser.evaluate(first.page, 'window.ludomatStoredFiles()');
      if (!stored.includes('salvo.jpg')) fail(`the game's store holds ${JSON.stringify(stored)}, not salvo.jpg`);
      await browser.close(first.page);
      const other = await playInBrowser(browser, `${server.url}outro/index.html`);
      const seen = await browser.evaluate(other.page, 'window.ludomatRestoredFiles().concat(window.ludomatStoredFiles())');
      if (seen.includes('salvo.jpg')) fail('another game on the same server sees salvo.jpg');
      const local = await browser.evaluate(other.page, 'window.localStorage.length');
      if (local !== 0) fail(`the page left ${local} entries in localStorage`);
      const again = await playInBrowser(browser, `${server.url}gravar/index.html`);
      const kept = await browser.evaluate(again.page, 'window.ludomatRestoredFiles()');
      if (!kept.includes('salvo.jpg')) fail('the photo did not survive a reload');
      await browser.close(again.page);
      // The maker re-exports with another script that writes nothing: the new one plays, over the
      // copy the first visit fetched, and the photo the old one wrote is still in the store.
      const changed = path.join(work, 'gravar');
      fs.cpSync(path.join(sourceDir, 'tests/web/games/gravar'), changed, { recursive: true });
      // Green reads the same whichever way round the colour's bytes go.
      fs.writeFileSync(path.join(changed, 'gravar.scp'), 'clearbuf 00FF00\r\nrefresh\r\n');
      fs.rmSync(path.join(site, 'gravar'), { recursive: true });
      exportGame(changed, 'gravar.scp', path.join(site, 'gravar'));
      const reexported = await playInBrowser(browser, `${server.url}gravar/index.html`);
      const corner = [...reexported.canvas.rgb.subarray(0, 3)];
      if (corner.join() !== '0,255,0') fail(`after the re-export the page shows ${corner}, not the new script's green`);
      const still = await browser.evaluate(reexported.page, 'window.ludomatRestoredFiles()');
      if (!still.includes('salvo.jpg')) fail(`after the re-export the store gave back ${JSON.stringify(still)}`);
      console.log(`storage: ${JSON.stringify(stored)} in its own store, ${JSON.stringify(seen)} in the other game's`);
    } else {
      fail(`unknown case ${caseName}`);
    }
  } finally {
    await browser.stop();
    await server.stop();
  }
  fs.rmSync(work, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 });
}

main().then(() => process.exit(0), (e) => {
  console.error(`FALHOU: ${e.message}`);
  process.exit(1);
});
