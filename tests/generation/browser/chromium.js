// How the browser tests start Debian's headless Chromium: no sandbox (tests
// run as root), and none of Chromium's own network traffic.
'use strict';
const { chromium } = require('playwright-core');

const executablePath = process.env.VQ_CHROMIUM || '/usr/bin/chromium';
const args = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-default-apps',
              '--disable-background-networking', '--disable-component-update', '--disable-sync'];

function launchBrowser() {
  return chromium.launch({ executablePath, headless: true, args });
}

module.exports = { chromium, executablePath, args, launchBrowser };
