// Each template opens, solves and draws, with nothing on the console.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launch, openPage, summary } from './browser.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const templates = [
  { id: 'cantilever', stages: 1, curves: true },
  { id: 'tied-clay', stages: 1, curves: true },
  { id: 'staged', stages: 3, curves: true },
];

for (const t of templates) {
  test(`template ${t.id} loads and solves without a console message`, async () => {
    const { context, page, messages, refused } = await openPage(browser);
    await page.selectOption('#template-picker', t.id);
    await page.waitForFunction((n) => window.kestro.deck().problems.length === n, t.stages);
    const s = await summary(page);
    assert.equal(s.outcome, 'completed');
    assert.ok(Number(s.iterations) >= 1, `iterations ${s.iterations}`);
    for (const key of ['largest-deflection', 'largest-moment', 'largest-shear']) {
      assert.ok(Number.isFinite(Number(s[key])) && Number(s[key]) !== 0, `${key} = ${s[key]}`);
    }
    // The drawings: the wall, four profiles, p-y curves, and the stage envelopes.
    const ids = await page.$$eval('#charts svg', (svgs) => svgs.map((s) => s.id));
    for (const id of ['p1-wall', 'p1-deflection', 'p1-moment', 'p1-shear', 'p1-soil']) assert.ok(ids.includes(id), `no ${id} in ${ids}`);
    if (t.curves) assert.ok(ids.includes('p1-py'), 'no p-y chart');
    if (t.stages > 1) for (const id of ['envelope-deflection', 'envelope-moment']) assert.ok(ids.includes(id), `no ${id}`);
    // Every profile has a drawn curve inside its plot area.
    const outside = await page.$$eval('#charts svg.chart', (svgs) => svgs.flatMap((svg) => {
      const area = svg.querySelector('.plot-area').getBBox();
      return [...svg.querySelectorAll('polyline.curve')].filter((pl) => {
        const b = pl.getBBox();
        return b.x < area.x - 0.6 || b.y < area.y - 0.6 || b.x + b.width > area.x + area.width + 0.6 || b.y + b.height > area.y + area.height + 0.6;
      }).map(() => svg.id);
    }));
    assert.deepEqual(outside, []);
    // The form: a soil layer's friction angle is an input named by its path.
    assert.equal(await page.locator('[name="problems/0/soil_layers/0/friction_angle"]').count(), 1);
    assert.deepEqual(messages, []);
    assert.deepEqual(refused, []);
    await context.close();
  });
}
