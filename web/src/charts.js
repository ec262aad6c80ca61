// The results drawings, as SVG text: the wall to scale in its ground,
// profiles against depth, p-y curves with the point reached, and the
// envelopes over the stages.

function table(problem, name) {
  const t = problem && problem.tables && problem.tables[name];
  if (!t || !t.columns) return null;
  const index = {};
  t.columns.forEach((c, i) => { index[c.name] = i; });
  return { rows: t.rows || [], index, unit: (n) => (t.columns[index[n]] || {}).unit || '' };
}

function niceTicks(lo, hi, count = 5) {
  if (!(hi > lo)) { const d = Math.abs(lo) || 1; lo -= d; hi += d; }
  const raw = (hi - lo) / count;
  const mag = Math.pow(10, Math.floor(Math.log10(raw)));
  const step = [1, 2, 2.5, 5, 10].map((m) => m * mag).find((s) => s >= raw) || raw;
  const start = Math.floor(lo / step) * step;
  const ticks = [];
  for (let v = start; v <= hi + step * 1e-9; v += step) ticks.push(Math.abs(v) < step * 1e-9 ? 0 : v);
  return { ticks, lo: Math.min(start, lo), hi: Math.max(ticks[ticks.length - 1], hi) };
}

function fmt(v) {
  if (v === 0) return '0';
  const a = Math.abs(v);
  if (a >= 1e5 || a < 1e-3) return v.toExponential(1).replace('e+', 'e');
  return String(Number(v.toPrecision(4)));
}

// A chart of values (horizontal) against depth (down), or of y against x
// when opts.xy.
function profileChart({ id, title, xLabel, yLabel, series, depthRange, width = 250, height = 330, markers = [], points = [], xy = false }) {
  const m = { l: 46, r: 10, t: 22, b: 34 };
  const W = width - m.l - m.r;
  const H = height - m.t - m.b;
  let vlo = Infinity; let vhi = -Infinity; let dlo = Infinity; let dhi = -Infinity;
  for (const s of series) for (const [v, d] of s.pts) {
    if (!Number.isFinite(v) || !Number.isFinite(d)) continue;
    vlo = Math.min(vlo, v); vhi = Math.max(vhi, v); dlo = Math.min(dlo, d); dhi = Math.max(dhi, d);
  }
  for (const [v, d] of points) { vlo = Math.min(vlo, v); vhi = Math.max(vhi, v); dlo = Math.min(dlo, d); dhi = Math.max(dhi, d); }
  let body = '';
  if (!Number.isFinite(vlo)) {
    body = `<text class="nodata" x="${m.l + W / 2}" y="${m.t + H / 2}">no values</text>`;
    return `<svg class="chart" id="${id}" width="${width}" height="${height}" viewBox="0 0 ${width} ${height}"><text class="ctitle" x="${width / 2}" y="14">${esc(title)}</text><rect class="plot-area" x="${m.l}" y="${m.t}" width="${W}" height="${H}"/>${body}</svg>`;
  }
  if (!xy) { vlo = Math.min(vlo, 0); vhi = Math.max(vhi, 0); }
  if (depthRange) { dlo = depthRange[0]; dhi = depthRange[1]; }
  const vt = niceTicks(vlo, vhi, 4);
  const dt = niceTicks(dlo, dhi, 6);
  const X = (v) => m.l + ((v - vt.lo) / (vt.hi - vt.lo)) * W;
  const Y = xy ? (d) => m.t + H - ((d - dt.lo) / (dt.hi - dt.lo)) * H : (d) => m.t + ((d - dt.lo) / (dt.hi - dt.lo)) * H;
  let grid = '';
  for (const v of vt.ticks) grid += `<line class="grid" x1="${X(v).toFixed(1)}" x2="${X(v).toFixed(1)}" y1="${m.t}" y2="${m.t + H}"/><text class="tick tickm" x="${X(v).toFixed(1)}" y="${m.t + H + 11}">${fmt(v)}</text>`;
  for (const d of dt.ticks) grid += `<line class="grid" x1="${m.l}" x2="${m.l + W}" y1="${Y(d).toFixed(1)}" y2="${Y(d).toFixed(1)}"/><text class="tick tickl" x="${m.l - 3}" y="${(Y(d) + 3).toFixed(1)}">${fmt(d)}</text>`;
  const zero = vt.lo < 0 && vt.hi > 0 ? `<line class="zero" x1="${X(0).toFixed(1)}" x2="${X(0).toFixed(1)}" y1="${m.t}" y2="${m.t + H}"/>` : '';
  const zeroY = xy && dt.lo < 0 && dt.hi > 0 ? `<line class="zero" x1="${m.l}" x2="${m.l + W}" y1="${Y(0).toFixed(1)}" y2="${Y(0).toFixed(1)}"/>` : '';
  for (const mk of markers) {
    if (mk.depth >= dt.lo && mk.depth <= dt.hi) body += `<line class="level" x1="${m.l}" x2="${m.l + W}" y1="${Y(mk.depth).toFixed(1)}" y2="${Y(mk.depth).toFixed(1)}"><title>${esc(mk.label)}</title></line>`;
  }
  for (const s of series) {
    const pts = s.pts.filter(([v, d]) => Number.isFinite(v) && Number.isFinite(d)).map(([v, d]) => `${X(v).toFixed(1)},${Y(d).toFixed(1)}`).join(' ');
    body += `<polyline class="curve ${s.cls}" points="${pts}"><title>${esc(s.name)}</title></polyline>`;
  }
  for (const [v, d] of points) body += `<circle class="reached" cx="${X(v).toFixed(1)}" cy="${Y(d).toFixed(1)}" r="4"><title>reached: y ${fmt(v)}, p ${fmt(d)}</title></circle>`;
  return `<svg class="chart" id="${id}" width="${width}" height="${height}" viewBox="0 0 ${width} ${height}">` +
    `<text class="ctitle" x="${width / 2}" y="14">${esc(title)}</text>` +
    `<rect class="plot-area" x="${m.l}" y="${m.t}" width="${W}" height="${H}"/>${grid}${zero}${zeroY}${body}` +
    `<text class="alabel" x="${m.l + W / 2}" y="${height - 6}">${esc(xLabel)}</text>` +
    `<text class="alabel" transform="translate(11 ${m.t + H / 2}) rotate(-90)">${esc(yLabel)}</text></svg>`;
}

// The wall in its ground, to scale (one scale both ways), with its water,
// tie-backs, surcharge and the deflected shape (exaggerated, as noted).
function wallDrawing(problem, result, id) {
  const si = problem.control && (problem.control.units === 'si' || problem.control.units === 2);
  const toDepth = si ? 1 : 1 / 12; // deck lengths (in or m) to the depth unit (ft or m)
  const du = si ? 'm' : 'ft';
  const g = problem.geometry || {};
  const wall = problem.wall || {};
  const L = (g.increments || 0) * (g.increment_length || 0) * toDepth;
  const exc = (wall.free_height ?? g.excavation_depth ?? 0) * toDepth;
  const layers = problem.soil_layers || [];
  const deepest = Math.max(L, ...layers.map((l) => (l.bottom_depth || 0) * toDepth).filter(Number.isFinite));
  const depthMax = Math.max(deepest, 1e-9) * 1.05;
  const H = 330; const Wd = 300; const m = { l: 36, r: 8, t: 22, b: 16 };
  const scale = (H - m.t - m.b) / depthMax;
  const wallX = m.l + (Wd - m.l - m.r) * 0.55;
  const Y = (d) => m.t + d * scale;
  const left = m.l; const right = Wd - m.r;
  let s = `<rect class="air" x="${left}" y="${m.t}" width="${right - left}" height="${H - m.t - m.b}"/>`;
  let top = 0;
  layers.forEach((l) => {
    const bottom = Math.min((l.bottom_depth || 0) * toDepth, depthMax);
    let type = l.soil_type; if (typeof type === 'string') type = SOIL_TYPES_BY_CODE.indexOf(type);
    const cls = `soil s${type > 0 ? type : 0}`;
    if (bottom > top) {
      s += `<rect class="${cls}" x="${left}" y="${Y(top).toFixed(1)}" width="${(wallX - left).toFixed(1)}" height="${((bottom - top) * scale).toFixed(1)}"><title>${esc(humanise(l.soil_type))} to ${fmt(bottom)} ${du}</title></rect>`;
      const et = Math.max(top, exc);
      if (bottom > et) s += `<rect class="${cls}" x="${wallX}" y="${Y(et).toFixed(1)}" width="${(right - wallX).toFixed(1)}" height="${((bottom - et) * scale).toFixed(1)}"/>`;
    }
    top = Math.max(top, bottom);
  });
  const water = (d, x1, x2, label) => {
    if (!(d >= 0) || d > depthMax) return '';
    return `<line class="water" x1="${x1}" x2="${x2}" y1="${Y(d).toFixed(1)}" y2="${Y(d).toFixed(1)}"><title>${label} ${fmt(d)} ${du}</title></line>`;
  };
  if (wall.water_depth_retained !== undefined) s += water(wall.water_depth_retained * toDepth, left, wallX, 'water behind the wall at');
  if (wall.water_depth_excavation !== undefined) s += water(Math.max(wall.water_depth_excavation * toDepth, exc), wallX, right, 'water in the excavation at');
  s += `<line class="level" x1="${wallX}" x2="${right}" y1="${Y(exc).toFixed(1)}" y2="${Y(exc).toFixed(1)}"><title>excavation ${fmt(exc)} ${du}</title></line>`;
  // Surcharge on the retained surface.
  const sur = (problem.surcharges || []).length || (problem.surface && (problem.surface.pressure || problem.surface.line_load || problem.surface.point_load || problem.surface.strip_pressure));
  if (sur) s += `<rect class="surch" x="${left}" y="${m.t - 6}" width="${(wallX - left - 4).toFixed(1)}" height="5"><title>surcharge</title></rect>`;
  // Tie-backs, into the retained side at their angle below the horizontal.
  for (const t of problem.tiebacks || []) {
    // Tie-back depths and lengths are in the depth unit already (ft or m);
    // the bonded length is drawn as 40 % of the unbonded one.
    const d = t.depth || 0;
    const a = ((t.angle || 0) * Math.PI) / 180;
    let len = Math.max(t.unbonded_length || 0, depthMax * 0.15);
    // Kept inside the drawing: a long tie-back is drawn shortened.
    const room = (wallX - left) / (Math.max(Math.cos(a), 0.05) * 1.4 * scale);
    if (len > room) len = room;
    const x2 = wallX - Math.cos(a) * len * scale; const y2 = Y(d) + Math.sin(a) * len * scale;
    const x3 = wallX - Math.cos(a) * len * 1.4 * scale; const y3 = Y(d) + Math.sin(a) * len * 1.4 * scale;
    s += `<line class="tieback" x1="${wallX}" y1="${Y(d).toFixed(1)}" x2="${x2.toFixed(1)}" y2="${y2.toFixed(1)}"><title>tie-back at ${fmt(d)} ${du}</title></line>`;
    s += `<line class="bond" x1="${x2.toFixed(1)}" y1="${y2.toFixed(1)}" x2="${x3.toFixed(1)}" y2="${y3.toFixed(1)}"/>`;
  }
  s += `<line class="wallline" x1="${wallX}" x2="${wallX}" y1="${Y(0).toFixed(1)}" y2="${Y(L).toFixed(1)}"><title>wall, ${fmt(L)} ${du}</title></line>`;
  // Deflected shape, exaggerated so that the largest deflection is 12 % of the width.
  const st = table(result, 'stations');
  let note = '';
  if (st && st.rows.length) {
    const iX = st.index.X; const iD = st.index.deflection;
    const dmax = Math.max(...st.rows.map((r) => Math.abs(r[iD]) || 0));
    if (dmax > 0) {
      const toDU = si ? 1 : 1 / 12; // deflection (in or m) in the depth unit
      const k = ((right - left) * 0.12) / (dmax * toDU * scale);
      const pts = st.rows.map((r) => `${(wallX + r[iD] * toDU * scale * k).toFixed(1)},${Y(r[iX]).toFixed(1)}`).join(' ');
      s += `<polyline class="deflected" points="${pts}"><title>deflected shape ×${fmt(k)}</title></polyline>`;
      note = `deflection ×${fmt(k)}`;
    }
  }
  const ticks = niceTicks(0, depthMax, 6).ticks.filter((d) => d <= depthMax);
  const axis = ticks.map((d) => `<text class="tick tickl" x="${left - 3}" y="${(Y(d) + 3).toFixed(1)}">${fmt(d)}</text>`).join('');
  return `<svg class="drawing" id="${id}" width="${Wd}" height="${H}" viewBox="0 0 ${Wd} ${H}">` +
    `<text class="ctitle" x="${Wd / 2}" y="12">Wall to scale (${du})</text>${s}${axis}` +
    `<text class="tick" x="${left + 2}" y="${H - 4}">${esc(note)}</text></svg>`;
}
