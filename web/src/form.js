// The deck editor: a form built from the engine's field table and the deck's
// JSON form.  Every input is named by its JSON path in the deck
// ("problems/0/soil_layers/1/friction_angle"); the editor reads and writes
// the deck object through those paths.

const DERIVED_RULES = new Set(['count', 'flag', 'entries', 'continuation']);
const SCALAR_TYPES = new Set(['integer', 'real', 'text', 'code']);

function esc(text) {
  return String(text).replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);
}

function pathPattern(path) {
  return path.split('/').map((s) => (/^\d+$/.test(s) ? '*' : s)).join('/');
}

function pathGet(root, path) {
  let v = root;
  for (const key of path.split('/')) {
    if (v === undefined || v === null) return undefined;
    v = v[key];
  }
  return v;
}

function pathSet(root, path, value) {
  const keys = path.split('/');
  let v = root;
  for (let i = 0; i < keys.length - 1; i++) {
    const k = keys[i];
    if (v[k] === undefined || v[k] === null) v[k] = /^\d+$/.test(keys[i + 1]) ? [] : {};
    v = v[k];
  }
  const last = keys[keys.length - 1];
  if (value === undefined) {
    if (Array.isArray(v)) v.splice(Number(last), 1);
    else delete v[last];
  } else {
    v[last] = value;
  }
}

// The field table, as the engine gives it (fields()), indexed by the path
// pattern of each field ("problems/*/soil_layers/*/kpy") and by its record.
class FieldTable {
  constructor(raw) {
    const list = Array.isArray(raw) ? raw : raw.fields || [];
    this.byPattern = new Map();
    this.children = new Map();
    for (const f of list) {
      const field = FieldTable.normalise(f);
      this.byPattern.set(field.path, field);
      const parent = field.path.includes('/') ? field.path.slice(0, field.path.lastIndexOf('/')) : '';
      if (!this.children.has(parent)) this.children.set(parent, []);
      this.children.get(parent).push(field);
    }
  }
  static normalise(f) {
    const units = f.units || {};
    let names = f.names || f.enum || [];
    names = names.map((n) => (typeof n === 'string' ? { name: n } : n));
    let def = f.default;
    if (def === undefined && typeof f.default_json === 'string' && f.default_json !== '') {
      try { def = JSON.parse(f.default_json); } catch { def = undefined; }
    }
    return {
      path: String(f.path).replace(/^\//, ''),
      name: f.name,
      type: f.type,
      record: f.record || '',
      units: { english: units.english ?? f.english ?? '', si: units.si ?? f.si ?? '' },
      help: f.help || '',
      rule: f.rule || 'value',
      follows: f.follows || '',
      def,
      names,
    };
  }
  field(path) {
    return this.byPattern.get(pathPattern(path));
  }
  childrenOf(path) {
    return this.children.get(pathPattern(path)) || [];
  }
}

// Which of a soil layer's values each soil type uses, and what the columns
// mean for it where that differs from their names.
const SOIL_USES = {
  soft_clay: ['unit_weight', 'strength', 'e50', 'sixth'],
  stiff_clay_free_water: ['unit_weight', 'strength', 'e50', 'kpy', 'sixth'],
  stiff_clay_no_free_water: ['unit_weight', 'strength', 'e50', 'sixth'],
  sand: ['unit_weight', 'friction_angle', 'kpy', 'sixth'],
  silt: ['unit_weight', 'strength', 'friction_angle', 'kpy', 'sixth'],
  rock: ['unit_weight', 'strength'],
  weak_rock: ['unit_weight', 'strength', 'e50', 'kpy', 'sixth'],
};
const SOIL_MEANING = {
  weak_rock: { strength: 'qur, uniaxial compressive strength', e50: 'krm, strain factor', kpy: 'Eir, initial modulus of the rock mass (psi or kPa)', sixth: 'RQD, percent' },
  rock: { strength: 'qu, uniaxial compressive strength' },
};
const SOIL_COLUMNS = ['unit_weight', 'strength', 'friction_angle', 'e50', 'kpy', 'sixth'];
const SOIL_TYPES_BY_CODE = ['', 'soft_clay', 'stiff_clay_free_water', 'stiff_clay_no_free_water', 'sand', 'silt', 'rock', 'weak_rock'];

// The groups of a problem's form: JSON paths relative to the problem.
const GROUPS = [
  { id: 'units', title: 'Units', items: ['control/units'] },
  { id: 'wall', title: 'Wall and sections', items: ['geometry/increments', 'geometry/increment_length', 'geometry/wall_height', 'geometry/width', 'geometry/excavation_depth', 'wall/free_height', 'wall/pressure_width', 'wall/resistance_width', 'wall/backfill_slope', 'wall/excavation_slope', 'wall_sections', 'cross_sections', 'moment_curvature'] },
  { id: 'soil', title: 'Soil layers', items: ['soil_layers', 'loading', 'load_cycles', 'py_factors', 'py_curves'] },
  { id: 'water', title: 'Water', items: ['wall/water_depth_retained', 'wall/water_depth_excavation', 'wall/water_pressure'] },
  { id: 'surcharges', title: 'Surcharges', items: ['surface', 'surcharges'] },
  { id: 'supports', title: 'Tie-backs, springs and specified deflections', items: ['tiebacks', 'springs', 'specified_points'] },
  { id: 'loads', title: 'Loads', items: ['loads', 'pressure_table'] },
  { id: 'stage', title: 'Stage', items: ['title', 'control/stages', 'continuation'] },
  { id: 'options', title: 'Analysis options', items: ['control/earth_pressure_option', 'control/py_option', 'control/hinge_option', 'wall/active_factor', 'geometry/max_deflection', 'geometry/tolerance', 'geometry/max_iterations'] },
];

function humanise(name) {
  return String(name).replace(/_/g, ' ');
}

function fieldId(path) {
  return 'f-' + path.replace(/[^A-Za-z0-9_-]/g, '-');
}

class DeckForm {
  constructor(formElement, table) {
    this.el = formElement;
    this.table = table;
  }

  unitSystem(problem) {
    const u = problem && problem.control ? problem.control.units : 'english';
    return u === 'si' || u === 2 ? 'si' : 'english';
  }

  unitOf(field, system) {
    return (field && field.units && field.units[system]) || '';
  }

  // The placeholder of a field left out: its default, or the value it copies.
  placeholder(field, path, deck) {
    if (!field) return '';
    if (field.rule === 'copy' && field.follows) {
      const base = path.slice(0, path.lastIndexOf('/'));
      const target = resolveRelative(base, field.follows);
      const v = pathGet(deck, target);
      return v === undefined ? '' : String(v);
    }
    if (field.def !== undefined && field.def !== null && typeof field.def !== 'object') return String(field.def);
    return '';
  }

  control(field, path, value, deck, extra = {}) {
    const id = fieldId(path);
    const describedBy = `${id}-err`;
    const title = field.help ? ` title="${esc(field.help)}"` : '';
    const label = extra.label ? ` aria-label="${esc(extra.label)}"` : ` id="${id}"`;
    const common = `name="${esc(path)}"${label} aria-describedby="${describedBy}" data-type="${field.type}"${title}`;
    if (field.type === 'code') {
      const current = value === undefined ? field.def : value;
      const options = field.names.map((n) => {
        const sel = current === n.name || current === n.code ? ' selected' : '';
        return `<option value="${esc(n.name)}"${sel}>${esc(humanise(n.name))}</option>`;
      });
      if (current !== undefined && !field.names.some((n) => n.name === current || n.code === current)) {
        options.unshift(`<option value="${esc(current)}" selected>${esc(current)}</option>`);
      }
      if (current === undefined) options.unshift('<option value="" selected></option>');
      return `<select ${common}>${options.join('')}</select>`;
    }
    if (field.type === 'reals' || field.type === 'rows') {
      let text = '';
      if (Array.isArray(value)) {
        text = field.type === 'reals' ? value.join(' ') : value.map((r) => r.join(' ')).join('\n');
      }
      return `<textarea ${common} rows="${field.type === 'rows' ? 4 : 2}">${esc(text)}</textarea>`;
    }
    const shown = value === undefined || value === null ? '' : String(value);
    const ph = this.placeholder(field, path, deck);
    const mode = field.type === 'text' ? '' : ' inputmode="decimal"';
    return `<input type="text"${mode} ${common} value="${esc(shown)}" placeholder="${esc(ph)}">`;
  }

  fieldRow(field, path, deck, system) {
    const value = pathGet(deck, path);
    const id = fieldId(path);
    return `<div class="field"><label for="${id}">${esc(humanise(field.name))}</label>${this.control(field, path, value, deck)}` +
      `<span class="unit">${esc(this.unitOf(field, system))}</span>` +
      (field.help ? `<div class="help">${esc(field.help)}</div>` : '') +
      `<div class="err" id="${id}-err" role="status"></div></div>`;
  }

  // A field of any type at a concrete path.
  item(field, path, deck, system) {
    if (!field) return '';
    if (DERIVED_RULES.has(field.rule) && pathGet(deck, path) === undefined) return '';
    if (SCALAR_TYPES.has(field.type) || field.type === 'reals' || field.type === 'rows') {
      return this.fieldRow(field, path, deck, system);
    }
    if (field.type === 'list') return this.list(field, path, deck, system);
    return this.record(field, path, deck, system);
  }

  record(field, path, deck, system) {
    const value = pathGet(deck, path);
    const title = `${esc(humanise(field.name))}`;
    if (field.type === 'optional' && (value === undefined || value === null)) {
      return `<div class="addrow"><button type="button" data-action="add-record" data-path="${esc(path)}">Add ${title}</button> <span class="help">${esc(field.help)}</span></div>`;
    }
    const remove = field.type === 'optional'
      ? ` <button type="button" data-action="remove" data-path="${esc(path)}">Remove</button>` : '';
    return `<fieldset class="record"><legend>${title}${remove}</legend>${this.fields(path, deck, system)}</fieldset>`;
  }

  // The fields of the record at path; unused slots go under "unused items".
  fields(path, deck, system) {
    const used = [];
    const unused = [];
    for (const child of this.table.childrenOf(path)) {
      const html = this.item(child, `${path}/${child.name}`, deck, system);
      if (/not used/.test(child.help)) unused.push(html);
      else used.push(html);
    }
    const more = unused.filter(Boolean).length
      ? `<details class="more"><summary>unused items</summary>${unused.join('')}</details>` : '';
    return used.join('') + more;
  }

  list(field, path, deck, system) {
    const entries = pathGet(deck, path) || [];
    const entryPattern = `${pathPattern(path)}/*`;
    const columns = (this.table.children.get(entryPattern) || []).filter((c) => !DERIVED_RULES.has(c.rule));
    const add = `<div class="addrow"><button type="button" data-action="add" data-path="${esc(path)}">Add ${esc(humanise(field.name).replace(/s$/, ''))}</button></div>`;
    const head = `<div class="help"><b>${esc(humanise(field.name))}</b>: ${esc(field.help)}</div>`;
    if (pathPattern(path) === 'problems/*/soil_layers') return head + this.soilTable(path, entries, deck, system) + add;
    const flat = columns.every((c) => SCALAR_TYPES.has(c.type));
    if (!flat || columns.length === 0) {
      const items = entries.map((_, i) => {
        const p = `${path}/${i}`;
        return `<fieldset class="record"><legend>${esc(humanise(field.name))} ${i + 1} <button type="button" data-action="remove" data-path="${esc(p)}">Remove</button></legend>${this.fields(p, deck, system)}</fieldset>`;
      });
      return head + items.join('') + add;
    }
    const shown = columns.filter((c) => !/not used/.test(c.help) || entries.some((e) => e && e[c.name] !== undefined));
    const th = shown.map((c) => `<th title="${esc(c.help)}">${esc(humanise(c.name))}<span class="unit">${esc(this.unitOf(c, system))}</span></th>`).join('');
    const rows = entries.map((entry, i) => {
      const p = `${path}/${i}`;
      const cells = shown.map((c) => this.cell(c, `${p}/${c.name}`, deck, `${humanise(field.name)} ${i + 1} ${humanise(c.name)}`)).join('');
      return `<tr><td class="rowlabel">${i + 1}</td>${cells}<td class="rowtools"><button type="button" data-action="remove" data-path="${esc(p)}" title="Remove">✕</button></td></tr>`;
    });
    return `${head}<table class="list"><thead><tr><th></th>${th}<th></th></tr></thead><tbody>${rows.join('')}</tbody></table>${add}`;
  }

  cell(field, path, deck, label, cls = '') {
    const id = fieldId(path);
    return `<td${cls ? ` class="${cls}"` : ''}>${this.control(field, path, pathGet(deck, path), deck, { label })}<div class="err" id="${id}-err" role="status"></div></td>`;
  }

  soilTable(path, layers, deck, system) {
    const entry = `${pathPattern(path)}/*`;
    const f = (name) => this.table.byPattern.get(`${entry}/${name}`);
    const fb = (name) => this.table.byPattern.get(`${entry}/at_bottom/${name}`);
    const cols = ['soil_type', 'bottom_depth', ...SOIL_COLUMNS].filter((n) => f(n));
    const th = cols.map((n) => `<th title="${esc(f(n).help)}">${esc(humanise(n))}<span class="unit">${esc(this.unitOf(f(n), system))}</span></th>`).join('');
    const rows = layers.map((layer, i) => {
      const p = `${path}/${i}`;
      let type = layer ? layer.soil_type : undefined;
      if (typeof type === 'number') type = SOIL_TYPES_BY_CODE[type];
      const uses = SOIL_USES[type] || SOIL_COLUMNS;
      const meaning = SOIL_MEANING[type] || {};
      const top = cols.map((n) => {
        const unused = SOIL_COLUMNS.includes(n) && !uses.includes(n);
        const label = `layer ${i + 1} ${meaning[n] || humanise(n)}${unused ? ' (not used by this soil type)' : ''}`;
        return this.cell(f(n), `${p}/${n}`, deck, label, unused ? 'unused' : '');
      }).join('');
      const bottom = cols.map((n) => {
        if (!SOIL_COLUMNS.includes(n) || !fb(n)) return '<td></td>';
        const unused = !uses.includes(n);
        return this.cell(fb(n), `${p}/at_bottom/${n}`, deck, `layer ${i + 1} ${humanise(n)} at the bottom`, unused ? 'unused' : '');
      }).join('');
      return `<tr><td class="rowlabel">${i + 1} top</td>${top}<td class="rowtools"><button type="button" data-action="remove" data-path="${esc(p)}" title="Remove layer">✕</button></td></tr>` +
        `<tr class="bottomrow"><td class="rowlabel">bottom</td>${bottom}<td></td></tr>`;
    });
    return `<table class="list soil"><thead><tr><th></th>${th}<th></th></tr></thead><tbody>${rows.join('')}</tbody></table>` +
      '<div class="help">Dimmed cells are not used by the layer\'s soil type; a bottom value left empty is the top value.</div>';
  }

  // The whole form for problem k of the deck.
  render(deck, k) {
    const problem = deck.problems[k];
    const system = this.unitSystem(problem);
    const base = `problems/${k}`;
    const covered = [];
    const groups = GROUPS.map((g) => {
      const body = g.items.map((rel) => {
        covered.push(rel);
        const field = this.table.byPattern.get(`problems/*/${rel}`);
        return this.item(field, `${base}/${rel}`, deck, system);
      }).join('');
      return `<fieldset class="group" id="group-${g.id}"><legend>${esc(g.title)}</legend>${body}</fieldset>`;
    });
    // Whatever the groups leave out, so that every field can be reached.
    const rest = [];
    const visit = (pattern, rel) => {
      for (const child of this.table.children.get(pattern) || []) {
        const r = rel ? `${rel}/${child.name}` : child.name;
        if (covered.some((c) => r === c || r.startsWith(`${c}/`))) continue;
        if (child.type === 'object' || child.type === 'optional') {
          if (covered.some((c) => c.startsWith(`${r}/`))) { visit(child.path, r); continue; }
        }
        rest.push(this.item(child, `${base}/${r}`, deck, system));
      }
    };
    visit('problems/*', '');
    const restHtml = rest.filter(Boolean).join('');
    const other = restHtml
      ? `<fieldset class="group" id="group-other"><legend>Other items</legend><details class="more"><summary>show</summary>${restHtml}</details></fieldset>` : '';
    this.el.innerHTML = groups.join('') + other;
  }

  // Reads an input's text as the value its field takes: {value} or {error}.
  // An empty text leaves the field out (its default), unless it is required.
  parse(input) {
    const field = this.table.field(input.name);
    const type = field ? field.type : input.dataset.type;
    const text = input.value.trim();
    if (type === 'code') return { value: text === '' ? undefined : (/^-?\d+$/.test(text) ? Number(text) : text) };
    if (type === 'text') return { value: input.value === '' ? undefined : input.value };
    if (type === 'reals' || type === 'rows') {
      const nums = text === '' ? [] : text.split(/[\s,]+/).filter(Boolean);
      const bad = nums.find((t) => !isNumberText(t));
      if (bad !== undefined) return { error: `expected numbers, found "${bad}"` };
      const values = nums.map(Number);
      if (type === 'reals') return { value: values };
      if (values.length % 5) return { error: `expected rows of five numbers, found ${values.length} numbers` };
      const rows = [];
      for (let i = 0; i < values.length; i += 5) rows.push(values.slice(i, i + 5));
      return { value: rows };
    }
    if (text === '') {
      if (field && field.rule === 'required') return { error: 'a value is needed' };
      return { value: undefined };
    }
    if (type === 'integer') {
      if (!/^[+-]?\d+$/.test(text)) return { error: `expected a whole number, found "${text}"` };
      return { value: Number(text) };
    }
    if (!isNumberText(text)) return { error: `expected a number, found "${text}"` };
    return { value: Number(text) };
  }

  // A new entry of a list or a new optional record: a copy of the last entry,
  // or its required codes at their first names.
  newEntry(listPath, deck) {
    const entries = pathGet(deck, listPath);
    if (Array.isArray(entries) && entries.length) return JSON.parse(JSON.stringify(entries[entries.length - 1]));
    return this.newRecord(`${pathPattern(listPath)}/*`);
  }

  newRecord(pattern) {
    const out = {};
    for (const c of this.table.children.get(pattern) || []) {
      if (c.rule === 'required' && c.type === 'code' && c.names.length) out[c.name] = c.names[0].name;
    }
    return out;
  }

  findInput(path) {
    return this.el.querySelector(`[name="${CSS.escape(path)}"]`);
  }

  setError(path, message) {
    const input = this.findInput(path);
    if (!input) return false;
    input.setAttribute('aria-invalid', 'true');
    const err = document.getElementById(input.getAttribute('aria-describedby'));
    if (err) err.textContent = message;
    return true;
  }

  clearError(path) {
    const input = this.findInput(path);
    if (!input) return;
    input.removeAttribute('aria-invalid');
    const err = document.getElementById(input.getAttribute('aria-describedby'));
    if (err) err.textContent = '';
  }

  clearAllErrors() {
    for (const input of this.el.querySelectorAll('[aria-invalid="true"]')) this.clearError(input.name);
  }
}

function isNumberText(t) {
  return /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(t);
}

// A path relative to a record ("../unit_weight" from
// problems/0/soil_layers/1/at_bottom) as a path from the deck.
function resolveRelative(base, rel) {
  const parts = base.split('/');
  for (const seg of rel.split('/')) {
    if (seg === '..') parts.pop();
    else if (seg && seg !== '.') parts.push(seg);
  }
  return parts.join('/');
}
