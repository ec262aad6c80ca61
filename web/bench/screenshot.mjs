#!/usr/bin/env node
// Takes the screenshot of docs/web.md: the page with the staged template
// open, in headless Chromium.
// usage: node web/bench/screenshot.mjs OUT.png
import { launch, openPage } from '../test/browser.mjs';

const out = process.argv[2] || 'docs/web.png';
const browser = await launch();
const { page } = await openPage(browser);
await page.setViewportSize({ width: 1400, height: 1050 });
await page.selectOption('#template-picker', 'staged');
await page.waitForFunction(() => window.kestro.deck().problems.length === 3);
await page.selectOption('#stage-picker', '2');
await page.evaluate(() => window.kestro.settled());
await page.evaluate(() => {
  // The soil layers in view in the form; the page itself at its top.
  const editor = document.getElementById('editor');
  editor.scrollTop = document.getElementById('group-soil').offsetTop - editor.offsetTop - 60;
  window.scrollTo(0, 0);
});
await page.screenshot({ path: out });
await browser.close();
console.log(out);
