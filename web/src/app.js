// The page: the deck being edited, its live runs in the engine's worker, the
// results drawings, undo and redo, files in and out, and window.kestro.
'use strict';

const STORE_KEY = 'kestro.project.v1';
const RUN_DELAY_MS = 5;

const $ = (id) => document.getElementById(id);

const app = {
  engine: null,
  table: null,
  form: null,
  name: 'wall',
  deck: null,
  stage: 0,
  undo: [],
  redo: [],
  editSnapshot: null, // the deck before the edit in progress
  typeErrors: new Map(), // path -> message of text a field cannot take
  live: null, // the last live run: {run, check, ...}
  runSeq: 0,
  pending: null,
  timer: 0,
  running: false,
  editStart: 0,
  lastEditToRedraw: null,
  pyChoice: null,
  waiters: [],
};

function deckText() {
  return JSON.stringify(app.deck);
}

function jsonName() {
  return `${app.name}.json`;
}

// ---- files in --------------------------------------------------------------

function looksJson(text) {
  return /^\s*\{/.test(text);
}

// Reads a deck (text or JSON form) through the engine; throws with the
// engine's message when it cannot be read.
async function readDeck(text, name) {
  const stem = String(name || 'wall').replace(/\.[^.]*$/, '') || 'wall';
  const fileName = looksJson(text) ? `${stem}.json` : (/\.[^.]+$/.test(name || '') && !/\.json$/i.test(name) ? name : `${stem}.dat`);
  const out = await app.engine.json('deckToJson', text, fileName);
  if (out.error) {
    const e = out.error;
    const where = e.path ? ` (${e.path})` : e.line ? ` (line ${e.line}${e.item ? `, item ${e.item}` : ''})` : '';
    throw new Error(`${e.message}${e.message && e.message.includes(String(e.path || '\u0000')) ? '' : where}`);
  }
  const deck = typeof out.deck === 'string' ? JSON.parse(out.deck) : out.deck;
  return { deck, stem };
}

async function openText(text, name, { record = true } = {}) {
  const { deck, stem } = await readDeck(text, name);
  if (record && app.deck) pushUndo(deckText());
  app.deck = deck;
  app.name = stem;
  app.stage = 0;
  app.typeErrors.clear();
  showLoadMessage('');
  afterStructuralChange();
  const live = await runNow();
  document.body.dataset.loads = String((Number(document.body.dataset.loads) || 0) + 1);
  return live;
}

function showLoadMessage(text) {
  const el = $('load-message');
  el.textContent = text;
  el.hidden = !text;
}

// ---- undo, redo, keeping -----------------------------------------------------

function pushUndo(snapshot) {
  app.undo.push(snapshot);
  if (app.undo.length > 200) app.undo.shift();
  app.redo.length = 0;
  updateUndoButtons();
}

function updateUndoButtons() {
  $('undo-button').disabled = app.undo.length === 0 && app.editSnapshot === null;
  $('redo-button').disabled = app.redo.length === 0;
}

function endEdit() {
  if (app.editSnapshot !== null) {
    if (app.editSnapshot !== deckText()) pushUndo(app.editSnapshot);
    app.editSnapshot = null;
  }
}

function undo() {
  endEdit();
  if (!app.undo.length) return;
  app.redo.push(deckText());
  app.deck = JSON.parse(app.undo.pop());
  app.typeErrors.clear();
  afterStructuralChange();
}

function redo() {
  endEdit();
  if (!app.redo.length) return;
  app.undo.push(deckText());
  app.deck = JSON.parse(app.redo.pop());
  app.typeErrors.clear();
  afterStructuralChange();
}

function store() {
  try {
    localStorage.setItem(STORE_KEY, JSON.stringify({ name: app.name, deck: app.deck, stage: app.stage }));
  } catch { /* storage full or refused: the project is still open */ }
}

// ---- the form ---------------------------------------------------------------

function renderStagePicker() {
  const picker = $('stage-picker');
  picker.innerHTML = app.deck.problems.map((p, i) => `<option value="${i}">${i + 1}: ${esc((p.title || '').slice(0, 50))}</option>`).join('');
  picker.value = String(app.stage);
  $('stage-remove').disabled = app.deck.problems.length < 2;
}

function renderForm() {
  if (app.stage >= app.deck.problems.length) app.stage = app.deck.problems.length - 1;
  renderStagePicker();
  const focused = document.activeElement && document.activeElement.name;
  app.form.render(app.deck, app.stage);
  for (const [path, message] of app.typeErrors) app.form.setError(path, message);
  if (app.live) markEngineErrors(app.live);
  if (focused) {
    const el = app.form.findInput(focused);
    if (el) el.focus();
  }
  $('project-name').textContent = app.name;
}

function afterStructuralChange() {
  renderForm();
  updateUndoButtons();
  store();
  scheduleRun(0);
}

function onInput(event) {
  const input = event.target;
  if (!input.name || !app.table.field(input.name)) return;
  if (app.editSnapshot === null) app.editSnapshot = deckText();
  const parsed = app.form.parse(input);
  if (parsed.error) {
    app.typeErrors.set(input.name, parsed.error);
    app.form.setError(input.name, parsed.error);
    updateUndoButtons();
    return;
  }
  app.typeErrors.delete(input.name);
  app.form.clearError(input.name);
  pathSet(app.deck, input.name, parsed.value);
  app.editStart = performance.now();
  updateUndoButtons();
  store();
  const field = app.table.field(input.name);
  // A change of code can change which fields apply: redraw the form.
  if (field && field.type === 'code' && /(soil_type|units)$/.test(input.name)) {
    endEdit();
    renderForm();
  }
  if (/\/title$/.test(input.name)) renderStagePicker();
  scheduleRun(RUN_DELAY_MS);
}

function onClick(event) {
  const button = event.target.closest('button[data-action]');
  if (!button) return;
  const path = button.dataset.path;
  endEdit();
  pushUndo(deckText());
  if (button.dataset.action === 'add') {
    const list = pathGet(app.deck, path);
    const entry = app.form.newEntry(path, app.deck);
    if (Array.isArray(list)) list.push(entry);
    else pathSet(app.deck, path, [entry]);
  } else if (button.dataset.action === 'add-record') {
    pathSet(app.deck, path, app.form.newRecord(pathPattern(path)));
  } else if (button.dataset.action === 'remove') {
    pathSet(app.deck, path, undefined);
    for (const p of [...app.typeErrors.keys()]) if (p.startsWith(`${path}/`)) app.typeErrors.delete(p);
  }
  afterStructuralChange();
}

// ---- live runs ----------------------------------------------------------------

function scheduleRun(delay) {
  clearTimeout(app.timer);
  app.timer = setTimeout(startRun, delay);
}

function runNow() {
  clearTimeout(app.timer);
  return startRun();
}

// Runs the current deck (values only) and the deck check, then redraws.
// A run asked for while one is going waits for it and runs the newest deck.
function startRun() {
  app.timer = 0;
  const seq = ++app.runSeq;
  const done = new Promise((resolve) => app.waiters.push({ seq, resolve }));
  if (app.running) { app.pending = true; return done; }
  const go = async () => {
    app.running = true;
    setState('running');
    while (true) {
      app.pending = false;
      const mySeq = app.runSeq;
      const text = deckText();
      const t0 = performance.now();
      let live;
      try {
        const out = await app.engine.call('liveRun', text, jsonName());
        live = { run: JSON.parse(out.run), runMs: out.runMs, check: null };
      } catch (err) {
        live = { failure: String(err.message || err) };
      }
      live.totalMs = performance.now() - t0;
      live.at = new Date();
      if (app.pending) continue; // the deck changed meanwhile: run the newest
      app.live = live;
      const r0 = performance.now();
      redraw(live);
      $('run-time').dataset.redrawMs = String(performance.now() - r0);
      // The check's findings follow the drawing.
      if (!live.failure) {
        try {
          const out = await app.engine.call('liveCheck', text, jsonName());
          live.check = JSON.parse(out.check);
          live.checkMs = out.checkMs;
        } catch (err) {
          live.check = { findings: [{ grade: 'error', text: `the deck check failed: ${err.message || err}` }] };
        }
        if (app.pending) continue;
        showMessages(live);
      }
      const ready = app.waiters.filter((w) => w.seq <= mySeq);
      app.waiters = app.waiters.filter((w) => w.seq > mySeq);
      ready.forEach((w) => w.resolve(live));
      break;
    }
    app.running = false;
    setState('idle');
  };
  go();
  return done;
}

function setState(state) {
  document.body.dataset.state = state;
  const el = $('run-state');
  el.textContent = state === 'running' ? 'running…' : 'up to date';
  el.className = state === 'running' ? 'busy' : '';
}

// Marks the fields the engine's messages name by path: an error makes the
// field invalid; a warning of the deck check is written beside its field.
function markEngineErrors(live) {
  const form = app.form;
  for (const input of form.el.querySelectorAll('[aria-invalid="true"], .warned')) {
    input.classList.remove('warned');
    if (!app.typeErrors.has(input.name)) form.clearError(input.name);
  }
  for (const e of engineErrors(live)) {
    for (const path of e.paths) if (!app.typeErrors.has(path)) form.setError(path, e.text);
  }
  for (const f of (live && live.check && live.check.findings) || []) {
    if (f.grade !== 'warning' || !f.path) continue;
    const path = String(f.path).replace(/^\//, '');
    const input = form.findInput(path);
    if (!input || input.getAttribute('aria-invalid') === 'true') continue;
    input.classList.add('warned');
    const note = document.getElementById(input.getAttribute('aria-describedby'));
    if (note) note.textContent = `warning: ${cleanMessage(f.text)}`;
  }
}

const PATHS_IN_TEXT = /\/problems\/\d+(?:\/[A-Za-z_][A-Za-z0-9_]*|\/\d+)+/g;

// The fields a message names: its own path and the paths in its text.
function pathsOf(path, text) {
  const all = [path, ...(String(text || '').match(PATHS_IN_TEXT) || [])].filter(Boolean);
  return [...new Set(all.map((p) => String(p).replace(/^\//, '')))];
}

// The errors of a live run: its stop, and the check's errors, with the
// fields each names.
function engineErrors(live) {
  const out = [];
  if (!live || !live.run) return out;
  const run = live.run;
  if (run.outcome && run.outcome !== 'completed') {
    const stop = run.stop || {};
    const text = run.message || stop.message || run.outcome;
    out.push({ text: cleanMessage(text), raw: text, paths: pathsOf(stop.path, text) });
  }
  for (const f of (live.check && live.check.findings) || []) {
    if (f.grade !== 'error') continue;
    if (out.some((o) => String(f.text).includes(o.raw))) continue;
    out.push({ text: cleanMessage(f.text), raw: f.text, paths: pathsOf(f.path, f.text) });
  }
  return out;
}

// The message without the deck name and path it starts with.
function cleanMessage(text) {
  return String(text).replace(/^(error stop: )?(stop code \d+: )?[^\s:]*\.json:\s*/, '$1$2').replace(/\/problems\/[^\s:]*:\s*/, '');
}

// ---- results -------------------------------------------------------------------

function redraw(live) {
  const status = $('run-time');
  if (live.failure) {
    $('summary').innerHTML = `<p class="bad">The engine failed: ${esc(live.failure)}</p>`;
    $('charts').innerHTML = '';
    return;
  }
  const run = live.run;
  const results = typeof run.results === 'string' ? JSON.parse(run.results) : run.results;
  const problems = (results && results.problems) || [];
  const first = problems.find((p) => p.tables && p.tables.stations) || problems[0];
  const units = (name) => {
    const t = table(first, 'stations');
    return t ? t.unit(name) : '';
  };
  const sm = run.summary || null;
  const completed = run.outcome === 'completed';
  const row = (key, label, value, unit, depth) => {
    if (value === undefined || value === null) return `<tr><th>${label}</th><td data-summary="${key}" data-value="">–</td></tr>`;
    const shown = typeof value === 'number' ? fmtFull(value) : esc(value);
    const at = depth !== undefined && depth !== null ? ` at ${fmtFull(depth)} ${esc(units('X'))}` : '';
    return `<tr><th>${label}</th><td data-summary="${key}" data-value="${esc(String(value))}">${shown} ${esc(unit)}${at}</td></tr>`;
  };
  const verdict = results && results.verdict ? results.verdict : '';
  let html = '<table class="summary">';
  html += `<tr><th>Outcome</th><td data-summary="outcome" data-value="${esc(run.outcome)}" class="${completed && /^solved/.test(verdict || 'solved') ? 'ok' : 'bad'}">${esc(run.outcome)}${verdict ? ` — ${esc(verdict)}` : ''}</td></tr>`;
  if (sm) {
    html += row('iterations', 'Iterations', sm.iterations, '', null);
    html += row('largest-deflection', 'Largest deflection', sm.largest_deflection, units('deflection'), sm.largest_deflection_depth);
    html += row('largest-moment', 'Largest moment', sm.largest_moment, units('moment'), sm.largest_moment_depth);
    html += row('largest-shear', 'Largest shear', sm.largest_shear, units('shear'), sm.largest_shear_depth);
  }
  html += `<tr><th>Stages</th><td>${problems.length}${problems.length > 1 ? ' (largest values: envelope over the stages)' : ''}</td></tr>`;
  html += '</table>';
  $('summary').innerHTML = html;

  showMessages(live);
  drawCharts(problems);
  const ms = live.runMs !== undefined ? live.runMs : live.totalMs;
  status.textContent = `— last run ${live.at.toLocaleTimeString()}, engine ${ms.toFixed(0)} ms`;
  status.dataset.runMs = String(ms);
  if (app.editStart) {
    app.lastEditToRedraw = performance.now() - app.editStart;
    app.editStart = 0;
  }
  document.body.dataset.redraws = String((Number(document.body.dataset.redraws) || 0) + 1);
}

// The messages of a live run: its stop, the check's findings (when they
// have come), the run's warnings; and the marks at the fields they name.
function showMessages(live) {
  const run = live.run;
  const completed = run.outcome === 'completed';
  const items = [];
  if (!completed) items.push(`<li class="error">${esc(run.message || run.outcome)}</li>`);
  // Which problem a message is about, when the deck has more than one.
  const many = app.deck.problems.length > 1;
  const tag = (k) => (many && k ? `${isStaged() ? 'stage' : 'problem'} ${k}: ` : '');
  for (const f of (live.check && live.check.findings) || []) {
    if (!completed && f.grade === 'error' && String(f.text).includes(run.message)) continue; // the stop, said above
    items.push(`<li class="${esc(f.grade)}">${esc(tag(f.problem))}${esc(f.grade)}: ${esc(f.text)}${f.path ? ` <code>${esc(f.path)}</code>` : ''}</li>`);
  }
  for (const w of run.warnings || []) items.push(`<li class="warning">${esc(tag(w.problem))}${esc(w.text)}${w.path ? ` <code>${esc(w.path)}</code>` : ''}</li>`);
  $('messages').innerHTML = items.length ? `<ul>${items.join('')}</ul>` : '';
  markEngineErrors(live);
}

function fmtFull(v) {
  if (!Number.isFinite(v)) return String(v);
  const a = Math.abs(v);
  if (a !== 0 && (a >= 1e6 || a < 1e-3)) return v.toExponential(4);
  return String(Number(v.toPrecision(5)));
}

function drawCharts(problems) {
  const k = Math.min(app.stage, problems.length - 1);
  const result = problems[k];
  const problem = app.deck.problems[Math.min(k, app.deck.problems.length - 1)];
  let html = '';
  if (!result) { $('charts').innerHTML = '<p class="nodata">No results.</p>'; return; }
  const st = table(result, 'stations');
  const title = problems.length > 1 ? `Stage ${k + 1}` : 'Results';
  html += `<h2>${title}${result.title ? `: ${esc(result.title)}` : ''}</h2><div class="charts">`;
  html += `<div class="chartbox">${wallDrawing(problem, result, `p${k + 1}-wall`)}</div>`;
  if (st && st.rows.length) {
    const iX = st.index.X;
    const depthRange = [st.rows[0][iX], st.rows[st.rows.length - 1][iX]];
    const si = problem.control && (problem.control.units === 'si' || problem.control.units === 2);
    const toDepth = si ? 1 : 1 / 12;
    const markers = [];
    const exc = (problem.wall && problem.wall.free_height) ?? (problem.geometry && problem.geometry.excavation_depth);
    if (exc !== undefined) markers.push({ depth: exc * toDepth, label: 'excavation' });
    for (const t of problem.tiebacks || []) markers.push({ depth: t.depth || 0, label: 'tie-back' });
    for (const [name, col, cls] of [['Deflection', 'deflection', 'c0'], ['Moment', 'moment', 'c1'], ['Shear', 'shear', 'c2'], ['Soil reaction', 'soil reaction', 'c3']]) {
      const i = st.index[col];
      html += `<div class="chartbox">${profileChart({
        id: `p${k + 1}-${col.split(' ')[0]}`, title: name, xLabel: `${col} (${st.unit(col)})`, yLabel: `depth (${st.unit('X')})`,
        series: [{ name, cls, pts: st.rows.map((r) => [r[i], r[iX]]) }], depthRange, markers,
      })}</div>`;
    }
  } else {
    html += '<p class="nodata">This problem has no valid solution to draw.</p>';
  }
  html += '</div>';

  // p-y curves with the point reached.
  const py = table(result, 'py-curves');
  const reached = table(result, 'py-reached');
  if (py && py.rows.length) {
    const curves = new Map();
    for (const r of py.rows) {
      const c = r[py.index.curve];
      if (!curves.has(c)) curves.set(c, { station: r[py.index.station], x: r[py.index.X], pts: [] });
      curves.get(c).pts.push([r[py.index.y], r[py.index.p]]);
    }
    const ids = [...curves.keys()];
    let choice = app.pyChoice !== null && curves.has(app.pyChoice) ? app.pyChoice : null;
    if (choice === null && reached && reached.rows.length) {
      // The most mobilised curve, to start with.
      let best = -1;
      for (const r of reached.rows) if (r[reached.index['mobilised ratio']] > best) { best = r[reached.index['mobilised ratio']]; choice = r[reached.index.curve]; }
    }
    if (choice === null || !curves.has(choice)) choice = ids[0];
    const c = curves.get(choice);
    const rr = reached && reached.rows.find((r) => r[reached.index.curve] === choice);
    const pts = rr ? [[rr[reached.index['y reached']], rr[reached.index['p reached']]]] : [];
    const options = ids.map((id) => `<option value="${id}"${id === choice ? ' selected' : ''}>curve ${id}: station ${curves.get(id).station}, ${fmt(curves.get(id).x)} ${esc(py.unit('X'))}</option>`).join('');
    html += `<h2>p-y curves</h2><div class="picker"><label>Curve <select id="py-picker">${options}</select></label> ${rr ? `mobilised ${(100 * rr[reached.index['mobilised ratio']]).toFixed(1)} %` : ''}</div><div class="charts">`;
    html += `<div class="chartbox">${profileChart({
      id: `p${k + 1}-py`, title: `p-y curve ${choice} at ${fmt(c.x)} ${py.unit('X')}`, xLabel: `y (${py.unit('y')})`, yLabel: `p (${py.unit('p')})`,
      series: [{ name: 'p-y', cls: 'c0', pts: c.pts }], points: pts, xy: true, width: 340, height: 280,
    })}</div>`;
    if (reached && reached.rows.length) {
      html += `<div class="chartbox">${profileChart({
        id: `p${k + 1}-mobilised`, title: 'Mobilised resistance', xLabel: '|p| / p ultimate', yLabel: `depth (${reached.unit('X')})`,
        series: [{ name: 'mobilised', cls: 'c4', pts: reached.rows.map((r) => [r[reached.index['mobilised ratio']], r[reached.index.X]]).sort((a, b) => a[1] - b[1]) }], height: 280,
      })}</div>`;
    }
    html += '</div>';
  }

  // Envelopes over the stages.
  const staged = problems.filter((p) => table(p, 'stations') && table(p, 'stations').rows.length);
  if (staged.length > 1) {
    html += '<h2>Stage envelopes</h2><div class="charts">';
    for (const [name, col] of [['Deflection', 'deflection'], ['Moment', 'moment'], ['Shear', 'shear']]) {
      const series = [];
      const lo = new Map(); const hi = new Map();
      staged.forEach((p, s) => {
        const t = table(p, 'stations');
        const pts = t.rows.map((r) => [r[t.index[col]], r[t.index.X]]);
        series.push({ name: `stage ${p.number}`, cls: `c${s % 6}`, pts });
        for (const [v, d] of pts) {
          if (!lo.has(d) || v < lo.get(d)) lo.set(d, v);
          if (!hi.has(d) || v > hi.get(d)) hi.set(d, v);
        }
      });
      const depths = [...lo.keys()].sort((a, b) => a - b);
      series.push({ name: 'envelope (smallest)', cls: 'c5 env', pts: depths.map((d) => [lo.get(d), d]) });
      series.push({ name: 'envelope (largest)', cls: 'c5 env', pts: depths.map((d) => [hi.get(d), d]) });
      const t0 = table(staged[0], 'stations');
      html += `<div class="chartbox">${profileChart({ id: `envelope-${col}`, title: `${name}, all stages`, xLabel: `${col} (${t0.unit(col)})`, yLabel: `depth (${t0.unit('X')})`, series })}</div>`;
    }
    html += '</div><div class="legend">' + staged.map((p, s) => `<span class="key c${s % 6}" style="border-color:currentColor"></span><span class="c${s % 6}">stage ${p.number}</span>`).join('') + '<span class="key" style="border-top:2px dashed #000"></span>envelope</div>';
  }
  $('charts').innerHTML = html;
  const picker = $('py-picker');
  if (picker) picker.addEventListener('change', () => { app.pyChoice = Number(picker.value); if (app.live) drawCharts(problemsOf(app.live)); });
}

function problemsOf(live) {
  const results = typeof live.run.results === 'string' ? JSON.parse(live.run.results) : live.run.results;
  return (results && results.problems) || [];
}

// ---- files out ----------------------------------------------------------------------

function download(name, text, type = 'text/plain') {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([text], { type }));
  a.download = name;
  document.body.appendChild(a);
  a.click();
  setTimeout(() => { URL.revokeObjectURL(a.href); a.remove(); }, 1000);
}

async function legacyText() {
  const out = await app.engine.json('deckToLegacy', deckText());
  if (out.error) throw new Error(out.error.message || String(out.error));
  return out.text;
}

async function saveAs(kind) {
  try {
    if (kind === 'legacy') download(`${app.name}.dat`, await legacyText());
    else if (kind === 'json') download(`${app.name}.json`, `${JSON.stringify(app.deck, null, 2)}\n`, 'application/json');
    else if (kind === 'html') download(`${app.name}.html`, await app.engine.call('html', deckText(), jsonName()), 'text/html');
    else if (kind === 'results') {
      const run = JSON.parse(await app.engine.call('run', deckText(), jsonName(), false));
      const results = typeof run.results === 'string' ? run.results : JSON.stringify(run.results, null, 1);
      download(`${app.name}-results.json`, results, 'application/json');
    } else if (kind === 'csv') {
      const files = await app.engine.json('csv', deckText(), jsonName());
      const box = $('csv-links');
      box.innerHTML = 'CSV tables: ' + Object.keys(files).map((n) => `<a href="#" data-csv="${esc(n)}">${esc(n)}</a>`).join('');
      box.hidden = false;
      box.onclick = (event) => {
        const a = event.target.closest('a[data-csv]');
        if (!a) return;
        event.preventDefault();
        download(a.dataset.csv, files[a.dataset.csv], 'text/csv');
      };
    }
    showLoadMessage('');
  } catch (err) {
    showLoadMessage(`Cannot save: ${err.message || err}`);
  }
}

// ---- start ------------------------------------------------------------------------------

function wire() {
  const form = $('form');
  form.addEventListener('input', onInput);
  form.addEventListener('change', (event) => { if (event.target.name) endEdit(); });
  form.addEventListener('click', onClick);
  form.addEventListener('submit', (event) => event.preventDefault());
  $('stage-picker').addEventListener('change', (event) => {
    endEdit();
    app.stage = Number(event.target.value);
    app.pyChoice = null;
    renderForm();
    store();
    if (app.live) redraw(app.live);
  });
  $('stage-add').addEventListener('click', () => {
    endEdit();
    pushUndo(deckText());
    const copy = JSON.parse(JSON.stringify(app.deck.problems[app.stage]));
    const staged = isStaged();
    app.deck.problems.splice(app.stage + 1, 0, copy);
    app.stage += 1;
    renumberStages(staged);
    afterStructuralChange();
  });
  $('stage-remove').addEventListener('click', () => {
    if (app.deck.problems.length < 2) return;
    endEdit();
    pushUndo(deckText());
    const staged = isStaged();
    app.deck.problems.splice(app.stage, 1);
    app.stage = Math.max(0, app.stage - 1);
    renumberStages(staged);
    afterStructuralChange();
  });
  const picker = $('template-picker');
  for (const t of KESTRO_TEMPLATES) picker.insertAdjacentHTML('beforeend', `<option value="${esc(t.id)}">${esc(t.title)}</option>`);
  picker.addEventListener('change', async () => {
    const t = KESTRO_TEMPLATES.find((x) => x.id === picker.value);
    picker.value = '';
    if (t) await openText(t.text, t.file).catch((err) => showLoadMessage(`Cannot open ${t.file}: ${err.message}`));
  });
  $('open-button').addEventListener('click', () => $('open-file').click());
  $('open-file').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) await openFile(file);
  });
  $('undo-button').addEventListener('click', undo);
  $('redo-button').addEventListener('click', redo);
  $('save-legacy').addEventListener('click', () => saveAs('legacy'));
  $('save-json').addEventListener('click', () => saveAs('json'));
  $('save-html').addEventListener('click', () => saveAs('html'));
  $('save-csv').addEventListener('click', () => saveAs('csv'));
  $('save-results').addEventListener('click', () => saveAs('results'));
  $('print-button').addEventListener('click', () => window.print());
  document.addEventListener('keydown', (event) => {
    if (!(event.ctrlKey || event.metaKey)) return;
    const key = event.key.toLowerCase();
    if (key === 'z' && !event.shiftKey) { event.preventDefault(); undo(); }
    else if (key === 'y' || (key === 'z' && event.shiftKey)) { event.preventDefault(); redo(); }
  });
  let depth = 0;
  document.addEventListener('dragenter', (event) => { event.preventDefault(); depth++; $('drop-hint').hidden = false; });
  document.addEventListener('dragleave', () => { if (--depth <= 0) { depth = 0; $('drop-hint').hidden = true; } });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', async (event) => {
    event.preventDefault();
    depth = 0;
    $('drop-hint').hidden = true;
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file) await openFile(file);
  });
}

// Whether the deck's problems are the stages of one excavation.
function isStaged() {
  const c = app.deck.problems[0].control || {};
  return (c.stages || 1) >= 2;
}

// After a problem is added or removed: the continuation codes go back to
// their defaults (9, the next problem, and 0 after the last), and the
// stages of a staged deck count its problems.
function renumberStages(staged) {
  const n = app.deck.problems.length;
  for (const p of app.deck.problems) {
    delete p.continuation;
    if (staged && p.control) p.control.stages = n;
  }
}

async function openFile(file) {
  try {
    await openText(await file.text(), file.name);
  } catch (err) {
    showLoadMessage(`Cannot open ${file.name}: ${err.message || err}`);
  }
}

async function start() {
  wire();
  app.engine = new EngineClient(KESTRO_WORKER_SOURCE);
  const ready = await app.engine.call('ready');
  app.table = new FieldTable(typeof ready.fields === 'string' ? JSON.parse(ready.fields) : ready.fields);
  app.form = new DeckForm($('form'), app.table);
  let saved = null;
  try { saved = JSON.parse(localStorage.getItem(STORE_KEY) || 'null'); } catch { saved = null; }
  if (saved && saved.deck && Array.isArray(saved.deck.problems) && saved.deck.problems.length) {
    app.deck = saved.deck;
    app.name = saved.name || 'wall';
    app.stage = Math.min(saved.stage || 0, saved.deck.problems.length - 1);
    afterStructuralChange();
    await runNow();
  } else {
    const t = KESTRO_TEMPLATES[0];
    await openText(t.text, t.file, { record: false });
  }
}

window.kestro = {
  ready: null,
  async load(text, name) {
    await window.kestro.ready;
    const n = name || (looksJson(text) ? 'wall.json' : 'wall.dat');
    const live = await openText(text, n);
    return { outcome: live.run ? live.run.outcome : 'failed', summary: live.run ? live.run.summary : null };
  },
  deck() {
    return JSON.parse(deckText());
  },
  async run() {
    await window.kestro.ready;
    const run = JSON.parse(await app.engine.call('run', deckText(), jsonName(), true));
    const results = typeof run.results === 'string' ? JSON.parse(run.results) : run.results;
    const files = run.files || {};
    return {
      outcome: run.outcome,
      message: run.message,
      files: { report: files.report, plot: files.plot, monitor: files.monitor },
      results,
      problems: (results && results.problems) || [],
      summary: run.summary,
    };
  },
  // The time from the last edit to the end of the redraw it caused, in ms.
  lastEditToRedraw() {
    return app.lastEditToRedraw;
  },
  // A promise of the live run of the deck as it is now.
  settled() {
    return app.running || app.timer ? runNow() : Promise.resolve(app.live);
  },
};
window.kestro.ready = start().catch((err) => {
  showLoadMessage(`The engine could not start: ${err.message || err}`);
  setState('idle');
  throw err;
});
