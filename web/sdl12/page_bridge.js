// The page's side of the browser SDL (see page_bridge.h): the canvas, the
// keyboard and Web Audio. Linked with --js-library.
var VxPageLibrary = {
  $VxPage: {
    context2d: null,
    image: null,
    keys: [],
    held: {},
    listening: false,
    audio: null,
    sounds: {},
    playing: {},
    tracks: {},
    music: null,
    musicGain: null,
    musicWanted: null,
    effectsHeard: 0,

    // DOM key codes to SDL 1.2 key symbols.
    symbols: {
      Backspace: 8, Tab: 9, Enter: 13, Pause: 19, Escape: 27, Space: 32, Quote: 39, Comma: 44,
      Minus: 45, Period: 46, Slash: 47, Semicolon: 59, Equal: 61, BracketLeft: 91, Backslash: 92,
      BracketRight: 93, Backquote: 96, Delete: 127,
      Numpad0: 256, Numpad1: 257, Numpad2: 258, Numpad3: 259, Numpad4: 260, Numpad5: 261,
      Numpad6: 262, Numpad7: 263, Numpad8: 264, Numpad9: 265, NumpadDecimal: 266,
      NumpadDivide: 267, NumpadMultiply: 268, NumpadSubtract: 269, NumpadAdd: 270,
      NumpadEnter: 271, NumpadEqual: 272,
      ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276, Insert: 277, Home: 278,
      End: 279, PageUp: 280, PageDown: 281,
      F1: 282, F2: 283, F3: 284, F4: 285, F5: 286, F6: 287, F7: 288, F8: 289, F9: 290,
      F10: 291, F11: 292, F12: 293, F13: 294, F14: 295, F15: 296,
      NumLock: 300, CapsLock: 301, ScrollLock: 302, ShiftRight: 303, ShiftLeft: 304,
      ControlRight: 305, ControlLeft: 306, AltRight: 307, AltLeft: 308, MetaRight: 309,
      MetaLeft: 310, ContextMenu: 319
    },
    // Keys the browser would otherwise use to scroll or move the focus.
    captured: { 8: 1, 9: 1, 32: 1, 273: 1, 274: 1, 275: 1, 276: 1, 278: 1, 279: 1, 280: 1, 281: 1 },

    symbolOf: function(event) {
      var code = event.code || '';
      if (code in VxPage.symbols) return VxPage.symbols[code];
      if (/^Key[A-Z]$/.test(code)) return code.charCodeAt(3) + 32;
      if (/^Digit[0-9]$/.test(code)) return code.charCodeAt(5);
      return 0;
    },

    onKeyDown: function(event) {
      var symbol = VxPage.symbolOf(event);
      if (symbol === 0) return;
      if (VxPage.captured[symbol]) event.preventDefault();
      // Browsers let a page start its sound only from a key press or click.
      VxPage.resumeAudio();
      if (event.repeat || VxPage.held[symbol]) return;
      VxPage.held[symbol] = true;
      VxPage.keys.push(symbol | 0x10000);
    },

    onKeyUp: function(event) {
      var symbol = VxPage.symbolOf(event);
      if (symbol === 0) return;
      if (VxPage.captured[symbol]) event.preventDefault();
      if (!VxPage.held[symbol]) return;
      delete VxPage.held[symbol];
      VxPage.keys.push(symbol | 0x20000);
    },

    // A window that loses the focus never hears the keys let go meanwhile.
    onBlur: function() {
      for (var symbol in VxPage.held) VxPage.keys.push((symbol | 0) | 0x20000);
      VxPage.held = {};
    },

    // The Gamepad API's indices of the pads SDL numbers 0, 1, ...
    pads: [],

    pad: function(index) {
      var all = navigator.getGamepads ? navigator.getGamepads() : [];
      var pad = all[VxPage.pads[index]];
      return pad && pad.connected ? pad : null;
    },

    resumeAudio: function() {
      if (VxPage.audio && VxPage.audio.state === 'suspended') {
        VxPage.audio.resume().then(VxPage.startMusic, function() {});
      }
    },

    startMusic: function() {
      var wanted = VxPage.musicWanted;
      if (!wanted || VxPage.music || !VxPage.audio || VxPage.audio.state !== 'running') return;
      var buffer = VxPage.tracks[wanted.id];
      if (!(buffer instanceof AudioBuffer)) return;
      var source = VxPage.audio.createBufferSource();
      source.buffer = buffer;
      source.loop = wanted.loops < 0;
      source.connect(VxPage.musicGain);
      source.start();
      VxPage.music = source;
    }
  },

  vxpage_has_page: function() {
    return (typeof document !== 'undefined' && Module['canvas']) ? 1 : 0;
  },

  vxpage_open_video: function(width, height) {
    var canvas = Module['canvas'];
    canvas.width = width;
    canvas.height = height;
    VxPage.context2d = canvas.getContext('2d', { alpha: false });
    VxPage.image = VxPage.context2d.createImageData(width, height);
    if (!VxPage.listening) {
      window.addEventListener('keydown', VxPage.onKeyDown, true);
      window.addEventListener('keyup', VxPage.onKeyUp, true);
      window.addEventListener('blur', VxPage.onBlur);
      VxPage.listening = true;
    }
  },

  vxpage_close_video: function() {
    if (VxPage.listening) {
      window.removeEventListener('keydown', VxPage.onKeyDown, true);
      window.removeEventListener('keyup', VxPage.onKeyUp, true);
      window.removeEventListener('blur', VxPage.onBlur);
      VxPage.listening = false;
    }
    VxPage.keys = [];
    VxPage.held = {};
  },

  vxpage_show: function(rgba, width, height) {
    var image = VxPage.image;
    if (!image || image.width !== width || image.height !== height) {
      image = VxPage.image = VxPage.context2d.createImageData(width, height);
    }
    image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    VxPage.context2d.putImageData(image, 0, 0);
    if (Module['onFrame']) Module['onFrame'](image);
  },

  vxpage_set_title: function(title) {
    document.title = UTF8ToString(title).trim();
  },

  vxpage_next_key: function() {
    return VxPage.keys.length ? VxPage.keys.shift() : 0;
  },

  vxpage_pad_count: function() {
    var all = navigator.getGamepads ? navigator.getGamepads() : [];
    VxPage.pads = [];
    for (var i = 0; i < all.length; ++i) {
      if (all[i] && all[i].connected) VxPage.pads.push(all[i].index);
    }
    return VxPage.pads.length;
  },

  vxpage_pad_name: function(index, name, size) {
    var pad = VxPage.pad(index);
    stringToUTF8(pad ? pad.id : '', name, size);
  },

  vxpage_pad_axes: function(index) {
    var pad = VxPage.pad(index);
    return pad ? pad.axes.length : 0;
  },

  vxpage_pad_buttons: function(index) {
    var pad = VxPage.pad(index);
    return pad ? pad.buttons.length : 0;
  },

  vxpage_pad_read: function(index, axes, axisCount, buttons, buttonCount) {
    var pad = VxPage.pad(index);
    if (!pad) return 0;
    for (var a = 0; a < axisCount; ++a) {
      var value = a < pad.axes.length ? pad.axes[a] : 0;
      HEAP16[(axes >> 1) + a] = Math.max(-32767, Math.min(32767, Math.round(value * 32767)));
    }
    for (var b = 0; b < buttonCount; ++b) {
      HEAPU8[buttons + b] = b < pad.buttons.length && pad.buttons[b].pressed ? 1 : 0;
    }
    return 1;
  },

  vxpage_open_audio: function() {
    var Context = typeof AudioContext !== 'undefined' ? AudioContext :
                  (typeof webkitAudioContext !== 'undefined' ? webkitAudioContext : null);
    if (!Context) return 0;
    try {
      VxPage.audio = new Context();
    } catch (e) {
      return 0;
    }
    VxPage.musicGain = VxPage.audio.createGain();
    VxPage.musicGain.connect(VxPage.audio.destination);
    Module['audioContext'] = VxPage.audio;
    // What the page plays, for tests: the music and the effects heard.
    Module['audioReport'] = function() {
      var playing = 0;
      for (var channel in VxPage.playing) playing += 1;
      return {
        state: VxPage.audio ? VxPage.audio.state : 'closed',
        music: !!VxPage.music,
        musicLoops: !!(VxPage.music && VxPage.music.loop),
        musicGain: VxPage.musicGain ? VxPage.musicGain.gain.value : 0,
        effectsHeard: VxPage.effectsHeard,
        channelsUsed: playing
      };
    };
    return 1;
  },

  vxpage_close_audio: function() {
    if (VxPage.audio) VxPage.audio.close();
    VxPage.audio = null;
    VxPage.music = null;
    VxPage.musicWanted = null;
    VxPage.sounds = {};
    VxPage.playing = {};
  },

  vxpage_sound_define: function(id, samples, frames, channels, rate) {
    var buffer = VxPage.audio.createBuffer(channels, frames, rate);
    var data = HEAPF32.subarray(samples >> 2, (samples >> 2) + frames * channels);
    for (var c = 0; c < channels; ++c) {
      var out = buffer.getChannelData(c);
      for (var i = 0; i < frames; ++i) out[i] = data[i * channels + c];
    }
    VxPage.sounds[id] = buffer;
  },

  vxpage_sound_forget: function(id) {
    delete VxPage.sounds[id];
  },

  vxpage_sound_play: function(channel, id, gain, loops) {
    var audio = VxPage.audio;
    var buffer = VxPage.sounds[id];
    if (!audio || !buffer) return;
    var previous = VxPage.playing[channel];
    if (previous) {
      try { previous.stop(); } catch (e) {}
    }
    // On a context still waiting for the first key (which the game hears
    // too) the sound starts as the context does, a moment late.
    var source = audio.createBufferSource();
    source.buffer = buffer;
    var level = audio.createGain();
    level.gain.value = gain;
    source.connect(level);
    level.connect(audio.destination);
    VxPage.effectsHeard += 1;
    source.onended = function() {
      if (VxPage.playing[channel] === source) delete VxPage.playing[channel];
    };
    if (loops < 0) {
      source.loop = true;
      source.start();
    } else {
      source.start(0, 0, buffer.duration * (loops + 1));
      source.loop = loops > 0;
    }
    VxPage.playing[channel] = source;
  },

  vxpage_sound_stop: function(channel) {
    var source = VxPage.playing[channel];
    if (source) {
      try { source.stop(); } catch (e) {}
      delete VxPage.playing[channel];
    }
  },

  vxpage_music_define: function(id, bytes, length) {
    var copy = HEAPU8.slice(bytes, bytes + length).buffer;
    VxPage.tracks[id] = 'decoding';
    VxPage.audio.decodeAudioData(copy, function(buffer) {
      if (!(id in VxPage.tracks)) return;
      VxPage.tracks[id] = buffer;
      VxPage.startMusic();
    }, function() {
      console.warn('The music could not be decoded; the game plays on without it.');
      delete VxPage.tracks[id];
    });
  },

  vxpage_music_forget: function(id) {
    delete VxPage.tracks[id];
  },

  vxpage_music_play: function(id, loops, gain) {
    if (VxPage.music) {
      try { VxPage.music.stop(); } catch (e) {}
      VxPage.music = null;
    }
    VxPage.musicGain.gain.value = gain;
    VxPage.musicWanted = { id: id, loops: loops };
    VxPage.startMusic();
  },

  vxpage_music_stop: function() {
    if (VxPage.music) {
      try { VxPage.music.stop(); } catch (e) {}
    }
    VxPage.music = null;
    VxPage.musicWanted = null;
  },

  vxpage_music_gain: function(gain) {
    if (VxPage.musicGain) VxPage.musicGain.gain.value = gain;
  }
};

// Every call below works on the one VxPage object.
for (var name in VxPageLibrary) {
  if (name.charAt(0) !== '$' && name.indexOf('__') < 0) VxPageLibrary[name + '__deps'] = ['$VxPage'];
}
mergeInto(LibraryManager.library, VxPageLibrary);
