// Decks saved by the page open again to the same deck; a text deck of the
// examples opens, is saved as JSON and opens unchanged; the full run gives
// the report files; the HTML report and CSV tables are offered.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { launch, openPage, summary, edit, downloadText, root } from './browser.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// Opens a file through the page's file picker.
async function openSaved(page, file) {
  const loads = await page.evaluate(() => Number(document.body.dataset.loads || 0));
  await page.setInputFiles('#open-file', { name: file.name, mimeType: 'text/plain', buffer: Buffer.from(file.text) });
  await page.waitForFunction((n) => Number(document.body.dataset.loads || 0) > n, loads);
  assert.equal(await page.textContent('#load-message'), '');
  return page.evaluate(() => window.kestro.deck());
}

test('an edited template saved as JSON and as a text deck opens to the same deck', async () => {
  const { context, page, messages } = await openPage(browser);
  await page.selectOption('#template-picker', 'staged');
  await page.waitForFunction(() => window.kestro.deck().problems.length === 3);
  await page.selectOption('#stage-picker', '1');
  await edit(page, 'problems/1/tiebacks/0/angle', 20);
  await edit(page, 'problems/1/soil_layers/1/at_bottom/strength', 950);
  const deck = await page.evaluate(() => window.kestro.deck());
  const shown = await summary(page);
  const json = await downloadText(page, 'save-json');
  const dat = await downloadText(page, 'save-legacy');
  assert.deepEqual(JSON.parse(json.text), deck);

  const other = await openPage(browser);
  assert.deepEqual(await openSaved(other.page, json), deck);
  assert.deepEqual(await summary(other.page), shown);
  assert.deepEqual(await openSaved(other.page, { name: 'copy.dat', text: dat.text }), deck);
  assert.deepEqual(await summary(other.page), shown);
  assert.deepEqual(other.messages, []);
  await other.context.close();
  assert.deepEqual(messages, []);
  await context.close();
});

test('a text deck of the examples opens, is saved as JSON and opens unchanged', async () => {
  const { context, page, messages } = await openPage(browser);
  const text = readFileSync(join(root, 'examples/tied-back-wall.dat'), 'utf8');
  const deck = await openSaved(page, { name: 'tied-back-wall.dat', text });
  assert.equal(deck.problems[0].title, text.split('\n')[0].trim());
  const first = await summary(page);
  assert.equal(first.outcome, 'completed');
  const json = await downloadText(page, 'save-json');
  assert.equal(json.name, 'tied-back-wall.json');
  assert.deepEqual(await openSaved(page, json), deck);
  assert.deepEqual(await summary(page), first);
  // Written back as text, it is the text deck the engine writes for it.
  const dat = await downloadText(page, 'save-legacy');
  assert.deepEqual(await openSaved(page, { name: 'again.dat', text: dat.text }), deck);
  assert.deepEqual(messages, []);
  await context.close();
});

test('window.kestro.run gives the report files and the values of each problem', async () => {
  const { context, page, messages } = await openPage(browser);
  await page.selectOption('#template-picker', 'staged');
  await page.waitForFunction(() => window.kestro.deck().problems.length === 3);
  const shown = await summary(page);
  const run = await page.evaluate(() => window.kestro.run());
  assert.equal(run.outcome, 'completed');
  assert.match(run.files.report, /Stage No : 3 /);
  assert.ok(run.files.plot.length > 0 && run.files.monitor.length > 0);
  assert.equal(run.problems.length, 3);
  assert.equal(String(run.summary.largest_moment), shown['largest-moment']);
  const html = await downloadText(page, 'save-html');
  assert.match(html.text, /<svg/);
  await page.click('#save-csv');
  const links = page.locator('#csv-links a');
  await links.first().waitFor();
  const names = await links.allTextContents();
  assert.ok(names.some((n) => /p3-stations\.csv$/.test(n)), names.join(' '));
  const [download] = await Promise.all([page.waitForEvent('download'), links.filter({ hasText: 'p1-stations.csv' }).click()]);
  assert.match(download.suggestedFilename(), /p1-stations\.csv$/);
  const results = await downloadText(page, 'save-results');
  assert.equal(JSON.parse(results.text).problems.length, 3);
  assert.deepEqual(messages, []);
  await context.close();
});

test('a deck dropped on the page opens; printing leaves the form out', async () => {
  const { context, page, messages } = await openPage(browser);
  const text = readFileSync(join(root, 'examples/tied-back-wall-clay.dat'), 'utf8');
  const loads = await page.evaluate(() => Number(document.body.dataset.loads || 0));
  await page.evaluate((t) => {
    const data = new DataTransfer();
    data.items.add(new File([t], 'dropped.dat', { type: 'text/plain' }));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, text);
  await page.waitForFunction((n) => Number(document.body.dataset.loads || 0) > n, loads);
  assert.equal(await page.textContent('#project-name'), 'dropped');
  assert.equal((await page.evaluate(() => window.kestro.deck())).problems[0].tiebacks[0].prestress, 20000);
  await page.emulateMedia({ media: 'print' });
  assert.equal(await page.locator('#editor').isVisible(), false);
  assert.equal(await page.locator('#p1-moment').isVisible(), true);
  assert.equal(await page.locator('[data-summary="largest-moment"]').isVisible(), true);
  const pdf = await page.pdf({ format: 'A4' });
  assert.ok(pdf.length > 10000);
  assert.deepEqual(messages, []);
  await context.close();
});

test('a deck the engine cannot read is not opened; its message is shown', async () => {
  const { context, page, messages } = await openPage(browser);
  const deck = await page.evaluate(() => window.kestro.deck());
  await page.setInputFiles('#open-file', { name: 'broken.dat', mimeType: 'text/plain', buffer: Buffer.from('A WALL\n1 0 1 one 0 2 0 4 1 0 0 0\n') });
  await page.locator('#load-message').waitFor();
  assert.match(await page.textContent('#load-message'), /^Cannot open broken\.dat: .*line 2/);
  assert.deepEqual(await page.evaluate(() => window.kestro.deck()), deck);
  await assert.rejects(page.evaluate(() => window.kestro.load('{"problems": [{"title": 5}]}')), /title/);
  assert.deepEqual(await page.evaluate(() => window.kestro.deck()), deck);
  assert.deepEqual(messages, []);
  await context.close();
});
