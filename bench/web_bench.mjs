// Speed of the exported web page in headless Chromium against ludomat-run, in one run: the game
// scene (38 x 21 tile map, 50 keyed sprites, a refresh a frame) and the counting loop. Each side
// runs the workload at two sizes and the difference is timed (wall clock), which leaves out
// start-up: Qt and the file loading for ludomat-run, fetching and compiling for the page.
//
//   node web_bench.mjs BUILD_DIR WORK_DIR FRAMES LOOPS REPEAT
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { Browser, startServer } from '../tests/web/browser.mjs';

const [buildDir, work, frames, loops, repeat] = process.argv.slice(2);
const scenePy = path.join(path.dirname(new URL(import.meta.url).pathname), 'scene', 'scene.py');
const small = { scene: 2, count: 1000 };
const large = { scene: Number(frames), count: Number(loops) };

function sh(program, args, options = {}) {
  const r = spawnSync(program, args, { encoding: 'utf8', ...options });
  if (r.status !== 0) throw new Error(`${program} ${args.join(' ')}: ${r.stderr}`);
  return r.stdout;
}

// A game folder per workload and size; the scene's pictures come from scene.py.
function makeGame(kind, n) {
  const folder = path.join(work, `${kind}-${n}`);
  fs.mkdirSync(folder, { recursive: true });
  if (kind === 'scene') {
    sh('/usr/bin/python3', [scenePy, 'assets', folder]);
    sh('/usr/bin/python3', [scenePy, 'script', folder, String(n)]);
    fs.renameSync(path.join(folder, 'scene.scp'), path.join(folder, `${kind}-${n}.scp`));
  } else {
    fs.writeFileSync(path.join(folder, `${kind}-${n}.scp`), `:loop\ninc 1\nifreg< 1,${n},loop\n`);
  }
  sh(path.join(buildDir, 'ludomat-export'), ['--web', folder, path.join(work, 'site', `${kind}-${n}`), '--script', `${kind}-${n}.scp`,
    '--runtime', path.join(buildDir, 'ludomat-web')],
    { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  return folder;
}

function desktopSeconds(folder, script) {
  const start = process.hrtime.bigint();
  sh(path.join(buildDir, 'ludomat-run'), [path.join(folder, script)], { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  return Number(process.hrtime.bigint() - start) / 1e9;
}

async function browserSeconds(browser, url) {
  const start = process.hrtime.bigint();
  const page = await browser.open(url);
  // Polled more often than the tests poll: the runs last seconds, and each poll's delay counts.
  const end = Date.now() + 600000;
  while (!(await browser.evaluate(page, '!!(window.ludomatIdle && window.ludomatIdle())'))) {
    if (Date.now() > end) throw new Error(`${url} did not finish`);
    await new Promise((resolve) => setTimeout(resolve, 10));
  }
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  await browser.close(page);
  return seconds;
}

async function main() {
  fs.mkdirSync(path.join(work, 'site'), { recursive: true });
  const server = await startServer(path.join(work, 'site'));
  const browser = await Browser.start('/usr/bin/chromium', path.join(work, 'profile'));
  const results = {};
  try {
    for (const kind of ['scene', 'count']) {
      const games = [small[kind], large[kind]].map((n) => ({ n, folder: makeGame(kind, n) }));
      const best = { desktop: [Infinity, Infinity], web: [Infinity, Infinity] };
      for (let r = 0; r < Number(repeat); ++r) {
        for (let i = 0; i < 2; ++i) {
          const { n, folder } = games[i];
          best.desktop[i] = Math.min(best.desktop[i], desktopSeconds(folder, `${kind}-${n}.scp`));
          best.web[i] = Math.min(best.web[i], await browserSeconds(browser, `${server.url}${kind}-${n}/index.html`));
        }
      }
      const work = large[kind] - small[kind];
      const rate = (side) => work / Math.max(best[side][1] - best[side][0], 0.001);
      results[kind] = { desktop: rate('desktop'), web: rate('web') };
    }
  } finally {
    await browser.stop();
    await server.stop();
  }
  const line = (label, unit, r) => console.log(`${label.padEnd(14)} ludomat-run ${r.desktop.toFixed(0).padStart(10)} ${unit}   ` +
    `browser ${r.web.toFixed(0).padStart(10)} ${unit}   ratio browser/ludomat-run ${(r.web / r.desktop).toFixed(2)}`);
  line('scene', 'frames/s', results.scene);
  line('counting loop', 'iter/s', results.count);
  const sceneOk = results.scene.web >= 60 && results.scene.web >= results.scene.desktop / 2;
  const countOk = results.count.web >= results.count.desktop / 3;
  console.log(`  scene >= 60 frames/s and >= half of ludomat-run: ${sceneOk ? 'met' : 'NOT met'}`);
  console.log(`  counting loop >= a third of ludomat-run: ${countOk ? 'met' : 'NOT met'}`);
}

main().catch((e) => { console.error(e.stack || String(e)); process.exit(1); });
