// Fills a page served on 127.0.0.1 in headless Chromium, sends its form for
// real and reports where the browser ends up. Requests to any other host are
// refused. Usage: node submit_page.js JOB.json
// JOB.json: { "url", "fill": JS body using f = document.VQFORM,
//              "captchaFile": path whose content goes into captcha_input, or "",
//              "captchaStore": { "dir", "formId" }: the form mailer's storage folder, with whose
//                              key the code of this browser's image (cookie vq_captcha)
//                              goes into captcha_input,
//              "read": JS expression evaluated after filling, reported as "read",
//              "until": part of the address that ends the run }
// Prints { url, title, alerts: [...], read }.
'use strict';
const fs = require('fs');
const { launchBrowser } = require('./chromium');
const { formMailerCaptchaCode } = require('./captcha_code');

async function main() {
  const job = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
  const browser = await launchBrowser();
  try {
    const page = await browser.newPage();
    const alerts = [];
    page.on('dialog', async (dialog) => { alerts.push(dialog.message()); await dialog.dismiss(); });
    await page.route(/^(https?|wss?):/, (route) =>
      (new URL(route.request().url()).hostname === '127.0.0.1' ? route.continue() : route.abort()));
    await page.goto(job.url, { waitUntil: 'load' });
    let fill = job.fill;
    if (job.captchaFile) {
      const code = fs.readFileSync(job.captchaFile, 'utf8').trim();
      fill += ` f.captcha_input.value = ${JSON.stringify(code)};`;
    }
    if (job.captchaStore) {
      const cookie = (await page.context().cookies()).find((c) => c.name === 'vq_captcha');
      const code = formMailerCaptchaCode(job.captchaStore.dir, job.captchaStore.formId, cookie ? cookie.value : '');
      fill += ` f.captcha_input.value = ${JSON.stringify(code)};`;
    }
    await page.evaluate((body) => { new Function('f', body)(document.VQFORM); }, fill);
    const read = job.read ? await page.evaluate((expr) => String(new Function('f', 'return ' + expr)(document.VQFORM)), job.read) : undefined;
    await Promise.all([
      page.waitForURL((url) => url.href.includes(job.until), { timeout: 15000 }),
      page.click('input[type=submit]'),
    ]);
    process.stdout.write(JSON.stringify({ url: page.url(), title: await page.title(), alerts, read }) + '\n');
  } finally {
    await browser.close();
  }
}

main().catch((error) => { console.error(error); process.exit(1); });
