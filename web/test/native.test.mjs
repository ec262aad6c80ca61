// Edits made in the page's form give the summary the native host computes
// for the same deck: the page's deck is saved as a text deck, run by
// `kestro run --json`, and the envelope of its results compared with the
// summary's data-value at the precision of the results document (15
// significant digits).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, openPage, summary, edit, downloadText, hostPath } from './browser.mjs';

let browser;
let dir;
before(async () => { browser = await launch(); dir = mkdtempSync(join(tmpdir(), 'kestro-web-')); });
after(async () => { await browser?.close(); rmSync(dir, { recursive: true, force: true }); });

// The envelope over every problem with a results table, as the page's
// summary states it: the value of largest magnitude (the first such station)
// and its depth; the iterations of the run.
function nativeSummary(results) {
  const out = { outcome: results.outcome };
  let iterations = 0;
  const best = {};
  for (const p of results.problems) {
    const t = p.tables.stations;
    if (!t.rows.length) continue;
    iterations = Math.max(iterations, p.iterations);
    const col = Object.fromEntries(t.columns.map((c, i) => [c.name, i]));
    for (const row of t.rows) {
      for (const [key, name] of [['deflection', 'deflection'], ['moment', 'moment'], ['shear', 'shear']]) {
        const v = row[col[name]];
        if (!(key in best) || Math.abs(v) > Math.abs(best[key].value)) best[key] = { value: v, depth: row[col.X] };
      }
    }
  }
  out.iterations = iterations;
  for (const key of Object.keys(best)) out[`largest-${key}`] = best[key].value;
  return out;
}

const at15 = (v) => Number(Number(v).toPrecision(15));

async function compareWithHost(page, label) {
  const shown = await summary(page);
  const saved = await downloadText(page, 'save-legacy');
  assert.match(saved.name, /\.dat$/);
  const deck = join(dir, `${label}.dat`);
  const json = join(dir, `${label}.json`);
  writeFileSync(deck, saved.text);
  execFileSync(hostPath(), ['run', deck, '--output-dir', dir, '--json', json], { stdio: 'pipe' });
  const native = nativeSummary(JSON.parse(readFileSync(json, 'utf8')));
  assert.equal(shown.outcome, native.outcome, `${label}: outcome`);
  assert.equal(Number(shown.iterations), native.iterations, `${label}: iterations`);
  for (const key of ['largest-deflection', 'largest-moment', 'largest-shear']) {
    assert.equal(at15(shown[key]), native[key], `${label}: ${key} ${shown[key]} against the host's ${native[key]}`);
  }
  return shown;
}

const cases = [
  { template: 'cantilever', label: 'friction-angle', edits: [['problems/0/soil_layers/0/friction_angle', 29]] },
  // The last stage's excavation, which the envelope of the run feels.
  { template: 'staged', stage: 2, label: 'excavation-depth', edits: [['problems/2/geometry/excavation_depth', 276], ['problems/2/wall/free_height', 276]] },
  { template: 'tied-clay', label: 'tieback-prestress', edits: [['problems/0/tiebacks/0/prestress', 32000]] },
];

for (const c of cases) {
  test(`${c.label}: an edit of ${c.template} gives the host's summary`, async () => {
    const { context, page, messages } = await openPage(browser);
    await page.selectOption('#template-picker', c.template);
    await page.waitForFunction(() => document.body.dataset.state === 'idle');
    const before = await compareWithHost(page, `${c.label}-before`);
    if (c.stage) await page.selectOption('#stage-picker', String(c.stage));
    for (const [path, value] of c.edits) await edit(page, path, value);
    for (const [path, value] of c.edits) assert.equal(await page.evaluate((p) => p.split('/').reduce((o, k) => o[k], window.kestro.deck()), path), value);
    const afterEdit = await compareWithHost(page, c.label);
    assert.notDeepEqual(afterEdit, before, 'the edit changed nothing');
    assert.notEqual(afterEdit['largest-moment'], before['largest-moment']);
    assert.deepEqual(messages, []);
    await context.close();
  });
}
