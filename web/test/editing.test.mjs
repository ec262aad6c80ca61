// Bad values at their fields, undo and redo, and the project kept over a
// reload.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launch, openPage, summary, edit } from './browser.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function fieldState(page, path) {
  return page.evaluate((p) => {
    const input = document.querySelector(`[name="${CSS.escape(p)}"]`);
    const note = document.getElementById(input.getAttribute('aria-describedby'));
    return { invalid: input.getAttribute('aria-invalid'), message: note ? note.textContent : null };
  }, path);
}

test('a value that is not a number is refused at its field', async () => {
  const { context, page, messages } = await openPage(browser);
  const path = 'problems/0/soil_layers/0/friction_angle';
  const before = await summary(page);
  await edit(page, path, 'thirty');
  assert.deepEqual(await fieldState(page, path), { invalid: 'true', message: 'expected a number, found "thirty"' });
  assert.equal(window_deck_value(await page.evaluate(() => window.kestro.deck()), path), 32);
  assert.deepEqual(await summary(page), before);
  await edit(page, path, '31');
  assert.deepEqual(await fieldState(page, path), { invalid: null, message: '' });
  assert.notEqual((await summary(page))['largest-moment'], before['largest-moment']);
  await edit(page, 'problems/0/geometry/increments', '6.5');
  assert.equal((await fieldState(page, 'problems/0/geometry/increments')).invalid, 'true');
  assert.deepEqual(messages, []);
  await context.close();
});

test('a value the engine stops on shows the engine\'s message at its field', async () => {
  const { context, page, messages } = await openPage(browser);
  // The excavation below the deepest soil layer (480 in).
  await edit(page, 'problems/0/wall/free_height', 500);
  const s = await summary(page);
  assert.equal(s.outcome, 'error stop');
  const state = await fieldState(page, 'problems/0/wall/free_height');
  assert.equal(state.invalid, 'true');
  assert.match(state.message, /HFREE = 500 in/);
  await edit(page, 'problems/0/wall/free_height', 144);
  assert.equal((await summary(page)).outcome, 'completed');
  assert.equal((await fieldState(page, 'problems/0/wall/free_height')).invalid, null);
  assert.equal(await page.locator('[aria-invalid="true"]').count(), 0);
  // A warning of the deck check is written beside its field, which stays valid.
  await edit(page, 'problems/0/geometry/wall_height', 300);
  assert.deepEqual(await fieldState(page, 'problems/0/geometry/wall_height'), {
    invalid: null,
    message: 'warning: N*h = 360 in, but the height of wall is 300 in (the analysis uses N*h; is the increment length or the height in the wrong unit?)',
  });
  assert.equal((await summary(page)).outcome, 'completed');
  await edit(page, 'problems/0/geometry/wall_height', 360);
  assert.deepEqual(await fieldState(page, 'problems/0/geometry/wall_height'), { invalid: null, message: '' });
  assert.equal(await page.locator('.warned').count(), 0);
  assert.deepEqual(messages, []);
  await context.close();
});

test('undo and redo, by buttons and keys; the project survives a reload', async () => {
  const { context, page, messages } = await openPage(browser);
  const path = 'problems/0/soil_layers/0/unit_weight';
  const original = await page.evaluate(() => window.kestro.deck());
  const first = await summary(page);
  await edit(page, path, 0.075);
  await page.locator(`[name="${path}"]`).blur();
  const edited = await page.evaluate(() => window.kestro.deck());
  assert.equal(window_deck_value(edited, path), 0.075);
  const second = await summary(page);
  assert.notDeepEqual(second, first);

  await page.keyboard.press('Control+z');
  assert.deepEqual(await page.evaluate(() => window.kestro.deck()), original);
  assert.deepEqual(await summary(page), first);
  assert.equal(await page.inputValue(`[name="${path}"]`), '0.0694');
  await page.keyboard.press('Control+y');
  assert.deepEqual(await page.evaluate(() => window.kestro.deck()), edited);
  await page.click('#undo-button');
  assert.deepEqual(await page.evaluate(() => window.kestro.deck()), original);
  await page.click('#redo-button');
  assert.deepEqual(await summary(page), second);

  await page.reload();
  await page.evaluate(() => window.kestro.ready);
  assert.deepEqual(await page.evaluate(() => window.kestro.deck()), edited);
  assert.deepEqual(await summary(page), second);
  assert.deepEqual(messages, []);
  await context.close();
});

function window_deck_value(deck, path) {
  return path.split('/').reduce((o, k) => (o === undefined ? o : o[k]), deck);
}

test('a stage added to the staged template and one removed keep the run whole', async () => {
  const { context, page, messages } = await openPage(browser);
  await page.selectOption('#template-picker', 'staged');
  await page.waitForFunction(() => window.kestro.deck().problems.length === 3);
  await page.selectOption('#stage-picker', '2');
  const three = await summary(page);
  await page.click('#stage-add');
  // The new last stage digs 4 ft deeper than the one it copies.
  await edit(page, 'problems/3/geometry/excavation_depth', 312);
  await edit(page, 'problems/3/wall/free_height', 312);
  const deck = await page.evaluate(() => window.kestro.deck());
  assert.equal(deck.problems.length, 4);
  assert.deepEqual(deck.problems.map((p) => p.control.stages), [4, 4, 4, 4]);
  const four = await summary(page);
  assert.equal(four.outcome, 'completed');
  assert.equal(await page.evaluate(() => window.kestro.run().then((r) => r.problems.length)), 4);
  assert.ok(Math.abs(Number(four['largest-deflection'])) > Math.abs(Number(three['largest-deflection'])));
  assert.ok(await page.locator('#envelope-moment polyline.c3').count() === 1, 'no curve of stage 4 in the envelope');
  await page.click('#stage-remove');
  assert.equal((await page.evaluate(() => window.kestro.deck())).problems.length, 3);
  assert.deepEqual(await summary(page), three);
  assert.deepEqual(messages, []);
  await context.close();
});
