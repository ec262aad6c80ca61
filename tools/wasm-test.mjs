// The WebAssembly module against the native host: tools/wasm-test.sh runs
// every deck through the host (with a fixed clock) into a folder of its own
// and lists them; this script runs the same decks through the module under
// node and compares what both made.
// Usage: node tools/wasm-test.mjs MODULE MANIFEST SOURCE_DIR
//   MANIFEST: one line per deck, "SOURCE<TAB>COPY", COPY being the deck's
//   copy beside the host's outputs (STEM.out ... results.json, status, and
//   for the decks with pages STEM.html and csv/).
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';
import { isDeepStrictEqual } from 'node:util';

const [modulePath, manifestPath, sourceDir] = process.argv.slice(2);
if (!modulePath || !manifestPath || !sourceDir) {
  console.error('usage: node tools/wasm-test.mjs MODULE MANIFEST SOURCE_DIR');
  process.exit(2);
}
const require = createRequire(import.meta.url);
const engine = await require(path.resolve(modulePath))();

const failures = [];
const fail = (what, detail) => failures.push(`${what}: ${detail}`);
const decoder = new TextDecoder('utf-8');  // bad bytes become U+FFFD, as in the module

// Where two texts part: the first differing line of each.
function firstDifference(expected, actual) {
  const a = expected.split('\n');
  const b = actual.split('\n');
  for (let i = 0; i < Math.max(a.length, b.length); ++i) {
    if (a[i] !== b[i]) {
      return `line ${i + 1}: native ${JSON.stringify(a[i] ?? '(end)')}, ` +
             `wasm ${JSON.stringify(b[i] ?? '(end)')}`;
    }
  }
  return 'same lines, different bytes';
}

function compareText(what, expected, actual) {
  if (expected === actual) return true;
  fail(what, firstDifference(expected, actual));
  return false;
}

function readIfThere(file) {
  return fs.existsSync(file) ? decoder.decode(fs.readFileSync(file)) : '';
}

function parse(what, text) {
  try {
    return JSON.parse(text);
  } catch (error) {
    fail(what, `not JSON: ${error.message}`);
    return {};
  }
}

// The catalogue's cases: the line each bad deck's message names.
const cases = new Map();
{
  let deck = null;
  const text = fs.readFileSync(path.join(sourceDir, 'tests/catalogue/cases.txt'), 'utf8');
  for (const line of text.split('\n')) {
    const m = /^(deck|line|message|outcome): (.*)$/.exec(line);
    if (!m) continue;
    if (m[1] === 'deck') {
      deck = { line: null, message: null, outcome: null };
      cases.set(m[2], deck);
    } else if (deck) {
      deck[m[1]] = m[2];
    }
  }
}

const extensions = { report: '.out', plot: '.plt', monitor: '.mon', py_curves: '.pyc',
                     earth_pressure: '.epf' };
const manifest = fs.readFileSync(manifestPath, 'utf8').split('\n').filter((l) => l);
let identical = 0;
let filesCompared = 0;
let stopsChecked = 0;
let runMilliseconds = 0;
for (const entry of manifest) {
  const [source, copy] = entry.split('\t');
  const dir = path.dirname(copy);
  const name = path.basename(copy);
  const stem = name.replace(/\.[^.]*$/, '');
  const bytes = fs.readFileSync(copy);  // raw bytes: the module sees what the host read
  const before = performance.now();
  const run = parse(`${source}: run`, engine.run(bytes, copy, true));
  runMilliseconds += performance.now() - before;
  if (run.error) {
    fail(source, `run answered an error: ${run.error.message}`);
    continue;
  }
  let same = true;
  for (const [key, extension] of Object.entries(extensions)) {
    ++filesCompared;
    same = compareText(`${source}: ${stem}${extension}`, readIfThere(path.join(dir, stem + extension)),
                       run.files[key]) && same;
  }
  // Both clocks must have been the fixed one, or the comparison proves
  // little (a deck stopped before the header has no date).
  if (source.startsWith('examples/') && !run.files.report.includes('March 15, 2024')) {
    fail(source, 'the report does not show the fixed date');
    same = false;
  }
  const results = parse(`${source}: results.json`, readIfThere(path.join(dir, 'results.json')));
  if (!isDeepStrictEqual(results, run.results)) {
    fail(source, 'the results export differs from the host\'s --json document');
    same = false;
  }
  const status = Number(fs.readFileSync(path.join(dir, 'status'), 'utf8'));
  if (status !== run.exit_status) {
    fail(source, `exit status: native ${status}, wasm ${run.exit_status}`);
    same = false;
  }
  // The page and the CSV tables, for the decks the host made them for.
  if (fs.existsSync(path.join(dir, stem + '.html'))) {
    ++filesCompared;
    same = compareText(`${source}: ${stem}.html`, readIfThere(path.join(dir, stem + '.html')),
                       engine.html(bytes, copy)) && same;
    const csv = parse(`${source}: csv`, engine.csv(bytes, copy));
    const native = fs.readdirSync(path.join(dir, 'csv')).sort();
    if (!isDeepStrictEqual(native, Object.keys(csv).sort())) {
      fail(source, `CSV files: native ${native.join(' ')}, wasm ${Object.keys(csv).join(' ')}`);
      same = false;
    }
    for (const file of native) {
      ++filesCompared;
      same = compareText(`${source}: ${file}`, readIfThere(path.join(dir, 'csv', file)),
                         csv[file] ?? '') && same;
    }
    // A run without texts gives the same outcome and values.
    const valuesOnly = parse(`${source}: run without text`, engine.run(bytes, copy, false));
    if ('files' in valuesOnly || !isDeepStrictEqual(valuesOnly.results, run.results) ||
        !isDeepStrictEqual(valuesOnly.summary, run.summary)) {
      fail(source, 'the run without texts differs from the run with them');
      same = false;
    }
  }
  // A bad deck of the catalogue: the stop names the line its case gives.
  const expected = cases.get(name);
  if (expected && expected.outcome) {
    ++stopsChecked;
    if (run.outcome !== expected.outcome || run.message !== expected.message) {
      fail(source, `outcome ${JSON.stringify(run.outcome)} ${JSON.stringify(run.message)}, ` +
                   `the catalogue says ${expected.outcome} ${JSON.stringify(expected.message)}`);
      same = false;
    } else if (/^\d+$/.test(expected.line ?? '') &&
               (run.stop === null || run.stop.line !== Number(expected.line) ||
                run.stop.file !== name)) {
      fail(source, `stop ${JSON.stringify(run.stop)}, the catalogue gives line ${expected.line}`);
      same = false;
    }
  }
  if (same) ++identical;
}

// The examples through the JSON form and back: the same deck model, and the
// deck written back runs to the same report.
const examples = manifest.map((e) => e.split('\t')).filter(([s]) => s.startsWith('examples/'));
for (const [source, copy] of examples) {
  const text = fs.readFileSync(copy, 'utf8');
  const first = parse(`${source}: deckToJson`, engine.deckToJson(text, copy));
  if (!first.deck) {
    fail(source, `deckToJson: ${JSON.stringify(first.error)}`);
    continue;
  }
  const legacy = parse(`${source}: deckToLegacy`, engine.deckToLegacy(JSON.stringify(first.deck)));
  if (typeof legacy.text !== 'string') {
    fail(source, `deckToLegacy: ${JSON.stringify(legacy.error)}`);
    continue;
  }
  const second = parse(`${source}: deckToJson again`, engine.deckToJson(legacy.text, copy));
  if (!isDeepStrictEqual(first.deck, second.deck)) fail(source, 'the JSON round trip changes the deck');
  const original = parse(`${source}: run`, engine.run(text, copy, true));
  const again = parse(`${source}: run written back`, engine.run(legacy.text, copy, true));
  compareText(`${source}: report of the deck written back`, original.files.report,
              again.files.report);
  const fromJson = parse(`${source}: run of the JSON text`,
                         engine.run(JSON.stringify(first.deck), copy, false));
  if (!isDeepStrictEqual(fromJson.summary, original.summary) ||
      !isDeepStrictEqual(fromJson.force_residuals, original.force_residuals)) {
    fail(source, 'the JSON form runs to other results than the deck text');
  }
}

// Bad input names its place: a line and item in text, a path in JSON.
{
  const bad = 'retaining wall\n1 2 x\n';
  const converted = parse('bad deck: deckToJson', engine.deckToJson(bad, 'bad.dat'));
  if (!converted.error || converted.error.line !== 2 || converted.error.item !== 3 ||
      converted.error.file !== 'bad.dat') {
    fail('bad deck', `deckToJson gives ${JSON.stringify(converted)}, not line 2, item 3`);
  }
  const ran = parse('bad deck: run', engine.run(bad, 'bad.dat', true));
  if (ran.outcome !== 'bad input' || ran.stop?.line !== 2 || ran.outcome_code === 0) {
    fail('bad deck', `run gives ${ran.outcome} ${JSON.stringify(ran.stop)}, not bad input at line 2`);
  }
  const checked = parse('bad deck: check', engine.check(bad, 'bad.dat'));
  if (!checked.findings?.some((f) => f.grade === 'error') || checked.stop?.line !== 2) {
    fail('bad deck', `check gives ${JSON.stringify(checked)}, without the error at line 2`);
  }
  const example = parse('example', engine.deckToJson(
      fs.readFileSync(path.join(sourceDir, 'examples/tied-back-wall.dat'), 'utf8'), 'w.dat'));
  example.deck.problems[0].geometry.wall_height = 'tall';
  const wrong = parse('bad JSON deck', engine.deckToLegacy(JSON.stringify(example.deck)));
  if (wrong.error?.path !== '/problems/0/geometry/wall_height') {
    fail('bad JSON deck', `deckToLegacy gives ${JSON.stringify(wrong)}, without the value's path`);
  }
}

// The schema is the one the repository ships; the field table holds every
// field with its type and units.
if (engine.schema() !== fs.readFileSync(path.join(sourceDir, 'schema/deck.schema.json'), 'utf8')) {
  fail('schema', 'differs from schema/deck.schema.json');
}
const fields = parse('fields', engine.fields());
const friction = Array.isArray(fields) &&
    fields.find((f) => f.path === '/problems/*/soil_layers/*/friction_angle');
if (!friction || friction.type !== 'real' || friction.units.english !== 'deg') {
  fail('fields', `no real friction_angle in degrees: ${JSON.stringify(friction)}`);
}
const soilType = Array.isArray(fields) &&
    fields.find((f) => f.path === '/problems/*/soil_layers/*/soil_type');
if (!soilType || !soilType.enum.some((e) => e.name === 'sand' && e.code === 4)) {
  fail('fields', `soil_type without its names: ${JSON.stringify(soilType)}`);
}

console.log(`wasm-test: ${identical} of ${manifest.length} decks identical to the native host ` +
            `(${filesCompared} files, ${stopsChecked} catalogue stops), ` +
            `${examples.length} examples through JSON and back; ` +
            `${(runMilliseconds / manifest.length).toFixed(1)} ms per run in the module`);
if (failures.length > 0) {
  for (const failure of failures.slice(0, 40)) console.error(`  ${failure}`);
  if (failures.length > 40) console.error(`  ... and ${failures.length - 40} more`);
  console.error(`wasm-test: ${failures.length} differences`);
  process.exit(1);
}
