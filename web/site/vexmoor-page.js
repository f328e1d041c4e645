// The page around the game (index.html then loads the data package and the
// game): shows the download's progress, says when the game has ended or could not start, and
// offers full screen. The game itself listens to the keyboard.
(function () {
  'use strict';

  var canvas = document.getElementById('screen');
  var loading = document.getElementById('loading');
  var loadingText = document.getElementById('loading-text');
  var progress = document.getElementById('progress');
  var ended = document.getElementById('ended');
  var failed = document.getElementById('failed');
  var fullscreen = document.getElementById('fullscreen');

  // What tests and the benchmark read: the time of every frame shown.
  var page = window.vexmoor = { frames: [], state: 'loading', status: null, reason: '' };

  function show(panel) {
    [loading, ended, failed].forEach(function (p) { p.hidden = p !== panel; });
  }

  function fail(reason) {
    if (page.state === 'failed' || page.state === 'ended') return;
    page.state = 'failed';
    page.reason = reason;
    document.getElementById('failed-reason').textContent = reason;
    show(failed);
    document.getElementById('retry').focus();
  }

  // A failure to start in the player's words, with the browser's own below.
  function explain(detail) {
    var text = String(detail || 'an unknown error');
    if (/vexmoor\.data/.test(text)) {
      return 'The game\'s data (vexmoor.data) could not be downloaded. Check the connection and try again. ' +
             '(' + text + ')';
    }
    if (/wasm/i.test(text)) {
      return 'The game itself (vexmoor.wasm) could not be downloaded or started. Check the connection and ' +
             'try again. (' + text + ')';
    }
    return 'The game could not be loaded. Check the connection and try again. (' + text + ')';
  }

  function end(status) {
    if (page.state === 'failed' || page.state === 'ended') return;
    page.state = 'ended';
    page.status = status;
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    show(ended);
    document.getElementById('again').focus();
  }

  document.getElementById('again').addEventListener('click', function () { location.reload(); });
  document.getElementById('retry').addEventListener('click', function () { location.reload(); });

  fullscreen.addEventListener('click', function () {
    var stage = document.getElementById('stage');
    var request = stage.requestFullscreen || stage.webkitRequestFullscreen;
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (request) {
      var asked = request.call(stage);
      if (asked && asked.catch) asked.catch(function () {});
    }
    // Space must go to the game, not press this button again.
    fullscreen.blur();
  });

  // Before the game runs, any error is a failure to start (a script that
  // cannot be fetched included); afterwards one that ends the program is
  // reported by onAbort.
  window.addEventListener('error', function (event) {
    if (page.state !== 'loading') return;
    var script = event.target && event.target.src;
    fail(explain(script ? script.split('/').pop() + ' is missing' : event.message));
  }, true);

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail('This browser cannot run WebAssembly, which the game needs. ' +
         'A current Chromium, Chrome, Edge or Firefox can.');
    return;
  }

  window.Module = {
    canvas: canvas,
    onFrame: function (image) {
      page.frames.push(performance.now());
      if (page.frames.length > 100000) page.frames.splice(0, 50000);
      if (page.state === 'loading') {
        page.state = 'running';
        show(null);
      }
      if (window.vexmoorFrameProbe) window.vexmoorFrameProbe(image);
    },
    // The data package reports "Downloading data... (done/total)".
    setStatus: function (text) {
      var counts = /\((\d+)\/(\d+)\)/.exec(text || '');
      if (counts) {
        progress.max = Number(counts[2]);
        progress.value = Number(counts[1]);
        loadingText.textContent = 'Downloading the game data: ' +
          (Number(counts[1]) / 1048576).toFixed(1) + ' of ' + (Number(counts[2]) / 1048576).toFixed(1) + ' MB';
      } else if (text) {
        loadingText.textContent = 'Starting…';
      }
    },
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
    onAbort: function (what) {
      fail(page.state === 'loading' ? explain(what) : 'The game stopped unexpectedly (' + what + ').');
    },
    onExit: function (status) {
      if (status === 0) {
        end(status);
      } else {
        fail('The game ended with a failure (status ' + status + '); the browser console has the details.');
      }
    }
  };

})();
