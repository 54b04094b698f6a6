// The show's page: asks the launcher's questions, loads the program (vela.js, vela.wasm) and the
// pack (VELA.PAK) from this page's own folder, and serves the program as its window, keyboard,
// message boxes and sound (the calls of the program's `Module.page`).
//
// Address options:
//   ?hashes&fps=N&seconds=S&part=P  plays the show in virtual time (vela --fast) and lists the hash
//                                   of every frame, as `vela --frame-hashes` does
//   ?timings                        prints the frame timings table to the console at the end
//   ?seconds=S, ?part=P             end after S seconds, start at part P (as vela's bP)
//   ?autostart                      starts at once, as if START were pressed
//   ?escape=S                       presses Escape after S seconds of show (a test of the key)
//   ?report                         posts the outcome to /__vela_result (scripts/web-run's server)
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const hashesMode = params.has('hashes');
  const reportMode = params.has('report');
  const stage = document.getElementById('stage');
  const screen = document.getElementById('screen');
  const launcher = document.getElementById('launcher');
  const statusLine = document.getElementById('status');
  const messageBox = document.getElementById('message');
  const hashesBlock = document.getElementById('hashes');

  const printed = [];      // the program's standard output
  const errorLines = [];   // and its standard error
  let program = null;      // the program's Module once loaded
  let running = false;
  let finished = false;
  let startPressed = 0;    // performance.now() of START
  let firstFrameReported = false;

  function say(text, isError) {
    statusLine.textContent = text;
    statusLine.classList.toggle('error', !!isError);
  }

  function report(outcome) {
    if (!reportMode) return;
    const body = JSON.stringify(Object.assign({ stdout: printed.join('\n'), stderr: errorLines.join('\n') }, outcome));
    fetch('/__vela_result', { method: 'POST', body, headers: { 'Content-Type': 'application/json' } }).catch(() => {});
  }

  // Says a failure where the picture would be, and ends everything.
  function fail(text) {
    if (finished) return;
    finished = true;
    running = false;
    screen.hidden = true;
    launcher.hidden = true;
    say(text, true);
    console.error('vela: ' + text);
    report({ status: -1, error: text });
  }

  window.addEventListener('error', (e) => fail('The show stopped on an error: ' + (e.message || e)));
  window.addEventListener('unhandledrejection', (e) => {
    // The program's exit unwinds its stack with an ExitStatus, inside the promise that resumed it.
    if (e.reason && e.reason.name === 'ExitStatus') {
      e.preventDefault();
      return;
    }
    fail('The show stopped on an error: ' + ((e.reason && e.reason.message) || e.reason));
  });

  // ---- Keyboard: DOM key codes as USB HID usages, as the desktop's window gives them. ----
  const usages = { Enter: 40, Escape: 41, Backspace: 42, Tab: 43, Space: 44, Minus: 45, Equal: 46, BracketLeft: 47,
    BracketRight: 48, Backslash: 49, Semicolon: 51, Quote: 52, Backquote: 53, Comma: 54, Period: 55, Slash: 56,
    CapsLock: 57, PrintScreen: 70, ScrollLock: 71, Pause: 72, Insert: 73, Home: 74, PageUp: 75, Delete: 76, End: 77,
    PageDown: 78, ArrowRight: 79, ArrowLeft: 80, ArrowDown: 81, ArrowUp: 82, NumLock: 83, NumpadDivide: 84,
    NumpadMultiply: 85, NumpadSubtract: 86, NumpadAdd: 87, NumpadEnter: 88, Numpad0: 98, NumpadDecimal: 99,
    ControlLeft: 224, ShiftLeft: 225, AltLeft: 226, MetaLeft: 227, ControlRight: 228, ShiftRight: 229, AltRight: 230,
    MetaRight: 231 };
  for (let i = 0; i < 26; ++i) usages['Key' + String.fromCharCode(65 + i)] = 4 + i;
  for (let i = 1; i <= 9; ++i) { usages['Digit' + i] = 29 + i; usages['Numpad' + i] = 88 + i; }
  usages.Digit0 = 39;
  for (let i = 1; i <= 12; ++i) usages['F' + i] = 57 + i;

  const kKeyDown = 1, kKeyUp = 2, kMinimized = 4, kActivated = 5;
  const events = [];
  let messageOpen = null;

  function onKey(e, kind) {
    if (messageOpen) {
      if (kind === kKeyDown && (e.code === 'Enter' || e.code === 'Escape')) {
        e.preventDefault();
        messageOpen(e.code === 'Enter' ? 1 : 2);
      }
      return;
    }
    if (!running) return;
    const usage = usages[e.code];
    if (!usage) return;
    // The page's own meaning of these keys (help, search, scrolling) gives way to the show's.
    e.preventDefault();
    events.push({ kind, usage, altDown: e.altKey });
  }
  window.addEventListener('keydown', (e) => onKey(e, kKeyDown));
  window.addEventListener('keyup', (e) => onKey(e, kKeyUp));
  // A double-click switches full screen as F4 does.
  screen.addEventListener('dblclick', () => {
    if (!running) return;
    events.push({ kind: kKeyDown, usage: usages.F4, altDown: false });
    events.push({ kind: kKeyUp, usage: usages.F4, altDown: false });
  });
  document.addEventListener('visibilitychange', () => {
    if (running) events.push({ kind: document.hidden ? kMinimized : kActivated, usage: 0, altDown: false });
  });
  // The browser leaves full screen on its own (its Escape): the show goes back to a window too.
  let fullScreenWanted = false;
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement && fullScreenWanted && running) {
      events.push({ kind: kKeyDown, usage: usages.F4, altDown: false });
      events.push({ kind: kKeyUp, usage: usages.F4, altDown: false });
    }
  });

  // ---- Waiting: the program hands control back to the browser here. ----
  const channel = new MessageChannel();
  const yields = [];
  channel.port1.onmessage = () => { const resolve = yields.shift(); if (resolve) resolve(); };

  // ---- Sound: Web Audio, fed block by block by the program. ----
  let audio = null;
  let pump = null;

  function createAudio() {
    if (audio || hashesMode) return;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    try { audio = new Context({ latencyHint: 'interactive' }); } catch (e) { audio = null; }
  }

  const page = {
    openCanvas(width, height) { page.setCanvasSize(width, height); },
    showCanvas(shown) { screen.hidden = !shown; if (shown) { launcher.hidden = true; say(''); } },
    setCanvasSize(width, height) { screen.style.width = width + 'px'; screen.style.height = height + 'px'; },
    canvasWidth() { return document.fullscreenElement ? window.innerWidth : parseInt(screen.style.width, 10) || screen.clientWidth; },
    canvasHeight() { return document.fullscreenElement ? window.innerHeight : parseInt(screen.style.height, 10) || screen.clientHeight; },
    enterFullScreen() {
      fullScreenWanted = true;
      if (document.fullscreenElement || !stage.requestFullscreen) return;
      stage.requestFullscreen().catch(() => { fullScreenWanted = false; });
    },
    leaveFullScreen() {
      fullScreenWanted = false;
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    },
    drawPicture(rgba, width, height) {
      if (screen.width !== width || screen.height !== height) { screen.width = width; screen.height = height; page.image = null; }
      if (!page.image) { page.context = screen.getContext('2d'); page.image = page.context.createImageData(width, height); }
      page.image.data.set(rgba);
      page.context.putImageData(page.image, 0, 0);
      if (!firstFrameReported && startPressed && !hashesMode) {
        firstFrameReported = true;
        console.log('vela: first frame ' + Math.round(performance.now() - startPressed) + ' ms after START');
      }
    },
    waitForAnimationFrame() {
      return new Promise((resolve) => {
        if (document.hidden) setTimeout(resolve, 50);
        else requestAnimationFrame(() => resolve());
      });
    },
    yieldOnce() { return new Promise((resolve) => { yields.push(resolve); channel.port2.postMessage(0); }); },
    sleep(milliseconds) { return new Promise((resolve) => setTimeout(resolve, milliseconds)); },
    nextEvent() { return events.shift() || null; },

    openAudio() {
      createAudio();
      return audio && audio.state === 'running' ? audio.sampleRate : 0;
    },
    closeAudio() { if (audio) audio.suspend().catch(() => {}); },
    pauseAudio(paused) { if (audio) (paused ? audio.suspend() : audio.resume()).catch(() => {}); },
    startSoundPump(toDevice, rate) {
      page.stopSoundPump();
      if (toDevice && audio) {
        const frames = 2048;
        const buffer = program._malloc(frames * 4);
        const node = audio.createScriptProcessor(frames, 0, 2);
        node.onaudioprocess = (e) => {
          const out = e.outputBuffer;
          const n = Math.min(out.length, frames);
          program._vela_fill_sound(buffer, n, e.playbackTime);
          const samples = program.HEAP16.subarray(buffer >> 1, (buffer >> 1) + n * 2);
          const left = out.getChannelData(0), right = out.getChannelData(1);
          for (let i = 0; i < n; ++i) { left[i] = samples[2 * i] / 32768; right[i] = samples[2 * i + 1] / 32768; }
        };
        node.connect(audio.destination);
        pump = { stop() { node.disconnect(); node.onaudioprocess = null; program._free(buffer); },
                 clock() { return audio.currentTime - (audio.outputLatency || 0); } };
      } else {
        // Nowhere: blocks of 128 frames as the page's clock reaches them, discarded.
        const frames = 128;
        const buffer = program._malloc(frames * 4);
        const start = performance.now() / 1000;
        let rendered = 0;
        const timer = setInterval(() => {
          const due = Math.floor((performance.now() / 1000 - start) * rate);
          while (rendered + frames <= due) {
            program._vela_fill_sound(buffer, frames, start + rendered / rate);
            rendered += frames;
          }
        }, 5);
        pump = { stop() { clearInterval(timer); program._free(buffer); }, clock() { return performance.now() / 1000; } };
      }
    },
    stopSoundPump() { if (pump) { pump.stop(); pump = null; } },
    soundClock() { return pump ? pump.clock() : 0; },

    showMessage(text, caption, okCancel) {
      messageBox.querySelector('.caption').textContent = caption;
      messageBox.querySelector('.text').textContent = text;
      const cancel = messageBox.querySelector('.cancel');
      cancel.hidden = !okCancel;
      messageBox.hidden = false;
      console.warn(caption + ': ' + text);
      return new Promise((resolve) => {
        messageOpen = (answer) => { messageOpen = null; messageBox.hidden = true; resolve(answer); };
        messageBox.querySelector('.ok').onclick = () => messageOpen && messageOpen(1);
        cancel.onclick = () => messageOpen && messageOpen(2);
        messageBox.querySelector('.ok').focus();
      });
    },
  };

  // ---- Loading: the program and the pack, from this folder. ----
  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const s = document.createElement('script');
      s.src = src;
      s.onload = resolve;
      s.onerror = () => reject(new Error('could not load ' + src));
      document.head.appendChild(s);
    });
  }

  // The pack; a pack that cannot be had is said in a plain sentence (a damaged one is left to the
  // program, which names the damage as it does on a desktop).
  function fetchPack() {
    const missing = (why) => new Error("The show's pack, VELA.PAK, could not be loaded from this page's folder (" + why + ').');
    return fetch('VELA.PAK').catch(() => { throw missing('no answer from the server'); }).then((r) => {
      if (!r.ok) throw missing(r.status + ' ' + r.statusText);
      return r.arrayBuffer();
    });
  }

  function loadProgram() {
    return loadScript('vela.js').then(() => createVela({
      page,
      print: (text) => { printed.push(text); console.log(text); },
      printErr: (text) => { errorLines.push(text); console.warn(text); },
      onExit: (status) => ended(status),
      onAbort: (what) => fail('The show stopped on an error: ' + what),
    }));
  }

  function ended(status) {
    if (finished) return;
    finished = true;
    running = false;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    page.stopSoundPump();
    const outcome = { status };
    if (hashesMode) {
      try {
        outcome.hashes = program.FS.readFile('/hashes.txt', { encoding: 'utf8' });
        hashesBlock.textContent = outcome.hashes;
        hashesBlock.hidden = false;
      } catch (e) {
        outcome.hashes = '';
      }
    }
    if (status === 0) {
      say(hashesMode ? 'The show has ended: the frame list is below.' : 'The show has ended.');
    } else {
      screen.hidden = true;
      const lines = errorLines.filter((l) => l.trim() !== '');
      say(lines.length ? lines.slice(-4).join('\n') : 'The show ended with status ' + status + '.', true);
    }
    console.log('vela: the show has ended (status ' + status + ')');
    report(outcome);
  }

  function argumentsFor(choices) {
    const args = ['--pack', '/VELA.PAK'];
    const seconds = params.get('seconds');
    const part = params.get('part');
    if (hashesMode) {
      args.push('--fast', '--fps', params.get('fps') || '60', '--frame-hashes', '/hashes.txt');
    } else {
      args.push('--no-launcher', choices.fullScreen ? '--fullscreen' : '--window', choices.loop ? '--loop' : '--once');
      if (params.has('timings')) args.push('--timings');
    }
    if (seconds) args.push('--seconds', seconds);
    if (part) args.push('b' + part);
    return args;
  }

  function play(choices, loaded) {
    say('Loading the show...');
    loaded.then(([module, pack]) => {
      program = module;
      program.FS.writeFile('/VELA.PAK', new Uint8Array(pack));
      running = true;
      const escapeAfter = parseFloat(params.get('escape'));
      if (escapeAfter > 0) {
        setTimeout(() => window.dispatchEvent(new KeyboardEvent('keydown', { code: 'Escape', key: 'Escape' })), escapeAfter * 1000);
      }
      program.callMain(argumentsFor(choices));
    }).catch((e) => fail(e.message || String(e)));
  }

  if (typeof WebAssembly !== 'object') {
    fail('This browser has no WebAssembly: the show cannot run here.');
    return;
  }
  const loaded = Promise.all([loadProgram(), fetchPack()]);
  loaded.catch((e) => fail((e && e.message) || String(e)));

  if (hashesMode || params.has('autostart')) {
    startPressed = performance.now();
    createAudio();
    play({ fullScreen: false, loop: false }, loaded);
    return;
  }
  say('');
  launcher.hidden = false;
  document.getElementById('start').focus();
  launcher.addEventListener('submit', (e) => {
    e.preventDefault();
    startPressed = performance.now();
    // The click is the page's permission to play sound.
    createAudio();
    const resumed = audio ? Promise.race([audio.resume(), new Promise((r) => setTimeout(r, 1000))]) : Promise.resolve();
    const choices = { fullScreen: document.getElementById('full-screen').checked, loop: document.getElementById('loop').checked };
    launcher.hidden = true;
    resumed.catch(() => {}).then(() => play(choices, loaded));
  });
  document.getElementById('cancel').addEventListener('click', () => {
    launcher.hidden = true;
    say('The show was not started. Reload the page to see the launcher again.');
    report({ status: 0, cancelled: true });
  });
})();
