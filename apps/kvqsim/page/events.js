// What happened in the scene, as kvqsim told it: the event list (kept by
// kvqsim for the whole session, so a page that comes later gets it all),
// newest at the bottom; and the crew aboard each vessel, as the crew
// add-on's own scenario lines list them.

const MAX_SHOWN = 2000;  // items kept in the list

const escape = (t) => String(t).replace(/&/g, '&amp;').replace(/</g, '&lt;');

export class EventList {
  constructor(list) {
    this.list = list;
  }

  update(state) {
    if (state.full) this.list.textContent = '';
    if (!state.events || !state.events.length) return;
    const atEnd = this.list.scrollTop + this.list.clientHeight >= this.list.scrollHeight - 4;
    for (const e of state.events) {
      const li = document.createElement('li');
      const t = document.createElement('span');
      t.className = 't';
      t.textContent = e.t.toFixed(1);
      li.append(t, document.createTextNode(e.text));
      this.list.append(li);
    }
    while (this.list.children.length > MAX_SHOWN) this.list.firstChild.remove();
    if (atEnd) this.list.scrollTop = this.list.scrollHeight;
  }
}

export class CrewList {
  constructor(box) {
    this.box = box;
    this.shown = '';
  }

  update(scene, state) {
    const rows = [];
    for (const v of scene.vessels.values()) {
      if (!v.crew || !v.crew.length) continue;
      const members = v.crew.map((m) =>
        `<li>${escape(m.name)}${m.function ? ` <span class="dim">${escape(m.function)}</span>` : ''} <span class="dim">${escape(m.age)} y, ${escape(m.weight)} kg</span></li>`).join('');
      rows.push(`<div class="${v.name === state.focus ? 'focus' : ''}"><b>${escape(v.name)}</b><ul>${members}</ul></div>`);
    }
    const html = rows.length ? rows.join('') : '<span class="dim">nobody aboard any vessel</span>';
    if (html !== this.shown) {
      this.box.innerHTML = html;
      this.shown = html;
    }
  }
}
