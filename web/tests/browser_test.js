// The browser build in headless Chromium, as a player meets it:
//
//   node browser_test.js SITE_DIR REFERENCE_DIR
//
// REFERENCE_DIR holds the desktop replay's pictures of the same moments
// (title.png: the title; countdown.png: the "3" of the countdown after
// Space; play.png: level 1 at rest after the countdown). Prints one line per
// check and exits 1 if any failed.
'use strict';

const fs = require('fs');
const path = require('path');
const { serve, openPage, check, runChecks, pause, loadReference, pixelsOff, waitForPicture, waitForSteadyPicture } =
  require('./browser');

const [site, references] = process.argv.slice(2).map((p) => path.resolve(p));
async function playthrough(browser, url) {
  const errors = [];
  const page = await openPage(browser, errors);
  await page.goto(url);
  for (const name of ['title', 'countdown', 'play']) await loadReference(page, references, name);

  const titleOff = await waitForPicture(page, 'title', 20);
  check(titleOff === 0, 'the title canvas equals the desktop title picture', `${titleOff} pixels off`);
  const bar = await page.evaluate(() => {
    const progress = document.getElementById('progress');
    return { max: progress.max, value: progress.value, hidden: document.getElementById('loading').hidden };
  });
  const dataSize = fs.statSync(path.join(site, 'vexmoor.data')).size;
  check(bar.max === dataSize && bar.value === dataSize && bar.hidden,
    'the progress bar followed the data package to its end and gave way to the game',
    `${bar.value} of ${bar.max} bytes, the package ${dataSize}`);
  const scrolled = await page.evaluate(() => window.scrollY);

  await page.keyboard.down('Space');
  await pause(100);
  await page.keyboard.up('Space');
  const audioAfter = await page.evaluate(async () => {
    const audio = window.Module.audioContext;
    for (let i = 0; i < 50 && audio && audio.state !== 'running'; ++i) await new Promise((r) => setTimeout(r, 20));
    return audio && audio.state;
  });
  // (Whether it ran before cannot be told here: a page opened through the
  // DevTools protocol counts as one the player has already used.)
  check(audioAfter === 'running', 'the audio context runs after the first key', audioAfter);

  // The level's start plays "enter"; the music loops at half volume.
  const sound = await page.evaluate(async () => {
    for (let i = 0; i < 250 && !window.Module.audioReport().music; ++i) await new Promise((r) => setTimeout(r, 20));
    return window.Module.audioReport();
  });
  check(sound.music && sound.musicLoops && sound.musicGain === 0.5 && sound.effectsHeard >= 1,
    'the music loops at half volume and the effects sound', JSON.stringify(sound));
  const countdownOff = await waitForPicture(page, 'countdown', 3);
  check(countdownOff === 0, 'Space leads to the countdown ("3" as on the desktop)', `${countdownOff} pixels off`);
  // The countdown's gaps (11 frames each) show the bare play screen too;
  // once play has begun it stays as it is while no key is held.
  const playOff = await waitForSteadyPicture(page, 'play', 800, 12);
  check(playOff === 0, 'the countdown leads to play (level 1 at rest as on the desktop)',
    `${playOff} pixels off`);

  await page.keyboard.down('ArrowRight');
  await pause(1000);
  const moved = await pixelsOff(page, 'play');
  const steps = (await page.evaluate(() => window.Module.audioReport().effectsHeard)) - sound.effectsHeard;
  await page.keyboard.up('ArrowRight');
  check(moved > 100000, 'holding Right moves the maze', `${moved} pixels changed in 1 s`);
  check(steps >= 2, 'each step sounds', `${steps} effects in 1 s of walking`);
  check(scrolled === 0 && (await page.evaluate(() => window.scrollY)) === 0, 'the keys do not scroll the page');

  // Held for a few frames: the game reads the keys held at each frame.
  await page.keyboard.down('Escape');
  await pause(150);
  await page.keyboard.up('Escape');
  const ended = await page.waitForFunction(() => window.vexmoor.state === 'ended' &&
    !document.getElementById('ended').hidden, { timeout: 5000 }).then(() => true, () => false);
  const endText = await page.evaluate(() => document.getElementById('ended').innerText);
  check(ended && /ended/.test(endText) && /Play again/.test(endText), 'Escape ends the game and the page offers "Play again"');

  check(errors.length === 0, 'the page logs no errors', errors.join('; '));
  await page.close();
}

// A site missing one of its files, or a browser without WebAssembly, shows a
// message in place of the game.
async function cannotStart(browser, site, file) {
  const server = await serve(site, file ? [file] : []);
  const errors = [];
  const page = await openPage(browser, errors);
  if (!file) await page.evaluateOnNewDocument(() => { delete window.WebAssembly; });
  await page.goto(server.url);
  const shown = await page.waitForFunction(() => !document.getElementById('failed').hidden, { timeout: 15000 })
    .then(() => true, () => false);
  const text = await page.evaluate(() => document.getElementById('failed').innerText);
  const visible = await page.evaluate(() => {
    const box = document.getElementById('failed').getBoundingClientRect();
    return box.width > 300 && box.height > 200;
  });
  check(shown && visible && /cannot start/.test(text),
    `without ${file || 'WebAssembly'} the page says the game cannot start`,
    text.replace(/\s+/g, ' ').trim());
  await page.close();
  await server.close();
}

runChecks(site, async (browser, url) => {
  await playthrough(browser, url);
  await cannotStart(browser, site, 'vexmoor.data');
  await cannotStart(browser, site, 'vexmoor.wasm');
  await cannotStart(browser, site, 'vexmoor.js');
  await cannotStart(browser, site, null);
});
