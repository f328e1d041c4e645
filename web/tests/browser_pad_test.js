// A gamepad in the browser build, through the page's Gamepad API:
//
//   node browser_pad_test.js SITE_DIR REFERENCE_DIR
//
// The page gets a standard-layout pad (as Chromium reports an Xbox pad) in
// place of navigator.getGamepads, and the test presses its buttons: A on
// the title starts a game, a short press of the D-pad's right walks level
// 1's first cell, as the desktop's replay walks it with the arrow key
// (REFERENCE_DIR/play.png: level 1 at rest; step.png: one cell to the
// right). Prints one line per check and exits 1 if any failed.
'use strict';

const path = require('path');
const { openPage, check, runChecks, pause, loadReference, waitForSteadyPicture } = require('./browser');

const [site, references] = process.argv.slice(2).map((p) => path.resolve(p));
// The browser's standard mapping: A is button 0, the D-pad's right 15.
const ButtonA = 0;
const DpadRight = 15;

// Before any script of the page: one connected pad of 4 axes and 17
// buttons, whose buttons the test sets through window.testPad.
function installPad() {
  const pad = {
    id: 'Xbox 360 Controller (XInput STANDARD GAMEPAD)',
    index: 0,
    connected: true,
    mapping: 'standard',
    timestamp: 0,
    axes: [0, 0, 0, 0],
    buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  window.testPad = {
    set(button, down) {
      pad.buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
      pad.timestamp += 1;
    },
  };
  Object.defineProperty(navigator, 'getGamepads', { value: () => [pad, null, null, null], configurable: true });
}

// Holds a pad button for `ms` (several frames, less than a step's twelve).
async function press(page, button, ms) {
  await page.evaluate((button) => window.testPad.set(button, true), button);
  await pause(ms);
  await page.evaluate((button) => window.testPad.set(button, false), button);
}

runChecks(site, async (browser, url) => {
  const errors = [];
  const page = await openPage(browser, errors);
  await page.evaluateOnNewDocument(installPad);
  await page.goto(url);
  for (const name of ['title', 'play', 'step']) await loadReference(page, references, name);
  const titleOff = await waitForSteadyPicture(page, 'title', 300, 20);
  check(titleOff === 0, 'the title shows with a pad attached', `${titleOff} pixels off`);

  await press(page, ButtonA, 150);
  const playOff = await waitForSteadyPicture(page, 'play', 800, 12);
  check(playOff === 0, 'button A starts a game: the countdown leads to level 1 at rest', `${playOff} pixels off`);

  await press(page, DpadRight, 150);
  const stepOff = await waitForSteadyPicture(page, 'step', 500, 5);
  check(stepOff === 0, "the D-pad's right walks level 1's first cell as the arrow key does",
    `${stepOff} pixels off the desktop's picture of that step`);
  check(errors.length === 0, 'the page logs no errors', errors.join('; '));
});
