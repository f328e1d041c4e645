// The browser build's line of `make bench`, measured in headless Chromium
// with the site served from 127.0.0.1:
//
//   node web_bench.js SITE_DIR TITLE_PNG
//
// TITLE_PNG is the desktop replay's picture of the title, by which the
// first title frame is recognised. 30 s at the title, then Space, the
// countdown, and 30 s of play walking the maze. Prints
//   web: first title frame G ms; frame interval mean A ms p99 B ms;
//        main thread busy C%; download D MB
// (one line): G from the start of navigation to the title's first frame on
// the canvas; A and B over the frames of both 30 s spans; C the share of
// those 60 s the page's main thread spent in tasks; D the site's files as
// gzip (level 6) would send them, in MB of 10^6 bytes.
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { serve, launch, openPage } = require('./browser');

const [site, titlePng] = process.argv.slice(2).map((p) => path.resolve(p));
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const Span = 30000;

function downloadBytes() {
  let total = 0;
  for (const name of fs.readdirSync(site)) {
    total += zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 6 }).length;
  }
  return total;
}

async function taskSeconds(page) {
  return (await page.metrics()).TaskDuration;
}

async function hold(page, key, ms) {
  await page.keyboard.down(key);
  await pause(ms);
  await page.keyboard.up(key);
}

(async () => {
  const chromium = await launch();
  const server = await serve(site);
  const errors = [];
  const page = await openPage(chromium.browser, errors);
  // Each frame's picture is checked against a sample of the title's pixels
  // (every 401st), cheap enough not to weigh on the figures.
  const title = `data:image/png;base64,${fs.readFileSync(titlePng).toString('base64')}`;
  await page.evaluateOnNewDocument((title) => {
    const sample = [];
    const image = new Image();
    image.onload = () => {
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const data = context.getImageData(0, 0, image.width, image.height).data;
      for (let i = 0; i < data.length; i += 4 * 401) sample.push([i, data[i], data[i + 1], data[i + 2]]);
    };
    image.src = title;
    window.vexmoorFrameProbe = (frame) => {
      if (window.titleShownAt !== undefined || sample.length === 0) return;
      const data = frame.data;
      for (const [i, r, g, b] of sample) {
        if (data[i] !== r || data[i + 1] !== g || data[i + 2] !== b) return;
      }
      window.titleShownAt = performance.now();
    };
  }, title);

  await page.goto(server.url);
  await page.waitForFunction(() => window.titleShownAt !== undefined, { timeout: 60000, polling: 100 });
  const firstTitle = await page.evaluate(() => window.titleShownAt);

  const spans = [];
  const measure = async (during) => {
    const start = await page.evaluate(() => performance.now());
    const busyBefore = await taskSeconds(page);
    const began = Date.now();
    await during();
    const remaining = Span - (Date.now() - began);
    if (remaining > 0) await pause(remaining);
    const end = await page.evaluate(() => performance.now());
    const busy = (await taskSeconds(page)) - busyBefore;
    const frames = await page.evaluate((start, end) => window.vexmoor.frames.filter((t) => t >= start && t <= end),
      start, end);
    spans.push({ frames, busy, length: (end - start) / 1000 });
  };

  await measure(async () => {});
  await hold(page, 'Space', 100);
  // The countdown (128 frames after the first) before play.
  await pause(4600);
  await measure(async () => {
    const walk = ['ArrowRight', 'ArrowDown', 'ArrowRight', 'ArrowUp', 'ArrowLeft', 'ArrowDown'];
    for (let i = 0; i < 14; ++i) await hold(page, walk[i % walk.length], 1500 + (i % 3) * 300);
  });

  const intervals = [];
  for (const span of spans) {
    for (let i = 1; i < span.frames.length; ++i) intervals.push(span.frames[i] - span.frames[i - 1]);
  }
  intervals.sort((a, b) => a - b);
  const mean = intervals.reduce((a, b) => a + b, 0) / intervals.length;
  const p99 = intervals[Math.min(intervals.length - 1, Math.ceil(intervals.length * 0.99) - 1)];
  const busy = spans.reduce((a, s) => a + s.busy, 0) / spans.reduce((a, s) => a + s.length, 0);
  const state = await page.evaluate(() => window.vexmoor.state);
  await server.close();
  await chromium.close();
  if (state !== 'running' || errors.length) {
    console.log(`web: the game did not run through (page ${state}${errors.length ? `; ${errors.join('; ')}` : ''})`);
    process.exit(1);
  }
  console.log(`web: first title frame ${firstTitle.toFixed(0)} ms; frame interval mean ${mean.toFixed(2)} ms ` +
    `p99 ${p99.toFixed(1)} ms; main thread busy ${(busy * 100).toFixed(1)}%; ` +
    `download ${(downloadBytes() / 1e6).toFixed(2)} MB`);
})().catch((error) => {
  console.log(`web: the benchmark failed: ${error.stack || error}`);
  process.exit(1);
});
