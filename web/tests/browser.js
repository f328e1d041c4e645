// Shared by the browser tests and the benchmark: a static server for the
// site on 127.0.0.1 and Chromium driven by puppeteer-core.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const Chromium = process.env.VEXMOOR_CHROMIUM || '/usr/bin/chromium';

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.bmp': 'image/bmp',
};

// Serves `site` on 127.0.0.1 (a free port); files named in `hidden` answer
// 404 as if missing. Resolves to { url, close() }.
function serve(site, hidden = []) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(site, name);
    if (hidden.includes(name) || !file.startsWith(site) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
      return;
    }
    response.writeHead(200, {
      'Content-Type': Types[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

// Headless Chromium with a fresh profile and nothing of its own on the
// network. Resolves to { browser, close() }.
async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vexmoor-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: Chromium,
    headless: 'new',
    userDataDir: profile,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-default-apps', '--mute-audio',
      '--window-size=1024,768',
      // What browsers do for a page the player has not used yet: no sound
      // before a key press or a click.
      '--autoplay-policy=document-user-activation-required',
    ],
  });
  return {
    browser,
    close: async () => {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page at 1024 x 768 that records console errors and uncaught errors.
async function openPage(browser, errors) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(`console: ${message.text()}`);
  });
  page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
  return page;
}

function pause(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

function dataUrl(file) {
  return `data:image/png;base64,${fs.readFileSync(file).toString('base64')}`;
}

// Puts the reference picture `directory`/`name`.png into the page once, as
// RGBA pixels, for pixelsOff to compare the canvas with.
async function loadReference(page, directory, name) {
  await page.evaluate(async (name, url) => {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    window.references = window.references || {};
    window.references[name] = context.getImageData(0, 0, image.width, image.height).data;
  }, name, dataUrl(path.join(directory, `${name}.png`)));
}

// How many of the game canvas's pixels differ from a reference.
function pixelsOff(page, name) {
  return page.evaluate((name) => {
    const canvas = document.getElementById('screen');
    const now = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const reference = window.references[name];
    if (!reference || reference.length !== now.length) return -1;
    let off = 0;
    for (let i = 0; i < now.length; i += 4) {
      if (now[i] !== reference[i] || now[i + 1] !== reference[i + 1] || now[i + 2] !== reference[i + 2]) off += 1;
    }
    return off;
  }, name);
}

// Polls until the canvas equals the reference; resolves to the fewest
// pixels off seen (0 when it matched).
async function waitForPicture(page, name, seconds) {
  const until = Date.now() + seconds * 1000;
  let fewest = Infinity;
  while (Date.now() < until) {
    const off = await pixelsOff(page, name);
    if (off >= 0) fewest = Math.min(fewest, off);
    if (off === 0) return 0;
    await pause(50);
  }
  return fewest;
}

// Polls until the canvas has equalled the reference for `steadyMs` on end;
// resolves to 0 then, or to the pixels off at the last look.
async function waitForSteadyPicture(page, name, steadyMs, seconds) {
  const until = Date.now() + seconds * 1000;
  let since = null;
  let off = -1;
  while (Date.now() < until) {
    off = await pixelsOff(page, name);
    if (off !== 0) {
      since = null;
    } else if (since === null) {
      since = Date.now();
    } else if (Date.now() - since >= steadyMs) {
      return 0;
    }
    await pause(50);
  }
  return off;
}

let failures = 0;

// Prints one check's verdict; runChecks exits 1 if any failed.
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}${detail ? ` (${detail})` : ''}`);
  if (!ok) failures += 1;
}

// Serves `site`, starts Chromium, runs `body(browser, url)` and ends the
// process: status 1 if a check failed or the body threw, 0 otherwise.
function runChecks(site, body) {
  (async () => {
    const chromium = await launch();
    const server = await serve(site);
    try {
      await body(chromium.browser, server.url);
    } finally {
      await server.close();
      await chromium.close();
    }
    process.exit(failures ? 1 : 0);
  })().catch((error) => {
    console.log(`FAILED: ${error.stack || error}`);
    process.exit(1);
  });
}

module.exports = { serve, launch, openPage, check, runChecks, pause, loadReference, pixelsOff, waitForPicture, waitForSteadyPicture, Chromium };
