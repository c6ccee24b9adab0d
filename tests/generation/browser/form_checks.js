// Loads a generated page in headless Chromium and submits its form once per
// case. Every request that leaves the page is answered here, so nothing goes
// on the network. Usage: node form_checks.js CASES.json
// CASES.json: { "page": path, "mailer": "part of the form-mailer address",
//               "cases": [ { "name", "fill": JS body using f = document.VQFORM,
//                            "file": path or "",
//                            "evaluate": optional JS expression, run after the fill } ] }
// Prints one JSON object per case: { name, alerts: [...], submitted, post, value },
// value being what "evaluate" gave.
'use strict';
const fs = require('fs');
const path = require('path');
const { launchBrowser } = require('./chromium');

async function main() {
  const job = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
  const browser = await launchBrowser();
  try {
    const results = [];
    for (const c of job.cases) {
      const page = await browser.newPage();
      const alerts = [];
      let submitted = false;
      let post = null;
      page.on('dialog', async (dialog) => { alerts.push(dialog.message()); await dialog.dismiss(); });
      await page.route(/^(https?|wss?):/, async (route) => {
        const request = route.request();
        if (request.url().includes(job.mailer)) {
          submitted = true;
          post = request.postData();
          await route.fulfill({ status: 200, contentType: 'text/plain', body: 'ok' });
        } else {
          await route.abort();
        }
      });
      await page.goto('file://' + path.resolve(job.page));
      if (c.file)
        await page.setInputFiles('input[type=file]', c.file);
      await page.evaluate((body) => { new Function('f', body)(document.VQFORM); }, c.fill);
      const value = c.evaluate ? await page.evaluate(c.evaluate) : null;
      await page.click('input[type=submit]');
      for (let waited = 0; waited < 3000 && alerts.length === 0 && !submitted; waited += 50)
        await new Promise((resolve) => setTimeout(resolve, 50));
      results.push({ name: c.name, alerts, submitted, post, value });
      await page.close();
    }
    process.stdout.write(JSON.stringify(results) + '\n');
  } finally {
    await browser.close();
  }
}

main().catch((error) => { console.error(error); process.exit(1); });
