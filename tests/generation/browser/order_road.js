// Walks order pages served on 127.0.0.1 in one headless Chromium as a customer
// would: sends each page empty first (its checks must refuse), then types the
// fields, ticks the boxes, picks the options, reads what the page shows and
// sends it for real. Requests to any other host are refused.
// Usage: node order_road.js JOB.json
// JOB.json: { "pages": [ {
//   "url",
//   "type": { field name: text typed into it },
//   "check": [ names of check boxes to tick ],
//   "select": { field name: index of the entry to pick },
//   "captchaStore": { "dir", "formId" }: the form mailer's storage folder with its captcha
//                   key (cookie vq_captcha), or
//   "captchaSession": dir of the PHP sessions (cookie PHPSESSID, $_SESSION["captcha"]),
//   "read": { key: JS expression over f = document.VQFORM, read after filling },
//   "until": part of the address that ends the page's run } ] }
// Prints one result per page: { emptyUrl, emptyAlerts, emptyText, read, url, title, alerts }
// or { error, step } for a page whose run broke.
'use strict';
const fs = require('fs');
const path = require('path');
const { launchBrowser } = require('./chromium');
const { formMailerCaptchaCode } = require('./captcha_code');

async function captchaCode(page, job) {
  const cookies = await page.context().cookies();
  if (job.captchaStore) {
    const cookie = cookies.find((c) => c.name === 'vq_captcha');
    return formMailerCaptchaCode(job.captchaStore.dir, job.captchaStore.formId, cookie ? cookie.value : '');
  }
  if (job.captchaSession) {
    const cookie = cookies.find((c) => c.name === 'PHPSESSID');
    const session = fs.readFileSync(path.join(job.captchaSession, `sess_${cookie ? cookie.value : ''}`), 'utf8');
    const match = /captcha\|s:\d+:"([^"]*)"/.exec(session);
    return match ? match[1] : '';
  }
  return undefined;
}

async function runPage(browser, job) {
  const result = {};
  let step = 'open';
  const context = await browser.newContext();
  try {
    const page = await context.newPage();
    let alerts = [];
    page.on('dialog', async (dialog) => { alerts.push(dialog.message()); await dialog.dismiss(); });
    await page.route(/^(https?|wss?):/, (route) =>
      (new URL(route.request().url()).hostname === '127.0.0.1' ? route.continue() : route.abort()));
    await page.goto(job.url, { waitUntil: 'load' });

    step = 'send empty';
    // The HTML page's checks refuse in the browser; the PHP form shows itself
    // again with its messages.
    await Promise.all([page.waitForLoadState('load'), page.click('input[type=submit]')]);
    await page.waitForTimeout(300);
    result.emptyUrl = page.url();
    result.emptyText = await page.evaluate(() => document.body.innerText);
    result.emptyAlerts = alerts;
    alerts = [];

    step = 'fill';
    for (const [name, text] of Object.entries(job.type || {}))
      await page.fill(`[name="${name}"]`, text);
    for (const name of job.check || [])
      await page.check(`[name="${name}"]`);
    for (const [name, index] of Object.entries(job.select || {}))
      await page.selectOption(`[name="${name}"]`, { index });
    await page.evaluate(() => { if (typeof preisUpdateArt === 'function') preisUpdateArt(); });
    const code = await captchaCode(page, job);
    if (code !== undefined)
      await page.fill('[name="captcha_input"]', code);
    result.read = {};
    for (const [key, expr] of Object.entries(job.read || {}))
      result.read[key] = await page.evaluate((e) => String(new Function('f', 'return ' + e)(document.VQFORM)), expr);

    step = 'send';
    await Promise.all([
      page.waitForURL((url) => url.href.includes(job.until), { timeout: 15000 }),
      page.click('input[type=submit]'),
    ]);
    result.url = page.url();
    result.title = await page.title();
    result.alerts = alerts;
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
      results.push(await runPage(browser, page));
    process.stdout.write(JSON.stringify(results) + '\n');
  } finally {
    await browser.close();
  }
}

main().catch((error) => { console.error(error); process.exit(1); });
