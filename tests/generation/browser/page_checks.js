// Opens generated pages served on 127.0.0.1 in one headless Chromium, as on a
// phone (390 x 844, touch) and on a desktop (1280 x 800): measures where the
// tables and controls lie, fills the form on the phone by tapping and sends
// it, runs axe-core's WCAG 2.1 A and AA rules, looks controls up by role and
// accessible name, walks the form with the Tab key, and for a PHP script
// sends the empty form once to see how the refusal is told. Requests to
// other hosts are refused; the HTML page's post to the form mailer is
// answered here.
//
// node page_checks.js JOB.json
// JOB.json: { "screenshots": folder for PNGs or "",
//             "pages": [ { "name", "url", "mailer": part of the form-mailer
//                          address whose post is answered here, or "",
//                          "until": part of the address after sending,
//                          "taps": [ {"type": name, "text"} | {"tap": name, "index"?} |
//                                    {"select": name, "index"} ] (none: not sent),
//                          "read": [ name, ... ],
//                          "roles": [ {"role", "name"} ] (with them, the Tab walk),
//                          "refuse": true to send the empty form (PHP script) } ] }
// Prints one object per page: { name, phone: {...}, desktop: {...}, refused, errors }.
'use strict';
const fs = require('fs');
const path = require('path');
const axeSource = require('axe-core').source;
const { launchBrowser } = require('./chromium');

// axe-core's WCAG 2.1 A and AA rules over the page as it stands.
async function axeViolations(page) {
  await page.addScriptTag({ content: axeSource });
  return page.evaluate(async () => {
    const result = await window.axe.run(document, {
      runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] },
    });
    return result.violations.map((v) => ({
      id: v.id, impact: v.impact, help: v.help, nodes: v.nodes.slice(0, 5).map((n) => n.target.join(' ')),
    }));
  });
}

// Each wanted control looked up in Chromium's accessibility tree by role and
// name: how many match, and the form name of the one found.
async function findByRole(page, wanted) {
  return Promise.all((wanted || []).map(async (w) => {
    const locator = page.getByRole(w.role, { name: w.name, exact: true });
    const count = await locator.count();
    const control = count === 1 ? await locator.evaluate((el) => el.getAttribute('name') || el.id) : null;
    return { role: w.role, name: w.name, count, control };
  }));
}

// The controls the Tab key reaches, in order, from the top of the page.
async function tabOrder(page) {
  const reached = [];
  for (let i = 0; i < 120; ++i) {
    await page.keyboard.press('Tab');
    const name = await page.evaluate(() => {
      const e = document.activeElement;
      return e && e !== document.body ? (e.name || e.value || e.textContent.trim() || e.tagName) : null;
    });
    if (name === null || reached.includes(name))
      break;
    reached.push(name);
  }
  return reached;
}

const phone = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
const desktop = { viewport: { width: 1280, height: 800 } };

// Runs in the page: where every visible control lies, whether a tap at its
// middle reaches it, and the text of each article block.
function measure() {
  const form = document.VQFORM;
  const controls = [];
  for (const el of form.elements) {
    if (el.type === 'hidden')
      continue;
    const box = el.getBoundingClientRect();
    if (box.width === 0 && box.height === 0)
      continue;
    // Bring the control into view vertically only: sideways is what is tested.
    window.scrollTo(0, window.scrollY + box.top - window.innerHeight / 2);
    const r = el.getBoundingClientRect();
    const hit = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
    controls.push({
      name: el.name || el.type, type: el.type, left: r.left, right: r.right, width: r.width, height: r.height,
      reachable: !!hit && (hit === el || el.contains(hit) || (el.labels && [...el.labels].some((l) => l.contains(hit)))),
    });
  }
  window.scrollTo(0, 0);
  const rect = (el) => {
    if (!el)
      return null;
    const r = el.getBoundingClientRect();
    return { left: r.left, right: r.right, top: r.top, bottom: r.bottom, width: r.width };
  };
  const fieldTable = form.querySelector('table.vqform');
  const orderTable = document.querySelector('#vqorder table');
  const articles = [];
  for (let i = 0; form.elements['b_ges' + i]; ++i) {
    // What each shown cell says, the caption the style sheet puts before it included.
    const row = form.elements['b_ges' + i].closest('tr');
    const text = [...row.cells].filter((c) => getComputedStyle(c).display !== 'none').map((c) => {
      const before = getComputedStyle(c, '::before').content;
      return (/^".*"$/.test(before) ? before.slice(1, -1) + ' ' : '') + c.innerText;
    }).join('\n');
    articles.push({ text, box: rect(row) });
  }
  return {
    innerWidth: window.innerWidth,
    scrollWidth: document.scrollingElement.scrollWidth,
    form: rect(form),
    fieldTable: rect(fieldTable),
    orderTable: rect(orderTable),
    orderBox: rect(document.getElementById('vqorder')),
    controls,
    articles,
  };
}

async function openPage(browser, options, job, errors) {
  const context = await browser.newContext(options);
  context.setDefaultTimeout(5000);
  const sent = { post: null };
  await context.route(/^(https?|wss?):/, async (route) => {
    const request = route.request();
    if (job.mailer && request.url().includes(job.mailer) && request.method() === 'POST') {
      sent.post = request.postData();
      await route.fulfill({ status: 200, contentType: 'text/html', body: '<p>Danke</p>' });
    } else if (new URL(request.url()).hostname === '127.0.0.1') {
      await route.continue();
    } else {
      await route.abort();
    }
  });
  const page = await context.newPage();
  page.on('pageerror', (e) => errors.push(String(e.message || e)));
  page.on('dialog', async (dialog) => { errors.push('alert: ' + dialog.message()); await dialog.dismiss(); });
  await page.goto(job.url, { waitUntil: 'load' });
  return { context, page, sent };
}

async function shoot(page, folder, name) {
  if (!folder)
    return;
  await page.screenshot({ path: path.join(folder, name + '.png'), fullPage: true });
  if (await page.locator('#vqorder').isVisible())
    await page.locator('#vqorder').screenshot({ path: path.join(folder, name + '-order.png') });
}

async function runPhone(browser, job, folder, errors) {
  const { context, page, sent } = await openPage(browser, phone, job, errors);
  try {
    const result = await page.evaluate(measure);
    await shoot(page, folder, job.name + '-phone');
    result.axe = await axeViolations(page);
    try {
      if (job.taps)
        await fillAndSend(page, job, folder, result);
    } catch (e) {
      // A control the finger cannot reach: reported, and the other pages still run.
      errors.push('tapping: ' + String(e.message || e).split('\n')[0]);
    }
    result.post = sent.post;
    return result;
  } finally {
    await context.close();
  }
}

async function fillAndSend(page, job, folder, result) {
  const field = (name) => `form[name="VQFORM"] [name="${name}"]`;
  for (const step of job.taps || []) {
    if ('type' in step) {
      // Tapped, then the text typed over what the field holds.
      await page.tap(field(step.type));
      await page.fill(field(step.type), step.text);
    } else if ('tap' in step) {
      await page.locator(field(step.tap)).nth(step.index || 0).tap();
    } else if ('select' in step) {
      await page.tap(field(step.select));
      await page.selectOption(field(step.select), { index: step.index });
    }
  }
  // A tap beside the controls ends the last input, as a customer does.
  await page.tap('h1');
  result.values = await page.evaluate((names) => {
    const out = {};
    for (const n of names)
      out[n] = document.VQFORM.elements[n] ? document.VQFORM.elements[n].value : null;
    return out;
  }, job.read || []);
  await shoot(page, folder, job.name + '-phone-filled');
  await Promise.all([
    page.waitForURL((url) => url.href.includes(job.until), { timeout: 15000 }),
    page.tap('form[name="VQFORM"] input[type=submit]'),
  ]);
  result.sentTo = page.url();
}

async function runDesktop(browser, job, folder, errors) {
  const { context, page } = await openPage(browser, desktop, job, errors);
  try {
    const result = await page.evaluate(measure);
    delete result.controls;
    await shoot(page, folder, job.name + '-desktop');
    if (job.roles) {
      result.roles = await findByRole(page, job.roles);
      result.tabs = await tabOrder(page);
    }
    result.axe = await axeViolations(page);
    // Reset after a quantity: the totals follow.
    if (await page.locator('form[name="VQFORM"] [name="b_anz3"]').count() === 0)
      return result;
    await page.fill('form[name="VQFORM"] [name="b_anz3"]', '4');
    await page.dispatchEvent('form[name="VQFORM"] [name="b_anz3"]', 'change');
    await page.click('form[name="VQFORM"] input[type=reset]');
    await page.waitForFunction(() => document.VQFORM.b_ges3.value === '0,00 ' + document.VQFORM.vq_currency.value)
      .catch(() => {});
    result.afterReset = await page.evaluate(() => document.VQFORM.b_gesamt.value);
    return result;
  } finally {
    await context.close();
  }
}

// The empty form sent once: what the alert region says, which controls are
// marked invalid and what they are described by, and axe over that page.
async function runRefused(browser, job, folder, errors) {
  const { context, page } = await openPage(browser, desktop, job, errors);
  try {
    await Promise.all([
      page.waitForURL((url) => url.href.includes('action=send'), { timeout: 15000 }),
      page.click('form[name="VQFORM"] input[type=submit]'),
    ]);
    await page.waitForLoadState('load');
    await shoot(page, folder, job.name + '-refused');
    const result = await page.evaluate(() => {
      const region = document.getElementById('vqmeldungen');
      const invalid = [...document.querySelectorAll('[aria-invalid="true"]')];
      return {
        role: region ? region.getAttribute('role') : null,
        text: region ? region.innerText : null,
        invalid: invalid.map((el) => el.name),
      };
    });
    result.descriptions = {};
    for (const name of result.invalid) {
      const description = await page.locator(`[name="${name}"]`).first().evaluate((el) =>
        (el.getAttribute('aria-describedby') || '').split(' ').map((id) => document.getElementById(id))
          .filter((x) => x).map((x) => x.textContent.trim()).join(' '));
      result.descriptions[name] = description;
    }
    result.axe = await axeViolations(page);
    return result;
  } finally {
    await context.close();
  }
}

async function main() {
  const job = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
  const browser = await launchBrowser();
  try {
    const results = [];
    for (const p of job.pages) {
      const errors = [];
      const result = { name: p.name, errors };
      result.phone = await runPhone(browser, p, job.screenshots, errors);
      result.desktop = await runDesktop(browser, p, job.screenshots, errors);
      if (p.refuse)
        result.refused = await runRefused(browser, p, job.screenshots, errors);
      results.push(result);
    }
    process.stdout.write(JSON.stringify(results) + '\n');
  } finally {
    await browser.close();
  }
}

main().catch((error) => { console.error(error); process.exit(1); });
