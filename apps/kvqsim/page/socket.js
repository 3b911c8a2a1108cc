// The WebSocket to kvqsim: state and answers in, inputs out. Reconnects
// while kvqsim runs; every input gets a sequence number.

export class Socket {
  constructor({ onState, onMessage, onStatus }) {
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
    ws.onopen = () => this.onStatus('connected', false);
    ws.onmessage = (e) => {
      let m;
      try { m = JSON.parse(e.data); } catch { return; }
      if (m.type === 'state') this.onState(m);
      else {
        if (m.type === 'bye') this.ended = true;
        this.onMessage(m);
      }
    };
    ws.onclose = () => {
      if (this.ended) { this.onStatus('session ended', true); return; }
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
