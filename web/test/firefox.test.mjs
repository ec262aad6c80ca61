// The page in Firefox, opened from file://, driven over WebDriver BiDi (the
// protocol Firefox speaks itself; playwright-core drives only Chromium
// here): the engine starts in its Blob worker, the templates solve to the
// very values Chromium shows, and an edit redraws.  Skipped when Firefox is
// not installed (tools/deps.sh all installs firefox-esr).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, openPage, summary, pagePath } from './browser.mjs';

const firefox = process.env.FIREFOX || '/usr/bin/firefox';
const skip = !existsSync(firefox) ? 'Firefox is not installed'
  : typeof WebSocket !== 'function' ? 'node without WebSocket (run with --experimental-websocket)' : false;

// A Firefox session over WebDriver BiDi, with the page's console collected.
async function firefoxSession() {
  const profile = mkdtempSync(join(tmpdir(), 'kestro-firefox-'));
  const port = 9300 + Math.floor(Math.random() * 500);
  const child = spawn(firefox, ['--headless', '--no-remote', '--profile', profile, `--remote-debugging-port=${port}`], { stdio: 'ignore' });
  let ws;
  for (let i = 0; i < 100 && !ws; i++) {
    await new Promise((r) => setTimeout(r, 200));
    ws = await new Promise((resolve) => {
      const s = new WebSocket(`ws://127.0.0.1:${port}/session`);
      s.onopen = () => resolve(s);
      s.onerror = () => resolve(null);
    });
  }
  if (!ws) throw new Error('Firefox did not open its WebDriver BiDi port');
  let next = 0;
  const waiting = new Map();
  const console = [];
  ws.onmessage = (m) => {
    const d = JSON.parse(m.data);
    if (d.id && waiting.has(d.id)) { waiting.get(d.id)(d); waiting.delete(d.id); }
    else if (d.method === 'log.entryAdded') console.push(`${d.params.level}: ${d.params.text}`);
  };
  const send = (method, params) => new Promise((resolve, reject) => {
    const id = ++next;
    waiting.set(id, (d) => (d.type === 'error' ? reject(new Error(`${method}: ${d.error} ${d.message}`)) : resolve(d.result)));
    ws.send(JSON.stringify({ id, method, params }));
  });
  await send('session.new', { capabilities: {} });
  await send('session.subscribe', { events: ['log.entryAdded'] });
  const context = (await send('browsingContext.getTree', {})).contexts[0].context;
  const evaluate = async (expression) => {
    const r = await send('script.evaluate', { expression, target: { context }, awaitPromise: true });
    if (r.type === 'exception') throw new Error(r.exceptionDetails.text);
    return r.result.value;
  };
  const close = () => { ws.close(); child.kill(); rmSync(profile, { recursive: true, force: true }); };
  return { send, context, evaluate, console, close };
}

const SUMMARY = `JSON.stringify(Object.fromEntries([...document.querySelectorAll('[data-summary]')].map((e) => [e.dataset.summary, e.dataset.value])))`;

test('Firefox opens the page from file://, solves the templates to Chromium\'s values and redraws an edit', { skip }, async () => {
  const fx = await firefoxSession();
  try {
    await fx.send('browsingContext.navigate', { context: fx.context, url: pathToFileURL(pagePath).href, wait: 'complete' });
    assert.equal(await fx.evaluate('window.kestro.ready.then(() => "ready")'), 'ready');
    const found = {};
    for (const [i, id] of ['cantilever', 'tied-clay', 'staged'].entries()) {
      found[id] = JSON.parse(await fx.evaluate(`window.kestro.load(KESTRO_TEMPLATES[${i}].text, KESTRO_TEMPLATES[${i}].file).then(() => window.kestro.settled()).then(() => ${SUMMARY})`));
    }
    assert.equal(await fx.evaluate('String(document.querySelectorAll("#p1-wall, #envelope-moment, #p1-py").length)'), '3');
    const edited = JSON.parse(await fx.evaluate(`(async () => {
      await window.kestro.load(KESTRO_TEMPLATES[0].text, KESTRO_TEMPLATES[0].file);
      const input = document.querySelector('[name="problems/0/soil_layers/0/friction_angle"]');
      input.value = '33';
      input.dispatchEvent(new Event('input', { bubbles: true }));
      await window.kestro.settled();
      return ${SUMMARY};
    })()`));
    assert.deepEqual(fx.console, []);

    const browser = await launch();
    try {
      const { page } = await openPage(browser);
      for (const id of Object.keys(found)) {
        await page.selectOption('#template-picker', id);
        await page.waitForFunction((t) => document.getElementById('project-name').textContent === t, await page.evaluate((x) => KESTRO_TEMPLATES.find((t) => t.id === x).file.replace(/\.dat$/, ''), id));
        assert.deepEqual(found[id], await summary(page), id);
      }
      await page.selectOption('#template-picker', 'cantilever');
      await page.waitForFunction(() => document.getElementById('project-name').textContent === 'cantilever-layered-soil');
      await page.fill('[name="problems/0/soil_layers/0/friction_angle"]', '33');
      assert.deepEqual(edited, await summary(page));
      assert.notDeepEqual(edited, found.cantilever);
    } finally {
      await browser.close();
    }
  } finally {
    fx.close();
  }
});
