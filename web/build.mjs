#!/usr/bin/env node
// Builds the page: one self-contained HTML file holding the styles, the
// scripts, the example decks as templates and the engine (its script with
// the WebAssembly inside), which runs in a Web Worker made from a Blob, so
// that the file works offline, opened from disk.
//
// usage: node web/build.mjs ENGINE_JS OUT_HTML
//   ENGINE_JS: the engine's single-file script (createKestroEngine)
import { readFileSync, writeFileSync, mkdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..');
const [engineJs, outHtml] = process.argv.slice(2);
if (!engineJs || !outHtml) {
  console.error('usage: node web/build.mjs ENGINE_JS OUT_HTML');
  process.exit(2);
}

const src = (name) => readFileSync(join(here, 'src', name), 'utf8');

// The templates: the bundled example decks, as the page offers them.
const templates = [
  { id: 'cantilever', title: 'Cantilever sheet pile in sand (sand, clay, sand)', file: 'cantilever-layered-soil.dat' },
  { id: 'tied-clay', title: 'Tied-back wall in clay', file: 'tied-back-wall-clay.dat' },
  { id: 'staged', title: 'Staged excavation in sand over weak rock', file: 'staged-excavation-sand-weak-rock.dat' },
].map((t) => ({ ...t, text: readFileSync(join(root, 'examples', t.file), 'utf8') }));

// A JavaScript literal that is safe inside <script>: no "</" can close it.
const literal = (value) => JSON.stringify(value).replace(/<\//g, '<\\/').replace(/<!--/g, '<\\!--');

const worker = `${readFileSync(engineJs, 'utf8')}\n;\n${src('worker.js')}`;
const script = [
  `const KESTRO_TEMPLATES = ${literal(templates)};`,
  `const KESTRO_WORKER_SOURCE = ${literal(worker)};`,
  src('engine-client.js'),
  src('form.js'),
  src('charts.js'),
  src('app.js'),
].join('\n');

const page = src('index.html')
  .replace('/*@STYLE@*/', () => src('style.css'))
  .replace('/*@SCRIPT@*/', () => script);
mkdirSync(dirname(outHtml), { recursive: true });
writeFileSync(outHtml, page);
console.log(`${outHtml}: ${(page.length / 1024).toFixed(0)} KiB`);
