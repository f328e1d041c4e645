// The README's picture of the page: the browser build in headless
// Chromium at 1024 x 768, a few steps into level 1.
//
//   node page_screenshot.js SITE_DIR OUT_PNG
'use strict';

const path = require('path');
const { serve, launch, openPage } = require('./browser');

const [site, out] = process.argv.slice(2).map((p) => path.resolve(p));
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

(async () => {
  const chromium = await launch();
  const server = await serve(site);
  const page = await openPage(chromium.browser, []);
  await page.goto(server.url);
  await page.waitForFunction(() => window.vexmoor.frames.length > 90, { timeout: 30000 });
  await page.keyboard.down('Space');
  await pause(100);
  await page.keyboard.up('Space');
  await pause(4800);
  // Along the start of level 1's route: right twice, then down.
  for (const [key, ms] of [['ArrowRight', 700], ['ArrowDown', 1150]]) {
    await page.keyboard.down(key);
    await pause(ms);
    await page.keyboard.up(key);
  }
  await pause(600);
  await page.screenshot({ path: out });
  await server.close();
  await chromium.close();
})().catch((error) => {
  console.error(error.stack || error);
  process.exit(1);
});
