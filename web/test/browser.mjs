// Opens the built page from file:// in headless Chromium with the network
// shut off, and collects every console message and uncaught error.
import { chromium } from 'playwright-core';
import { existsSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const pagePath = resolve(process.env.KESTRO_PAGE || join(root, 'build/wasm/kestro.html'));
export const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';

export function hostPath() {
  for (const p of [process.env.KESTRO_HOST, join(root, 'build/release/kestro'), join(root, 'build/host/kestro')]) {
    if (p && existsSync(p)) return p;
  }
  throw new Error('no native host: build build/release/kestro or set KESTRO_HOST');
}

export async function launch() {
  if (!existsSync(pagePath)) throw new Error(`no page at ${pagePath}: build it first`);
  return chromium.launch({
    executablePath: chromiumPath,
    args: ['--no-sandbox', '--disable-gpu', '--host-resolver-rules=MAP * ~NOTFOUND'],
  });
}

// A fresh page (its own storage) with the project of `deck` open when given.
export async function openPage(browser, { deck, name } = {}) {
  const context = await browser.newContext({ acceptDownloads: true, viewport: { width: 1400, height: 1000 } });
  const refused = [];
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (/^(file|blob|data):/.test(url)) return route.continue();
    refused.push(url);
    return route.abort();
  });
  const page = await context.newPage();
  const messages = [];
  page.on('console', (m) => messages.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => messages.push(`uncaught: ${e.message}`));
  await page.goto(pathToFileURL(pagePath).href);
  await page.evaluate(() => window.kestro.ready);
  if (deck) await page.evaluate(([t, n]) => window.kestro.load(t, n), [deck, name]);
  return { context, page, messages, refused };
}

// The summary as the page shows it: key -> data-value.
export async function summary(page) {
  await page.evaluate(() => window.kestro.settled());
  return page.evaluate(() => Object.fromEntries(
    [...document.querySelectorAll('[data-summary]')].map((e) => [e.dataset.summary, e.dataset.value])));
}

// Types into the input named by a deck path and waits for the redraw.
export async function edit(page, path, value) {
  const input = page.locator(`[name="${path}"]`);
  await input.fill(String(value));
  await page.evaluate(() => window.kestro.settled());
}

// The text of a file the page offers through a button.
export async function downloadText(page, buttonId) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(`#${buttonId}`)]);
  const stream = await download.createReadStream();
  const chunks = [];
  for await (const c of stream) chunks.push(c);
  return { name: download.suggestedFilename(), text: Buffer.concat(chunks).toString('utf8') };
}
