// Loads generated pages in the system's headless Chromium, plays the steps of
// each case on the form VQFORM and prints what the form then holds.
//
// node run_pages.js CASES.json
//   CASES.json: {"cases": [{"page": "/abs/file.html" | "url": "http://127.0.0.1:PORT/...",
//                           "steps": [{"fill": name, "value": text} |
//                                     {"check": name} | {"uncheck": name} |
//                                     {"select": name, "index": k}],
//                           "read": [name, ...]}]}
// Output (stdout): [{"values": {name: value or null}, "errors": [text]}]
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium, executablePath, args } = require('./chromium');

async function runCase(context, job) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e.message || e)));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await page.goto(job.url || 'file://' + job.page);
  const field = (name) => `form[name="VQFORM"] [name="${name}"]`;
  for (const step of job.steps || []) {
    if ('fill' in step) {
      await page.fill(field(step.fill), step.value);
      await page.dispatchEvent(field(step.fill), 'change');
    } else if ('check' in step) {
      await page.check(field(step.check));
    } else if ('uncheck' in step) {
      await page.uncheck(field(step.uncheck));
    } else if ('select' in step) {
      await page.selectOption(field(step.select), { index: step.index });
    }
  }
  const values = await page.evaluate((names) => {
    const out = {};
    for (const n of names) {
      const el = document.VQFORM.elements[n];
      out[n] = el ? el.value : null;
    }
    return out;
  }, job.read || []);
  await page.close();
  return { values, errors };
}

async function main() {
  const cases = JSON.parse(fs.readFileSync(process.argv[2], 'utf8')).cases;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vq-order-chromium-'));
  let context;
  try {
    context = await chromium.launchPersistentContext(profile, {
      executablePath,
      headless: true,
      chromiumSandbox: false,
      args,
      timeout: 60000,
    });
    context.setDefaultTimeout(10000);
    // The pages are local files or served on 127.0.0.1; nothing may leave the machine.
    await context.route('**/*', (route) => {
      const url = new URL(route.request().url());
      return url.protocol === 'file:' || url.hostname === '127.0.0.1' ? route.continue() : route.abort();
    });
    const results = [];
    for (const job of cases)
      results.push(await runCase(context, job));
    process.stdout.write(JSON.stringify(results));
  } finally {
    if (context)
      await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((e) => {
  process.stderr.write(String(e && e.stack || e) + '\n');
  process.exit(1);
});
