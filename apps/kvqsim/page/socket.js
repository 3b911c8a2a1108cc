// The WebSocket to kvqsim: state and answers in, inputs out. Reconnects
// while kvqsim runs; every input gets a sequence number.

export class Socket {
  constructor({ onState, onMessage, onStatus, onEnd }) {
    this.onEnd = onEnd;
    this.onState = onState;
    this.onMessage = onMessage;
    this.onStatus = onStatus;
    this.seq = 0;
    this.ended = false;
    this.open();
  }

  open() {
    const ws = new WebSocket(`ws://${location.host}/ws`);
    this.ws = ws;
    let stated = false;  // a connection that got no state was turned away
    let refusal = null;
    ws.onopen = () => this.onStatus('connected', false);
    ws.onmessage = (e) => {
      let m;
      try { m = JSON.parse(e.data); } catch { return; }
      if (m.type === 'state') { stated = true; this.onState(m); return; }
      if (m.type === 'bye') this.ended = true;
      if (m.type === 'error' && !stated) refusal = m.message;
      this.onMessage(m);
    };
    ws.onclose = () => {
      if (this.ended) { this.onStatus('session ended', true); this.onEnd('session ended'); return; }
      if (refusal) { this.onStatus(refusal, true); this.onEnd(refusal); return; }
      this.onStatus('disconnected — retrying', true);
      setTimeout(() => this.open(), 1000);
    };
  }

  // Sends an input; its seq, or -1 when not connected.
  send(message) {
    if (!this.ws || this.ws.readyState !== WebSocket.OPEN) return -1;
    const seq = this.seq++;
    this.ws.send(JSON.stringify({ ...message, seq }));
    return seq;
  }
}
