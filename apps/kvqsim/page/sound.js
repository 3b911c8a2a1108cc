// What the sound add-on plays for the focus vessel, played with the Web
// Audio API from the add-on's own wave files: each slot's wave, looped or
// once, at its volume and playback rate; a new play count starts the wave
// again, a stop stops it. Browsers allow sound only after a click, so it
// starts with enable().

export class Sound {
  constructor() {
    this.ctx = null;
    this.buffers = new Map();  // file -> AudioBuffer, or a promise of one
    this.voices = new Map();   // slot -> { source, gain, plays, file }
  }

  get enabled() { return this.ctx !== null; }

  enable() {
    if (this.ctx) return;
    this.ctx = new AudioContext();
    this.master = this.ctx.createGain();
    this.master.gain.value = 0.6;
    this.master.connect(this.ctx.destination);
  }

  disable() {
    if (!this.ctx) return;
    for (const slot of [...this.voices.keys()]) this.stop(slot);
    this.ctx.close();
    this.ctx = null;
  }

  buffer(file) {
    const b = this.buffers.get(file);
    if (b instanceof AudioBuffer) return b;
    if (!b) {
      const p = fetch('/' + file)
        .then((r) => r.arrayBuffer())
        .then((data) => this.ctx.decodeAudioData(data))
        .then((buf) => { this.buffers.set(file, buf); })
        .catch(() => { this.buffers.delete(file); });
      this.buffers.set(file, p);
    }
    return null;
  }

  stop(slot) {
    const v = this.voices.get(slot);
    if (!v) return;
    try { v.source.stop(); } catch { /* already ended */ }
    v.source.disconnect();
    this.voices.delete(slot);
  }

  // With each state: the focus vessel's slots.
  update(sound) {
    if (!this.ctx || !sound) return;
    const seen = new Set();
    for (const s of sound.slots) {
      seen.add(s.slot);
      const v = this.voices.get(s.slot);
      const rate = s.rate > 0 ? s.frequency / s.rate : 1;
      const gain = Math.min(1, s.volume / 255);
      this.buffer(s.file);  // every wave fetched early, so plays start on time
      if (!s.playing) {
        this.stop(s.slot);
        continue;
      }
      if (v && v.plays === s.plays && v.file === s.file && v.loop === s.loop) {
        v.source.playbackRate.setTargetAtTime(rate, this.ctx.currentTime, 0.02);
        v.gain.gain.setTargetAtTime(gain, this.ctx.currentTime, 0.02);
        continue;
      }
      const buf = this.buffer(s.file);
      if (!buf) continue;  // still loading: starts with a later state
      this.stop(s.slot);
      const source = this.ctx.createBufferSource();
      source.buffer = buf;
      source.loop = s.loop;
      source.playbackRate.value = rate;
      const g = this.ctx.createGain();
      g.gain.value = gain;
      source.connect(g).connect(this.master);
      const voice = { source, gain: g, plays: s.plays, file: s.file, loop: s.loop };
      source.onended = () => { if (this.voices.get(s.slot) === voice) this.voices.delete(s.slot); };
      source.start();
      this.voices.set(s.slot, voice);
    }
    for (const slot of [...this.voices.keys()]) if (!seen.has(slot)) this.stop(slot);
  }
}
