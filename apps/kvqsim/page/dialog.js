// The host's input box as a modal dialog: its title, a text field, Enter
// hands the text to the box's callback, Escape closes the box. The box is
// kvqsim's: the dialog shows while the state says a box is open, and stays
// open while the callback refuses the text.

export class InputBoxDialog {
  constructor(dialog, { enter, escape }) {
    this.dialog = dialog;
    this.title = dialog.querySelector('#inputbox-title');
    this.field = dialog.querySelector('[data-role="inputbox"]');
    this.refused = dialog.querySelector('#inputbox-refused');
    this.current = null;
    this.sent = null;  // the text sent for the box now open
    this.field.addEventListener('keydown', (e) => {
      if (e.key === 'Enter') {
        e.preventDefault();
        this.sent = this.field.value;
        this.refused.hidden = true;
        enter(this.field.value);
      } else if (e.key === 'Escape') {
        e.preventDefault();
        escape();
      }
    });
    // The browser's own Escape handling would close the dialog without kvqsim.
    dialog.addEventListener('cancel', (e) => e.preventDefault());
  }

  get open() { return this.dialog.open; }

  // With each state: the title of the open box, or null.
  update(title, seqApplied, lastSeq) {
    if (title === null || title === undefined) {
      if (this.dialog.open) this.dialog.close();
      this.current = null;
      return;
    }
    if (title !== this.current || !this.dialog.open) {
      this.current = title;
      this.title.textContent = title;
      this.field.value = '';
      this.sent = null;
      this.refused.hidden = true;
      if (!this.dialog.open) this.dialog.showModal();
      this.field.focus();
    } else if (this.sent !== null && seqApplied >= lastSeq) {
      // Applied and the same box still open: the callback refused it.
      this.refused.hidden = false;
      this.sent = null;
    }
  }
}
