// The engine's worker: runs the engine's calls off the page's thread.  The
// page builds this worker from a Blob holding the engine's script
// (createKestroEngine) followed by this file.
'use strict';
let enginePromise = null;
function engine() {
  if (!enginePromise) enginePromise = createKestroEngine();
  return enginePromise;
}
self.onmessage = async (event) => {
  const { id, op, args } = event.data;
  try {
    const m = await engine();
    let out;
    if (op === 'liveRun') {
      // A values-only run, for the live redraw.
      const t0 = performance.now();
      const run = m.run(args[0], args[1], false);
      out = { run, runMs: performance.now() - t0 };
    } else if (op === 'liveCheck') {
      // The deck check, for the findings that name a field.
      const t0 = performance.now();
      const check = m.check(args[0], args[1]);
      out = { check, checkMs: performance.now() - t0 };
    } else if (op === 'ready') {
      out = { fields: m.fields() };
    } else {
      out = m[op](...args);
    }
    self.postMessage({ id, ok: true, out });
  } catch (err) {
    self.postMessage({ id, ok: false, error: String((err && err.message) || err) });
  }
};
