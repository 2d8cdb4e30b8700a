// The administration page end to end: lighttpd runs the CGI program on a
// loopback port behind a password, headless Chromium loads the page, the
// test reads the form and the tables, submits changes and checks the page
// and the file on disk; then it tries what an attacker would.
//
// Environment (set by run.sh): ADMIN_CGI (the built program), ADMIN_SAMPLE
// (the sample configuration), ADMIN_ACL (a sample ACL file), ADMIN_SERVE
// (serve.sh), ADMIN_ARTIFACTS (where the screenshots go).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import AxeBuilder from '@axe-core/playwright';

const env = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set`);
  return value;
};

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'confkit-admin-e2e-'));
const run = path.join(work, 'run');
const sample = fs.readFileSync(env('ADMIN_SAMPLE'), 'latin1');
const password = crypto.randomBytes(12).toString('base64url');
const credentials = { username: 'admin', password };
let url;
let configPath;
let browser;
let context;
let page;

// The file as the library writes it: CR LF line ends.
const onDisk = (text) => text.replace(/\r?\n/g, '\r\n');
const readConfig = () => fs.readFileSync(configPath, 'latin1');
// Rewrites the served file in place (keeping its owner).
const writeConfig = (text) => fs.writeFileSync(configPath, text, 'latin1');

// The words of a rule line, without its comment.
const words = (line) => line.replace(/#.*/, '').trim().split(/[ \t]+/);

// The sample's rules of some directives, in file order, as word lists.
function rulesOf(text, directives) {
  const wanted = directives.map((d) => d.toLowerCase());
  return text.split('\n').map(words).filter((w) => wanted.includes(w[0].toLowerCase()));
}

// The rows of a table of the page, as lists of cell texts (padding cells
// left out).
const tableRows = (id, on = page) =>
  on.$$eval(`table#${id} tbody tr:not(.none)`, (rows) =>
    rows.map((r) => Array.from(r.cells, (c) => c.textContent.trim())));
const filled = (row) => row.filter((c) => c !== '');

// Clicks a button or link and waits for the page it leads to.
const follow = async (selector, on = page) =>
  (await Promise.all([on.waitForNavigation(), on.click(selector)]))[0];
// Submits a form: its preview first, then the preview's Apply.
const submit = async (selector) => {
  await follow(selector);
  assert.equal(await page.title(), 'Preview - Proxy administration');
  return follow('#apply button[name=step]');
};

// No accessibility violation of impact "serious" or "critical".
async function assertAccessible(what) {
  const results = await new AxeBuilder({ page }).analyze();
  const bad = results.violations.filter((v) => ['serious', 'critical'].includes(v.impact));
  assert.deepEqual(bad.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [], what);
}

const newContext = (options = {}) => browser.newContext({
  httpCredentials: credentials, viewport: { width: 1280, height: 900 }, ...options });

before(async () => {
  fs.mkdirSync(run);
  const samplePath = path.join(work, 'proxy.conf');
  fs.writeFileSync(samplePath, onDisk(sample), 'latin1');
  fs.copyFileSync(env('ADMIN_ACL'), path.join(work, 'proxy.acl'));
  url = execFileSync('bash', [env('ADMIN_SERVE'), 'start', run, env('ADMIN_CGI'), samplePath,
    path.join(work, 'proxy.acl')], { encoding: 'utf8', env: { ...process.env, ADMIN_PASSWORD: password } }).trim();
  configPath = execFileSync('bash', [env('ADMIN_SERVE'), 'config', run], { encoding: 'utf8' }).trim();
  browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--no-first-run', '--disable-sync', '--disable-quic'],
  });
  context = await newContext();
  page = await context.newPage();
});

after(async () => {
  await browser?.close();
  try {
    execFileSync('bash', [env('ADMIN_SERVE'), 'stop', run]);
    const stage = path.join(run, 'stage');
    if (fs.existsSync(stage)) fs.rmSync(fs.readFileSync(stage, 'utf8').trim(), { recursive: true, force: true });
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
});

test('the page shows the configuration', async () => {
  const response = await page.goto(url);
  assert.equal(response.status(), 200);
  assert.equal(await page.title(), 'Proxy administration');

  // Option lists: the configured value is the selected one.
  assert.equal(await page.$eval('select[name=CacheAlgorithm]', (s) => s.value), 'responsetime');
  assert.equal(await page.$eval('select[name=MaxActiveThreads]', (s) => s.value), '40');
  assert.equal(await page.inputValue('input[name=Port]'), '8080');

  // Check boxes: switches and request methods as the file sets them.
  assert.equal(await page.isChecked('input[name=Caching]'), true);
  assert.equal(await page.isChecked('input[name=ProxyPersistence]'), true);
  assert.equal(await page.isChecked('input[name="DNS-Lookup"]'), false);
  for (const [method, on] of [['GET', true], ['HEAD', true], ['POST', true], ['CONNECT', true],
    ['PUT', false], ['DELETE', false], ['TRACE', false]])
    assert.equal(await page.isChecked(`input[name=Enable][value=${method}]`), on, method);

  // Rule tables: every rule of the file, in file order, numbered from 1.
  const mapping = rulesOf(sample, ['Pass', 'Fail', 'Map', 'Exec', 'Redirect', 'Proxy']);
  const rows = await tableRows('mapping-rules');
  assert.deepEqual(rows.map((r) => r[0]), mapping.map((_, i) => String(i + 1)));
  assert.deepEqual(rows.map((r) => filled(r.slice(1))), mapping);
  // Short rows are padded: every row is as wide as the table.
  assert.deepEqual(new Set(rows.map((r) => r.length)), new Set([5]));
  await assertAccessible('the page');
  fs.mkdirSync(env('ADMIN_ARTIFACTS'), { recursive: true });
  for (const width of [1280, 390]) {
    await page.setViewportSize({ width, height: 900 });
    await page.screenshot({ path: path.join(env('ADMIN_ARTIFACTS'), `admin-page-${width}.png`), fullPage: width === 1280 });
    // Nothing but the wide tables' own boxes scrolls sideways.
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), `${width}`);
  }
  await page.setViewportSize({ width: 1280, height: 900 });
  const cacheUrls = rulesOf(sample, ['LoadURL', 'IgnoreURL']);
  assert.deepEqual((await tableRows('cache-urls')).map((r) => r.slice(1)),
    cacheUrls.map((w) => [w[1], w[0] === 'LoadURL' ? 'Cache' : 'Ignore']));
  const socks = rulesOf(sample, ['sockd']);
  assert.deepEqual((await tableRows('socks')).map((r) => r[1]),
    socks.map((w) => w.find((t, i) => i > 0 && !t.startsWith('@='))));
  const protect = rulesOf(sample, ['Protect']).filter((w) => !w.includes('{'));
  assert.deepEqual((await tableRows('protect')).map((r) => r[1]),
    [...protect.map((w) => w[1]), '/reports/*']);
  assert.deepEqual((await tableRows('members')).map((r) => r[1]), ['cache-east', 'cache-west']);
  assert.deepEqual((await tableRows('pics-rules')).map((r) => r[1]), ['Kids', 'Office hours']);
  assert.deepEqual((await tableRows('acl')).map((r) => r[1]), ['webadmin', 'staff']);
});

test('submitting the settings form rewrites the file', async () => {
  await page.goto(url);
  await page.fill('input[name=Port]', '8081');
  await page.check('input[name="DNS-Lookup"]');
  const area = 'textarea[name="rules.Pass"]';
  const pass = await page.inputValue(area);
  assert.match(pass, /^Pass +\/docs\/\* /m);
  await page.fill(area, pass.replace(/^Pass +\/docs\/\*.*$/m, 'Pass /manuals/* /opt/tarrowgate/manuals/*'));
  await submit('#settings button[type=submit]');

  // The page shown afterwards says so and holds the new values.
  assert.equal(await page.textContent('#message'), 'Saved proxy.conf: 3 line(s) removed and 3 added.');
  assert.equal(await page.inputValue('input[name=Port]'), '8081');
  assert.equal(await page.isChecked('input[name="DNS-Lookup"]'), true);
  const rows = await tableRows('mapping-rules');
  assert.deepEqual(filled(rows[1]), ['2', 'Pass', '/manuals/*', '/opt/tarrowgate/manuals/*']);

  // The file changed in exactly those three lines, each in its place.
  const expected = onDisk(sample)
    .replace('Port                8080\r\n', 'Port                8081\r\n')
    .replace('DNS-Lookup          OFF\r\n', 'DNS-Lookup          ON\r\n')
    .replace(/^Pass +\/docs\/\*.*\r\n/m, 'Pass /manuals/* /opt/tarrowgate/manuals/*\r\n');
  assert.equal(readConfig(), expected);
  // The program that wrote it is not root, whoever started the server.
  if (process.getuid() === 0) assert.notEqual(fs.statSync(`${configPath}.lock`).uid, 0);
});

test('Protect entries and PICS rules are put and deleted', async () => {
  await page.goto(url);
  await page.fill('#protect-put input[name=template]', '/finance/*');
  await page.fill('#protect-put input[name=setup]', 'STAFF-PROT');
  await page.selectOption('#protect-put select[name=position]', 'after');
  await page.fill('#protect-put input[name=anchor]', '/staff/*');
  await submit('#protect-put button');
  assert.deepEqual((await tableRows('protect')).map((r) => r[1]),
    ['/admin/*', '/staff/*', '/finance/*', '/ops/*', '/reports/*']);
  assert.match(readConfig(), /Protect  \/staff\/\*  STAFF-PROT\r\nProtect  \/finance\/\*  STAFF-PROT\r\n/);

  await page.fill('#pics-put input[name=name]', 'Evening');
  await page.fill('#pics-put input[name=description]', 'After <office> hours & more');
  await page.fill('#pics-put input[name=days]', 'Mon-Fri');
  await page.fill('#pics-put input[name=start]', '18:00');
  await submit('#pics-put button');
  assert.deepEqual((await tableRows('pics-rules')).map((r) => r[1]), ['Kids', 'Office hours', 'Evening']);
  assert.match(readConfig(),
    /DefinePicsRule "Evening" \{\r\n[^}]*description "After <office> hours & more"\r\n[^}]*start-time "18:00"\r\n/);

  for (const [form, field, value] of [['#protect-delete', 'template', '/finance/*'],
    ['#pics-delete', 'name', 'Evening']]) {
    await page.fill(`${form} input[name=${field}]`, value);
    await submit(`${form} button`);
  }
  assert.deepEqual((await tableRows('pics-rules')).map((r) => r[1]), ['Kids', 'Office hours']);
  assert.equal((await tableRows('protect')).length, 4);
});

test('the header leads to each section, by keyboard too, and sections fold away', async () => {
  await page.goto(url);
  assert.match(await page.textContent('header .file'), /proxy\.conf/);
  const links = await page.$$eval('nav a', (a) => a.map((l) => [l.textContent, l.getAttribute('href')]));
  assert.deepEqual(links.map((l) => l[0]),
    ['Server settings', 'Rules', 'Protection', 'Members', 'Content filtering', 'Access control',
      'History']);
  for (const [, href] of links) assert.equal(await page.$$eval(href, (e) => e.length), 1, href);
  // Tab to the fourth link and follow it with Enter.
  await page.focus('nav a >> nth=0');
  for (let i = 0; i < 3; i++) await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Members');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => location.hash === '#section-members');
  assert.ok(await page.isVisible('table#members'));
  const top = await page.$eval('#section-members', (e) => e.getBoundingClientRect().top);
  assert.ok(top >= 0 && top < 300, `section at ${top}`);
  // Its summary folds the section away and opens it again.
  await page.click('#section-members summary');
  assert.equal(await page.isVisible('table#members'), false);
  await page.focus('#section-members summary');
  await page.keyboard.press('Enter');
  assert.equal(await page.isVisible('table#members'), true);
  // The filter box over a long table keeps the rows that match.
  await page.fill('input[aria-controls=mapping-rules]', 'gopher');
  const shown = await page.$$eval('#mapping-rules tbody tr:not([hidden])', (r) => r.map((x) => x.cells[1].textContent));
  assert.deepEqual(shown, ['Proxy']);
});

test('a preview shows the diff, changes nothing, and Cancel leads back', async () => {
  await page.goto(url);
  const before = readConfig();
  await page.fill('input[name=Port]', '8082');
  await page.fill('#f-Hostname', 'proxy<b>&amp;');
  await follow('#settings button[type=submit]');
  assert.equal(await page.title(), 'Preview - Proxy administration');
  const diff = await page.textContent('#diff');
  assert.match(diff, /^-Port +8081$/m);
  assert.match(diff, /^\+Port +8082$/m);
  assert.match(diff, /^\+Hostname +proxy<b>&amp;$/m);
  assert.equal(await page.$$eval('#diff b', (b) => b.length), 0);
  assert.equal(readConfig(), before);
  await assertAccessible('the preview');
  await page.screenshot({ path: path.join(env('ADMIN_ARTIFACTS'), 'admin-preview-1280.png') });
  await follow('#cancel');
  assert.equal(await page.title(), 'Proxy administration');
  assert.equal(await page.inputValue('input[name=Port]'), '8081');
  assert.equal(readConfig(), before);
});

test('a form made from a file that changed since is refused', async () => {
  await page.goto(url);
  const theirs = readConfig().replace(/^Port .*$/m, 'Port                9999');
  await page.fill('input[name=Port]', '8083');
  writeConfig(theirs); // someone else's change, after the page was shown
  let response = await follow('#settings button[type=submit]');
  assert.equal(response.status(), 409);
  assert.match(await page.textContent('#error'), /changed since this form was shown/);
  // Also between the preview and its Apply.
  await page.goto(url);
  await page.fill('input[name=Port]', '8084');
  await follow('#settings button[type=submit]');
  writeConfig(theirs.replace('9999', '9998'));
  response = await follow('#apply button[name=step]');
  assert.equal(response.status(), 409);
  assert.equal(readConfig(), theirs.replace('9999', '9998'));
  writeConfig(theirs.replace(/^Port .*$/m, 'Port                8081'));
});

// Once, in the plain build: under the sanitizers it would only repeat what
// the unit tests of the history show there.
const plainBuildOnly = { skip: process.env.CONFKIT_SANITIZED ? 'runs in the plain build' : false };

test('the history shows who saved and why, and a restore goes through the preview', plainBuildOnly, async () => {
  await page.goto(url);
  const before = readConfig();
  await page.fill('input[name=Port]', '8090');
  await follow('#settings button[type=submit]');
  await page.fill('#apply input[name=reason]', 'night <b>fix</b>');
  await follow('#apply button[name=step]');
  const [mine, earlier] = await tableRows('history');
  assert.match(mine[2], /^admin from /);
  assert.deepEqual(mine.slice(3, 6), ['administration page', 'settings form', 'night <b>fix</b>']);
  assert.equal(await page.$$eval('#history b', (b) => b.length), 0);
  await assertAccessible('the history');

  // Its page shows what it changed.
  await follow(`#history a[href$="revision=${mine[0]}"]`);
  assert.equal(await page.title(), `Revision ${mine[0]} - Proxy administration`);
  assert.match(await page.textContent('#diff'), /^\+Port +8090$/m);
  await follow('#back');

  // Restoring the revision before it: the preview, then Apply.
  await follow(`#history tbody tr:nth-child(2) form.restore button`);
  assert.equal(await page.title(), 'Preview - Proxy administration');
  assert.match(await page.textContent('#diff'), /^-Port +8090$/m);
  assert.notEqual(readConfig(), before);
  await page.fill('#apply input[name=reason]', 'undo');
  await follow('#apply button[name=step]');
  assert.match(await page.textContent('#message'), new RegExp(`^Restored revision ${earlier[0]}\\. `));
  assert.equal(readConfig(), before);
  const [restore] = await tableRows('history');
  assert.deepEqual(restore.slice(4, 6), [`restore of revision ${earlier[0]}`, 'undo']);
});

// What the page's own forms would send, with its token and version.
async function pageFields() {
  await page.goto(url);
  return { token: await page.inputValue('#settings input[name=token]'),
    version: await page.inputValue('#settings input[name=version]') };
}
const post = (data, headers = {}) => page.request.post(url, {
  data, maxRedirects: 0, headers: { 'content-type': 'application/x-www-form-urlencoded', ...headers } });

test('malformed requests are refused and change nothing', async () => {
  const { token, version } = await pageFields();
  const before = fs.readFileSync(configPath);
  for (const body of ['op=settings&Port=%zz', 'op=settings&step=apply&Hostname=%7Bscript%7Dx',
    'op=nothing', 'op=settings&step=apply&Port=99999', 'op=protect-delete&step=apply&template=/icons/*']) {
    const response = await post(`token=${token}&version=${version}&${body}`);
    assert.ok([400, 409].includes(response.status()), `${body}: ${response.status()}`);
    const text = await response.text();
    assert.ok(!text.includes('<script>'), `${body} echoed`);
  }
  assert.equal((await post('op=settings', { 'content-type': 'text/plain' })).status(), 415);
  assert.deepEqual(fs.readFileSync(configPath), before);
});

test('a post from another site is refused', async () => {
  const before = readConfig();
  const { token, version } = await pageFields();
  // A page elsewhere that posts to the page, as a hostile site would.
  const other = await context.newPage();
  await other.setContent(`<form method="post" action="${url}">
    <input name="token" value="${token}"><input name="version" value="${version}">
    <input name="op" value="settings"><input name="step" value="apply">
    <input name="Port" value="1"><button>go</button></form>`);
  const [response] = await Promise.all([other.waitForNavigation(), other.click('button')]);
  assert.equal(response.status(), 403);
  await other.close();
  // Without the page's token, even from the page's own origin.
  assert.equal((await post(`version=${version}&op=settings&step=apply&Port=1`)).status(), 403);
  assert.equal((await post(`token=${token}&version=${version}&op=settings&step=apply&Port=1`,
    { origin: 'http://evil.example' })).status(), 403);
  assert.equal(readConfig(), before);
});

test('every answer carries the security headers', async () => {
  await page.goto(url);
  const { token, version } = await pageFields();
  const base = url.replace(/admin\.cgi$/, '');
  const answers = [
    await page.request.get(url), await page.request.get(`${base}admin.css`),
    await page.request.get(`${base}admin.js`), await post('op=settings'),
    await post(`token=${token}&version=${version}&op=nothing`),
  ];
  const unauthorized = await fetch(url); // no password: refused by the server itself
  assert.deepEqual([...answers.map((a) => a.status()), unauthorized.status],
    [200, 200, 200, 403, 400, 401]);
  const headerSets = [...answers.map((a) => a.headers()),
    Object.fromEntries(unauthorized.headers.entries())];
  for (const headers of headerSets) {
    const header = (name) => headers[name];
    const csp = header('content-security-policy');
    assert.match(csp, /default-src 'none'/);
    assert.match(csp, /frame-ancestors 'none'/);
    assert.doesNotMatch(csp, /unsafe-inline|unsafe-eval/);
    assert.equal(header('x-content-type-options'), 'nosniff');
    assert.equal(header('referrer-policy'), 'no-referrer');
    assert.equal(header('cache-control'), 'no-store');
  }
});

// Values of the file, whoever wrote them: markup that breaks out of an
// attribute, a tag, a closing </textarea>, a javascript: URL.
const hostileHostname = 'Hostname            x"autofocus/onfocus="alert(document.domain)';
const hostile = [
  'Pass      /h/*     <img src=x onerror=alert(1)>',
  'Redirect  /r       http://h.example/?a=1&b=2</textarea><form id=evil><button>x</button>',
  'Map       /j/*     javascript:alert(2)',
  'AddType   .evil    <svg/onload=alert(3)>  8bit  1.0',
].join('\r\n');

// Opens the page on a file holding hostile values and reports what ran.
async function openHostile(options) {
  const ctx = await newContext(options);
  await ctx.addInitScript(() => {
    window.__ran = [];
    window.alert = (m) => window.__ran.push(`alert ${m}`);
    document.addEventListener('securitypolicyviolation',
      (e) => window.__ran.push(`csp ${e.violatedDirective} ${e.sample}`));
  });
  const p = await ctx.newPage();
  const dialogs = [];
  p.on('dialog', (d) => { dialogs.push(d.message()); d.dismiss(); });
  await p.goto(url);
  await p.focus('input[name=Hostname]');
  await p.hover('#mapping-rules');
  const ran = await p.evaluate(() => window.__ran);
  return { ctx, p, dialogs, ran };
}

test('no value in the file runs script or changes the page', async () => {
  const original = readConfig();
  await page.goto(url);
  const forms = await page.$$eval('form', (f) => f.length);
  const inputs = await page.$$eval('input, button, textarea, select', (f) => f.length);
  writeConfig(original.replace(/^Hostname .*$/m, hostileHostname)
    .replace('# End of configuration.', `${hostile}\r\n# End of configuration.`));
  try {
    // With the page's CSP, and without it: escaping alone must hold.
    for (const options of [{}, { bypassCSP: true }]) {
      const { ctx, p, dialogs, ran } = await openHostile(options);
      assert.deepEqual(dialogs, [], JSON.stringify(options));
      assert.deepEqual(ran, [], JSON.stringify(options));
      assert.equal(await p.$$eval('form', (f) => f.length), forms);
      assert.equal(await p.$$eval('input, button, textarea, select', (f) => f.length), inputs);
      assert.equal(await p.$$eval('img, svg, #evil', (e) => e.length), 0);
      // Each shows exactly as the file holds it.
      assert.equal(await p.inputValue('input[name=Hostname]'), 'x"autofocus/onfocus="alert(document.domain)');
      const rows = (await tableRows('mapping-rules', p)).map((r) => filled(r.slice(1)).join(' '));
      assert.ok(rows.includes('Pass /h/* <img src=x onerror=alert(1)>'), rows.join('\n'));
      assert.ok(rows.includes('Redirect /r http://h.example/?a=1&b=2</textarea><form id=evil><button>x</button>'));
      assert.ok(rows.includes('Map /j/* javascript:alert(2)'));
      assert.match(await p.inputValue('textarea[name="rules.Redirect"]'), /\?a=1&b=2<\/textarea><form id=evil>/);
      await ctx.close();
    }
  } finally {
    writeConfig(original);
  }
});
