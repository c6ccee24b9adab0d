// Opens the pages consumers meet before and after an order in one headless
// Chromium, on a phone (390 x 844, touch) or a desktop (1280 x 800):
//  - "order": an order page; reads the order button and the price
//    information beside the totals (text, link, whether it lies on the screen
//    and is read out) and runs axe-core;
//  - "withdrawal": a withdrawal page; sends it empty (refused with a message
//    in an alert region), fills it by tapping, goes to the second step, reads
//    what it states, confirms, and reads the answer; axe-core on every step,
//    and whether anything reaches beyond the screen's width.
// Requests to other hosts than 127.0.0.1 are refused.
//
// node consumer_checks.js JOB.json
// JOB.json: { "screenshots": folder or "", "pages": [ { "name", "kind": "order" | "withdrawal",
//             "url", "phone": true|false, "values": { field: text } } ] }
// Prints one object per page (see the functions below), or { error, step }.
'use strict';
const fs = require('fs');
const path = require('path');
const axeSource = require('axe-core').source;
const { launchBrowser } = require('./chromium');

async function axeViolations(page) {
  await page.addScriptTag({ content: axeSource });
  return page.evaluate(async () => {
    const result = await window.axe.run(document, {
      runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] },
    });
    return result.violations.map((v) => `${v.id}: ${v.help} (${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')})`);
  });
}

// Whether the page reaches beyond the screen's width (sideways scrolling).
function overflows(page) {
  return page.evaluate(() => document.scrollingElement.scrollWidth > window.innerWidth + 1);
}

// Whether the element lies wholly within the screen's width and is shown.
function onScreen(page, selector) {
  return page.evaluate((s) => {
    const e = document.querySelector(s);
    if (!e)
      return false;
    const r = e.getBoundingClientRect();
    return r.width > 0 && r.height > 0 && r.left >= 0 && r.right <= window.innerWidth + 1;
  }, selector);
}

async function shot(page, job, folder, step) {
  if (folder)
    await page.screenshot({ path: path.join(folder, `${job.name}_${job.phone ? 'phone' : 'desktop'}_${step}.png`), fullPage: true });
}

async function tap(page, job, locator) {
  if (job.phone)
    await locator.tap();
  else
    await locator.click();
}

// Presses a button by its name; one that sends the form waits for the answer.
async function press(page, job, name) {
  const button = page.getByRole('button', { name, exact: true });
  if (await button.getAttribute('type') === 'submit')
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), tap(page, job, button)]);
  else
    await tap(page, job, button);
}

async function orderPage(page, job, folder, result) {
  result.button = await page.evaluate(() => {
    const b = document.querySelector('form[name="VQFORM"] input[type=submit]');
    return b ? b.value : null;
  });
  result.buttonByRole = await page.getByRole('button', { name: result.button || '-', exact: true }).count();
  result.priceInfo = await page.evaluate(() => {
    const p = document.getElementById('vqpreishinweis');
    return p ? p.textContent.replace(/\s+/g, ' ').trim() : null;
  });
  result.priceLink = await page.evaluate(() => {
    const a = document.querySelector('#vqpreishinweis a');
    return a ? a.getAttribute('href') : null;
  });
  result.priceInfoOnScreen = await onScreen(page, '#vqpreishinweis');
  // A screen reader reads the paragraph as text of the page (not hidden from it).
  result.priceInfoRead = await page.evaluate(() => {
    for (let e = document.getElementById('vqpreishinweis'); e; e = e.parentElement)
      if (e.getAttribute('aria-hidden') === 'true' || getComputedStyle(e).display === 'none' || getComputedStyle(e).visibility === 'hidden')
        return false;
    return !!document.getElementById('vqpreishinweis');
  });
  result.overflows = await overflows(page);
  result.axe = await axeViolations(page);
  await shot(page, job, folder, 'bestellung');
}

async function withdrawalPage(page, job, folder, result) {
  result.axe = {};
  result.axe.first = await axeViolations(page);
  result.overflows = await overflows(page);
  await shot(page, job, folder, 'schritt1');

  // Empty: refused with a message read out at once.
  await press(page, job, 'Weiter');
  result.emptyAlert = await page.evaluate(() => {
    const a = document.querySelector('[role=alert]');
    return a ? a.textContent.trim() : '';
  });
  result.emptyStep2 = await page.getByRole('button', { name: 'Widerruf bestätigen', exact: true }).count();

  for (const [label, text] of Object.entries(job.values || {})) {
    const field = page.getByLabel(label, { exact: true });
    await tap(page, job, field);
    await field.fill(text);
  }
  await press(page, job, 'Weiter');
  const confirm = page.getByRole('button', { name: 'Widerruf bestätigen', exact: true });
  await confirm.waitFor({ state: 'visible' });
  result.second = await page.evaluate(() => {
    const h = document.getElementById('vqschritt2titel');
    const t = document.getElementById('vqangaben');
    return { heading: h ? h.textContent.trim() : '', focused: document.activeElement === h,
             stated: t ? t.innerText.replace(/\s+/g, ' ').trim() : '' };
  });
  result.confirmOnScreen = await onScreen(page, '#vqbestaetigen');
  result.axe.second = await axeViolations(page);
  result.overflowsSecond = await overflows(page);
  await shot(page, job, folder, 'schritt2');

  await press(page, job, 'Widerruf bestätigen');
  result.answer = await page.evaluate(() => document.body.innerText.replace(/\s+/g, ' ').trim());
  result.axe.answer = await axeViolations(page);
  await shot(page, job, folder, 'eingang');
}

async function runPage(browser, job, folder) {
  const result = { name: job.name };
  let step = 'open';
  const context = await browser.newContext(job.phone
    ? { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 }
    : { viewport: { width: 1280, height: 800 } });
  try {
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e.message || e)));
    await page.route(/^(https?|wss?):/, (route) =>
      (new URL(route.request().url()).hostname === '127.0.0.1' ? route.continue() : route.abort()));
    await page.goto(job.url, { waitUntil: 'load' });
    step = job.kind;
    if (job.kind === 'order')
      await orderPage(page, job, folder, result);
    else
      await withdrawalPage(page, job, folder, result);
    result.errors = errors;
  } catch (error) {
    result.error = String(error && error.message ? error.message : error);
    result.step = step;
  } finally {
    await context.close();
  }
  return result;
}

async function main() {
  const job = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
  const browser = await launchBrowser();
  try {
    const results = [];
    for (const page of job.pages)
      results.push(await runPage(browser, page, job.screenshots || ''));
    process.stdout.write(JSON.stringify(results) + '\n');
  } finally {
    await browser.close();
  }
}

main().catch((error) => { console.error(error); process.exit(1); });
