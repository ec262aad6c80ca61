#!/usr/bin/env node
// Edit-to-redraw time of the page on each template, in headless Chromium:
// a value of the form is changed (alternating between two values), and the
// time from the input event to the end of the redraw it causes (the page's
// own measure, window.kestro.lastEditToRedraw) and to the frame that shows
// it (the next animation frame after the redraw, painted) is taken over ~30
// edits; medians are reported, after two edits of warm-up.
//
// usage: node web/bench/edit-redraw.mjs [--edits N]   (KESTRO_PAGE: the page)
import { launch, openPage } from '../test/browser.mjs';

const count = Number(process.argv[process.argv.indexOf('--edits') + 1]) || 30;
const cases = [
  { template: 'cantilever', path: 'problems/0/soil_layers/0/friction_angle', values: [31, 33] },
  { template: 'tied-clay', path: 'problems/0/tiebacks/0/prestress', values: [18000, 22000] },
  { template: 'staged', path: 'problems/0/soil_layers/0/friction_angle', values: [33, 35] },
];

const median = (xs) => { const s = [...xs].sort((a, b) => a - b); const m = s.length >> 1; return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2; };
const browser = await launch();
const rows = [];
for (const c of cases) {
  const { context, page } = await openPage(browser);
  await page.selectOption('#template-picker', c.template);
  await page.waitForFunction(() => document.body.dataset.state === 'idle' && window.kestro.deck().problems.length > 0);
  await page.evaluate(() => window.kestro.settled());
  const redraw = []; const frame = []; const engine = []; const draw = [];
  for (let i = 0; i < count + 2; i++) {
    const value = c.values[i % 2];
    const t = await page.evaluate(async ([path, v]) => {
      const input = document.querySelector(`[name="${CSS.escape(path)}"]`);
      const before = Number(document.body.dataset.redraws || 0);
      const t0 = performance.now();
      input.value = String(v);
      input.dispatchEvent(new Event('input', { bubbles: true }));
      await new Promise((resolve) => {
        const seen = new MutationObserver(() => {
          if (Number(document.body.dataset.redraws || 0) === before) return;
          seen.disconnect();
          // The frame that shows the redraw: after the next animation frame's paint.
          requestAnimationFrame(() => setTimeout(resolve, 0));
        });
        seen.observe(document.body, { attributes: true, attributeFilter: ['data-redraws'] });
      });
      return { frame: performance.now() - t0, redraw: window.kestro.lastEditToRedraw(), engine: Number(document.getElementById('run-time').dataset.runMs), draw: Number(document.getElementById('run-time').dataset.redrawMs) };
    }, [c.path, value]);
    if (i < 2) continue; // warm-up
    redraw.push(t.redraw); frame.push(t.frame); engine.push(t.engine); draw.push(t.draw);
  }
  rows.push({ template: c.template, edits: count, engine: median(engine), draw: median(draw), redraw: median(redraw), frame: median(frame), worst: Math.max(...frame) });
  await context.close();
}
await browser.close();
console.log('template      edits  engine run ms  drawing ms  edit->redraw ms  edit->frame ms  worst frame ms');
for (const r of rows) {
  console.log(`${r.template.padEnd(12)} ${String(r.edits).padStart(6)} ${r.engine.toFixed(1).padStart(14)} ${r.draw.toFixed(1).padStart(11)} ${r.redraw.toFixed(1).padStart(16)} ${r.frame.toFixed(1).padStart(15)} ${r.worst.toFixed(1).padStart(15)}`);
}
