// The scene as the page knows it: kvqsim sends each page the vessels that
// changed since its last state (all of them in a `full` one) and the names
// of those deleted; here they are merged into one map by name.

export class SceneState {
  constructor() {
    this.vessels = new Map();  // name -> the vessel's latest fields
  }

  update(s) {
    if (s.full) this.vessels.clear();
    for (const v of s.vessels) this.vessels.set(v.name, Object.assign(this.vessels.get(v.name) || {}, v));
    for (const name of s.gone) this.vessels.delete(name);
  }

  get(name) { return this.vessels.get(name); }
}
