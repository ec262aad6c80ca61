// The page's side of the engine: a Web Worker made from a Blob of the
// inlined engine and worker scripts (so that the page works from file://),
// called through promises.
class EngineClient {
  constructor(source) {
    const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    this.worker = new Worker(url);
    this.next = 1;
    this.pending = new Map();
    this.worker.onmessage = (event) => {
      const { id, ok, out, error } = event.data;
      const p = this.pending.get(id);
      if (!p) return;
      this.pending.delete(id);
      if (ok) p.resolve(out);
      else p.reject(new Error(error));
    };
    this.worker.onerror = (event) => {
      event.preventDefault();
      const error = new Error('the engine failed to start: ' + (event.message || 'unknown error'));
      for (const p of this.pending.values()) p.reject(error);
      this.pending.clear();
    };
  }
  call(op, ...args) {
    const id = this.next++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.worker.postMessage({ id, op, args });
    });
  }
  async json(op, ...args) {
    return JSON.parse(await this.call(op, ...args));
  }
}
