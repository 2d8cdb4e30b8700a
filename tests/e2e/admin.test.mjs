// The administration page end to end: lighttpd runs the CGI program on a
// loopback port, headless Chromium loads the page, the test reads the form
// and the tables, submits changes and checks the page and the file on disk.
//
// Environment (set by run.sh): ADMIN_CGI (the built program), ADMIN_SAMPLE
// (the sample configuration), ADMIN_ACL (a sample ACL file), ADMIN_SERVE
// (serve.sh), ADMIN_ARTIFACTS (where the screenshot goes).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const env = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set`);
  return value;
};

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'confkit-admin-e2e-'));
const configPath = path.join(work, 'proxy.conf');
const sample = fs.readFileSync(env('ADMIN_SAMPLE'), 'latin1');
let url;
let context;
let page;

// The file as the library writes it: CR LF line ends.
const onDisk = (text) => text.replace(/\r?\n/g, '\r\n');

// The words of a rule line, without its comment.
const words = (line) => line.replace(/#.*/, '').trim().split(/[ \t]+/);

// The sample's rules of some directives, in file order, as word lists.
function rulesOf(text, directives) {
  const wanted = directives.map((d) => d.toLowerCase());
  return text.split('\n').map(words).filter((w) => wanted.includes(w[0].toLowerCase()));
}

// The rows of a table of the page, as lists of cell texts.
const tableRows = (id) =>
  page.$$eval(`table#${id} tbody tr:not(.none)`, (rows) =>
    rows.map((r) => Array.from(r.cells, (c) => c.textContent.trim())));

before(async () => {
  fs.writeFileSync(configPath, sample, 'latin1');
  fs.copyFileSync(env('ADMIN_ACL'), path.join(work, 'proxy.acl'));
  url = execFileSync('bash', [env('ADMIN_SERVE'), 'start', path.join(work, 'run'), env('ADMIN_CGI'),
    configPath, path.join(work, 'proxy.acl')], { encoding: 'utf8' }).trim();
  context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--no-first-run', '--disable-sync'],
    viewport: { width: 1280, height: 900 },
  });
  page = context.pages()[0] ?? await context.newPage();
});

after(async () => {
  await context?.close();
  try {
    execFileSync('bash', [env('ADMIN_SERVE'), 'stop', path.join(work, 'run')]);
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
  assert.deepEqual(rows.map((r) => r.slice(1).filter((c) => c !== '')), mapping);
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
  await Promise.all([page.waitForNavigation(), page.click('#settings input[type=submit]')]);
  fs.mkdirSync(env('ADMIN_ARTIFACTS'), { recursive: true });
  await page.screenshot({ path: path.join(env('ADMIN_ARTIFACTS'), 'admin-page.png'), fullPage: true });

  // The page shown afterwards holds the new values.
  assert.equal(await page.inputValue('input[name=Port]'), '8081');
  assert.equal(await page.isChecked('input[name="DNS-Lookup"]'), true);
  const rows = await tableRows('mapping-rules');
  assert.deepEqual(rows[1], ['2', 'Pass', '/manuals/*', '/opt/tarrowgate/manuals/*']);

  // The file changed in exactly those three lines, each in its place.
  const expected = onDisk(sample)
    .replace('Port                8080\r\n', 'Port                8081\r\n')
    .replace('DNS-Lookup          OFF\r\n', 'DNS-Lookup          ON\r\n')
    .replace(/^Pass +\/docs\/\*.*\r\n/m, 'Pass /manuals/* /opt/tarrowgate/manuals/*\r\n');
  assert.equal(fs.readFileSync(configPath, 'latin1'), expected);
});

test('Protect entries and PICS rules are put and deleted', async () => {
  await page.goto(url);
  await page.fill('#protect-put input[name=template]', '/finance/*');
  await page.fill('#protect-put input[name=setup]', 'STAFF-PROT');
  await page.selectOption('#protect-put select[name=position]', 'after');
  await page.fill('#protect-put input[name=anchor]', '/staff/*');
  await Promise.all([page.waitForNavigation(), page.click('#protect-put button')]);
  assert.deepEqual((await tableRows('protect')).map((r) => r[1]),
    ['/admin/*', '/staff/*', '/finance/*', '/ops/*', '/reports/*']);
  assert.match(fs.readFileSync(configPath, 'latin1'),
    /Protect  \/staff\/\*  STAFF-PROT\r\nProtect  \/finance\/\*  STAFF-PROT\r\n/);

  await page.fill('#pics-put input[name=name]', 'Evening');
  await page.fill('#pics-put input[name=description]', 'After office hours');
  await page.fill('#pics-put input[name=days]', 'Mon-Fri');
  await page.fill('#pics-put input[name=start]', '18:00');
  await Promise.all([page.waitForNavigation(), page.click('#pics-put button')]);
  assert.deepEqual((await tableRows('pics-rules')).map((r) => r[1]), ['Kids', 'Office hours', 'Evening']);
  assert.match(fs.readFileSync(configPath, 'latin1'),
    /DefinePicsRule "Evening" \{\r\n[^}]*description "After office hours"\r\n[^}]*start-time "18:00"\r\n/);

  for (const [form, field, value] of [['#protect-delete', 'template', '/finance/*'],
    ['#pics-delete', 'name', 'Evening']]) {
    await page.fill(`${form} input[name=${field}]`, value);
    await Promise.all([page.waitForNavigation(), page.click(`${form} button`)]);
  }
  assert.deepEqual((await tableRows('pics-rules')).map((r) => r[1]), ['Kids', 'Office hours']);
  assert.equal((await tableRows('protect')).length, 4);
});

test('malformed requests are refused and change nothing', async () => {
  const before = fs.readFileSync(configPath);
  const post = (data, contentType = 'application/x-www-form-urlencoded') =>
    page.request.post(url, { data, headers: { 'content-type': contentType }, maxRedirects: 0 });
  for (const body of ['op=settings&Port=%zz', 'op=settings&Hostname=%3Cscript%3Ex', 'op=nothing',
    'op=settings&Port=99999', 'op=protect-delete&template=/icons/*', '=x']) {
    const response = await post(body);
    assert.ok([400, 409].includes(response.status()), `${body}: ${response.status()}`);
    const text = await response.text();
    assert.ok(!text.includes('<script>'), `${body} echoed`);
  }
  assert.equal((await post('op=settings', 'text/plain')).status(), 415);
  assert.deepEqual(fs.readFileSync(configPath), before);
});
