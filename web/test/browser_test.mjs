// The web page in Debian's headless Chromium, used as a person would: values typed, Enter
// pressed, tabs and buttons clicked, the table read back and compared with zeltra5-calc; the
// language switch, the copies, a refused input, the diagram's marker, the saturation table, the
// phone width; screenshots at the main steps; then a benchmark that prints its figures.
// Usage: node browser_test.mjs --site DIR --calc ZELTRA5_CALC --out DIR [--chromium PATH]
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import puppeteer from "puppeteer-core";

const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, a, i, all) =>
  (a.startsWith("--") ? [...pairs, [a.slice(2), all[i + 1]]] : pairs), []));
const site = path.resolve(args.site);
const out = path.resolve(args.out);
const calcPath = args.calc;
const modelValuesPath = args["model-values"];
// The model of a page whose address names none.
const DEFAULT_MODEL = "tr1993";
fs.mkdirSync(out, { recursive: true });

// Each line of the output with the seconds since the start: a run that is stopped shows where.
const startedAt = Date.now();
const print = console.log;
console.log = (...items) => print(`[${((Date.now() - startedAt) / 1000).toFixed(0)} s]`, ...items);
let failures = 0;
function check(ok, what) {
  if (!ok) {
    failures++;
    console.log(`FAIL ${what}`);
  }
  return ok;
}
const calc = (argv) => execFileSync(calcPath, argv, { encoding: "utf8" });
const FIELD_NAMES = ["relative_enthalpy", "pressure", "temperature", "specific_enthalpy",
  "mass_density", "specific_volume", "specific_internal_energy", "specific_entropy",
  "isobaric_heat_capacity", "isochoric_heat_capacity", "isentropic_coefficient",
  "thermal_conductivity", "kinematic_viscosity", "dynamic_viscosity", "prandtl_number",
  "speed_of_sound", "surface_tension", "expansion_coefficient", "latent_heat"];
// The tolerance against the native build: 1e-12 relative, but 1e-11 for the isentropic
// coefficient of a liquid (tens of thousands at low pressure), which amplifies the last bits of
// its inputs.
const tolerance = (name, value) =>
  (name === "isentropic_coefficient" && Math.abs(value) > 100 ? 1e-11 : 1e-12);
const relative = (a, b) => (a === b ? 0 : Math.abs(a - b) / Math.max(Math.abs(a), Math.abs(b)));

// --- a static server of the site, as any would serve it -----------------------------------
const TYPES = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm" };
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(new URL(req.url, "http://x").pathname);
  const file = path.join(site, name === "/" ? "index.html" : name);
  if (!file.startsWith(site) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    res.writeHead(404).end();
    return;
  }
  res.writeHead(200, { "content-type": TYPES[path.extname(file)] || "application/octet-stream" });
  fs.createReadStream(file).pipe(res);
});
await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
const origin = `http://127.0.0.1:${server.address().port}`;

// Every wait is on a condition, never on a time; its bound only stops a page that never gets
// there, and is generous, so that a loaded machine (the test beside a build) does not fail it.
const WAIT_MS = 180000;
const generous = (p) => {
  p.setDefaultTimeout(WAIT_MS);
  p.setDefaultNavigationTimeout(WAIT_MS);
  return p;
};
const browser = await puppeteer.launch({
  executablePath: args.chromium || "/usr/bin/chromium",
  headless: true,
  protocolTimeout: 2 * WAIT_MS,
  args: [...(process.getuid && process.getuid() === 0 ? ["--no-sandbox"] : []),
    "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run", "--lang=ru-RU"],
});
try {
  const page = generous(await browser.newPage());
  await browser.defaultBrowserContext().overridePermissions(origin,
    ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  await page.setViewport({ width: 1280, height: 1000 });
  const problems = [];
  page.on("pageerror", (e) => problems.push(`page error: ${e.message}`));
  page.on("console", (m) => { if (m.type() === "error") problems.push(`console: ${m.text()}`); });
  let bytes = 0, afterLoad = [];
  let loaded = false;
  page.on("request", (r) => { if (loaded && !r.url().startsWith("blob:")) afterLoad.push(r.url()); });
  page.on("response", async (r) => {
    if (loaded) return;
    try { bytes += (await r.buffer()).length; } catch { /* redirects have no body */ }
  });

  await page.goto(`${origin}/`, { waitUntil: "networkidle0" });
  await page.waitForSelector("body[data-ready='1']", { timeout: WAIT_MS });
  loaded = true;
  const readyMs = await page.evaluate(() => window.readyMs);
  const shot = (name) => page.screenshot({ path: path.join(out, `${name}.png`), fullPage: true });
  await shot("01-loaded");

  // --- one state through the form: select, type, Enter; the three tables read back -------
  const readTable = () => page.$$eval("#table tr", (rows) => rows.map((tr) => ({
    name: tr.cells[0].textContent, text: tr.cells[1].textContent,
    value: tr.cells[1].dataset.value, unit: tr.cells[2].textContent })));
  async function enter(pair, first, second, superheat) {
    await page.select("#pair", pair);
    await page.click("#first", { clickCount: 3 });
    await page.keyboard.type(String(first));
    if (second !== undefined) {
      await page.click("#second", { clickCount: 3 });
      await page.keyboard.type(String(second));
    }
    const box = await page.$("#superheat");
    if ((await box.evaluate((b) => b.checked)) !== Boolean(superheat) &&
        !(await box.evaluate((b) => b.disabled))) {
      await box.click();
    }
    await page.focus(second !== undefined ? "#second" : "#first");
    await page.keyboard.press("Enter");
  }
  const rowCount = await page.$$eval("#table tr", (rows) => rows.length);
  check(rowCount === 20, `the table has 20 rows (${rowCount})`);
  // Which field each row shows, from the library.
  const rowField = await page.evaluate(() => window.zeltra5.rowFields());
  const requested = (json, side) => (side === "requested" ? json
    : json[side === "liquid" ? "saturated_liquid" : "saturated_vapour"]);

  // Every pair and phase; values in display units as the command line takes them.
  const UI_GRID = [
    ["p-x", 5, 0.5], ["p-x", 1, 0], ["p-x", 50, 1], ["ps-liquid", 5], ["ps-vapour", 20],
    ["ts-liquid", -40], ["ts-vapour", 100], ["p-t", 10, 25], ["p-t", 10, 0], ["p-t", 150, 200],
    ["p-t", 5, 10, true], ["p-t", 1, -70], ["p-h", 5, 1000], ["p-h", 5, 200], ["p-h", 5, 1700],
    ["p-h", 5, 300, true], ["p-u", 2, 800], ["p-u", 20, 1500], ["p-s", 10, 2], ["p-s", 3, 6.5],
    ["p-s", 200, 4], ["p-rho", 10, 300], ["p-rho", 10, 600], ["p-rho", 10, 5],
    ["t-rho", 20, 100], ["t-rho", 140, 300], ["t-rho", 20, 610], ["p-t", 10, 500],
    ["p-rho", 1, 2000], ["t-x", -10, 0.2], ["t-x", 20, 0], ["t-h", 25, 1500], ["t-s", 25, 1],
    ["rho-h", 10, 1500], ["rho-u", 600, 400], ["h-s", 1500, 6],
  ];
  let compared = 0, worstUi = 0;
  const tabStatus = {};
  for (const [pair, first, second, superheat] of UI_GRID) {
    await enter(pair, first, second, superheat);
    const argv = ["--json", "--table", "all", pair, String(first)];
    if (second !== undefined) argv.push(String(second));
    if (superheat) argv.push("--superheat");
    let json;
    try {
      json = JSON.parse(calc(argv));
    } catch (e) {
      json = JSON.parse(e.stdout);
    }
    for (const side of ["requested", "liquid", "vapour"]) {
      const want = requested(json, side) || { status: 1 };
      const label = `${pair} ${first} ${second ?? ""}${superheat ? " superheat" : ""} ${side}`;
      // A state without saturated states (supercritical) closes their tabs and says why.
      const closed = await page.$eval(`#tab-${side}`, (b) => b.disabled);
      const noSaturation = json.status === 0 && side !== "requested" && want.status !== 0;
      check(closed === noSaturation, `${label}: the tab ${closed ? "closed" : "open"}`);
      if (closed) {
        const note = await page.$eval("#tabs-note", (n) => (n.hidden ? "" : n.textContent));
        check(note.startsWith("Вкладки насыщенных состояний недоступны: ") && /113\.59/.test(note),
          `${label}: the note says why (${note})`);
        tabStatus.closed = (tabStatus.closed || 0) + 1;
        continue;
      }
      await page.click(`#tab-${side}`);
      const rows = await readTable();
      const valid = rows[0].text !== "";
      tabStatus[want.status] = (tabStatus[want.status] || 0) + 1;
      check(valid === (want.status === 0), `${label}: status (${want.status})`);
      if (!valid || want.status !== 0) continue;
      check(rows[0].text === want.phase_name, `${label}: phase ${rows[0].text} / ${want.phase_name}`);
      // The rows' fields through their units and the page's data-value: every field of the
      // library, in the table's order of the program.
      const byField = await page.evaluate(() => {
        const m = {};
        document.querySelectorAll("#table tr").forEach((tr, r) => {
          if (tr.cells[1].dataset.value) m[r] = Number(tr.cells[1].dataset.value);
        });
        return m;
      });
      for (let r = 1; r < 20; r++) {
        const name = FIELD_NAMES[rowField[r]];
        const expected = want[name];
        const got = byField[r];
        if (expected === null) {
          check(got === undefined && rows[r].text === "", `${label}: ${name} blank`);
          continue;
        }
        compared++;
        const rel = relative(got, expected);
        worstUi = Math.max(worstUi, rel);
        check(rel <= tolerance(name, expected),
          `${label}: ${name} ${got} / ${expected} (${rel.toExponential(1)})`);
        check(isSixDigitsOf(rows[r].text, got), `${label}: ${name} shown ${rows[r].text} (${got})`);
      }
    }
    if (pair === "p-t" && first === 10 && second === 25) {
      await page.click("#tab-requested");
      await shot("02-p-t-10-25");
      await page.click("#tab-liquid");
      await shot("03-saturated-liquid");
      await page.click("#tab-vapour");
      await shot("04-saturated-vapour");
    }
  }
  check(compared > 1000, `fields compared: ${compared}`);
  console.log(`form: ${UI_GRID.length} states x 3 tables, ${compared} fields compared, ` +
    `worst relative difference ${worstUi.toExponential(2)}`);

  // --- a refused input: the message names the value and the limit ------------------------
  await page.click("#tab-requested");
  await page.click("#lang-en");
  await enter("p-t", 10, 500);
  const refusal = await page.$eval("#message", (m) => (m.hidden ? "" : m.textContent));
  let refusalWant;
  try { calc(["--json", "p-t", "10", "500"]); } catch (e) {
    refusalWant = JSON.parse(e.stdout).error;
  }
  check(refusal !== "" && refusal === refusalWant, `refusal "${refusal}" / "${refusalWant}"`);
  const emptyTable = (await readTable()).every((r) => r.text === "");
  check(emptyTable, "a refused input leaves the table empty");
  await page.click("#lang-ru");
  const refusalRu = await page.$eval("#message", (m) => (m.hidden ? "" : m.textContent));
  check(/500/.test(refusalRu) && /450/.test(refusalRu) && refusalRu !== refusal,
    `the Russian refusal names the value and the limit: ${refusalRu}`);
  await shot("05-refused");
  await enter("p-t", 10, "abc");
  const notNumber = await page.$eval("#message", (m) => m.textContent);
  check(/abc/.test(notNumber), `a text that is no number is named: ${notNumber}`);

  // --- the diagram: present, the marker where the command line's diagram puts it ---------
  const marker = () => page.$eval("#diagram svg #marker", (m) => ({
    visible: m.getAttribute("visibility") === "visible",
    x: Number(m.getAttribute("cx")), y: Number(m.getAttribute("cy")) }));
  const cliMarker = (argv) => {
    const svg = calc(["diagram", "ph", "--state", ...argv]);
    const g = svg.slice(svg.indexOf('<g id="markers">'));
    const m = g.match(/<circle cx="([-\d.]+)" cy="([-\d.]+)"/);
    return { x: Number(m[1]), y: Number(m[2]) };
  };
  await enter("p-t", 10, 25);
  const m1 = await marker();
  const w1 = cliMarker(["p-t", "10", "25"]);
  check(m1.visible && Math.abs(m1.x - w1.x) <= 0.01 && Math.abs(m1.y - w1.y) <= 0.01,
    `marker at ${m1.x},${m1.y} / ${w1.x},${w1.y}`);
  await enter("p-h", 2, 400);
  const m2 = await marker();
  const w2 = cliMarker(["p-h", "2", "400"]);
  check(m2.visible && Math.abs(m2.x - w2.x) <= 0.01 && Math.abs(m2.y - w2.y) <= 0.01 &&
    (m2.x !== m1.x || m2.y !== m1.y), `marker moved to ${m2.x},${m2.y} / ${w2.x},${w2.y}`);
  const diagramTitle = await page.$eval("#diagram svg title", (t) => t.textContent);
  check(diagramTitle.length > 0, "the diagram has its title");
  await page.$eval("#diagram-box", (d) => d.scrollIntoView());
  await shot("06-diagram-marker-moved");

  // --- copy one value and the whole table ------------------------------------------------
  await enter("p-t", 10, 25);
  let clipboardUsed = false;
  // Clicks a copy button and reads what it copied once the page's copy has finished (the
  // clipboard is written asynchronously: read at once, it could still hold the text before).
  const clip = async (selector) => {
    const before = await page.evaluate(() => window.copiesDone ?? 0);
    await page.click(selector);
    await page.waitForFunction((n) => (window.copiesDone ?? 0) > n, {}, before);
    const fromClipboard = await page.evaluate(() => navigator.clipboard.readText().catch(() => null));
    const fallback = await page.evaluate(() => window.lastCopied);
    clipboardUsed = fromClipboard !== null;
    return fromClipboard ?? fallback;
  };
  const one = await clip("#table tr:nth-child(4) td.copy button");
  const rowsNow = await readTable();
  // A copy has every digit (%.16g), whatever the table shows.
  check(one === formatG16(Number(rowsNow[3].value)),
    `copy of one value at full precision: "${one}" / "${rowsNow[3].value}"`);
  const tsv = await clip("#copy-table");
  // The last line's unit cell is empty: only the final newline goes.
  const lines = tsv.replace(/\n$/, "").split("\n");
  check(lines.length === 21 && lines.every((l) => l.split("\t").length === 3),
    `copy of the table: 21 lines of 3 tab-separated cells (${lines.length})`);
  check(lines[20] === `Модель\t${DEFAULT_MODEL}\t`, `the copied table names the model: ${lines[20]}`);
  check(lines[3] === `${rowsNow[3].name}\t${formatG16(Number(rowsNow[3].value))}\t${rowsNow[3].unit}`,
    `copied row: ${JSON.stringify(lines[3])}`);
  check(lines.every((l, r) => r >= 20 || !rowsNow[r].value ||
    l.split("\t")[1] === formatG16(Number(rowsNow[r].value))) &&
    lines.some((l, r) => r < 20 && rowsNow[r].value && l.split("\t")[1] !== rowsNow[r].text),
  "the copied table has every digit where the table shows six");
  console.log(`copy: read back ${clipboardUsed ? "from the system clipboard" : "from the page (no clipboard)"}`);

  // --- the language: English names, units and phase names from the library --------------
  const enText = calc(["p-t", "10", "25", "--lang", "en"]).split("\n");
  await page.click("#lang-en");
  const en = await readTable();
  const enNames = enText.slice(0, 20).map((l) => l.slice(1, 30).trim());
  check(en.every((row, r) => row.name === enNames[r]),
    `English row names: ${en.map((r) => r.name).join(", ")}`);
  check(en[0].text === "Superheated vapour", `English phase name: ${en[0].text}`);
  check(await page.$eval("#calculate", (b) => b.textContent) === "Calculate", "English button");
  await shot("07-english");
  await page.click("#lang-ru");
  const ru = await readTable();
  check(ru[0].text === "Перегретый пар" && ru[2].name === "Давление",
    `Russian again: ${ru[0].text}, ${ru[2].name}`);

  // --- the saturation table: the command line's CSV, downloadable -------------------------
  await page.click("#tables-range", { clickCount: 3 });
  await page.keyboard.type("-70:130:10");
  await page.keyboard.press("Enter");
  await page.waitForSelector("#tables-download:not([hidden])");
  const csv = await page.evaluate(() => window.lastCsv);
  const csvWant = calc(["table", "saturation", "t=-70:130:10", "--csv"]);
  // The saturated states are evaluated at the same equilibrium densities; the WebAssembly
  // build's sums may round a field's last bit differently (see sameCsv).
  const satSame = sameCsv(csv, csvWant);
  check(satSame.ok, `saturation CSV as zeltra5-calc's (${csv.length} / ${csvWant.length} bytes): ${satSame.why}`);
  const href = await page.$eval("#tables-download", (a) => a.href);
  const downloaded = await page.evaluate((u) => fetch(u).then((r) => r.text()), href);
  check(downloaded === csv, "the download link holds the CSV");
  check((await page.$$("#tables-table tbody tr")).length === 21, "saturation table: one row per temperature");
  await page.$eval("#tables", (d) => d.scrollIntoView());
  await shot("08-saturation-table");
  await page.click("#tables-range", { clickCount: 3 });
  await page.keyboard.type("0:10:0");
  await page.keyboard.press("Enter");
  const satRefusal = await page.$eval("#tables-message", (m) => (m.hidden ? "" : m.textContent));
  check(satRefusal !== "", `a bad range is explained: ${satRefusal}`);

  // --- long ranges: the library gets the whole text, as the command line gets its argument --
  // Each case against `zeltra5-calc table saturation t=RANGE`: the same CSV (see sameCsv) and a
  // preview row for each of its rows, showing the row's reason where it is refused; or, where
  // the command line refuses the range, the same message. In English, the language of the
  // command line's messages on ranges.
  await page.click("#lang-en");
  const list = (from, to, step, sep) =>
    Array.from({ length: (to - from) / step + 1 }, (_, i) => from + i * step).join(sep);
  const LONG_RANGES = [
    // 684 characters, 201 temperatures: 402 rows.
    { name: "list of 201 temperatures", range: list(-70, 130, 1, ","), length: 684, rows: 402 },
    // A temperature of 1.1e299 °C: every row outside the domain, with its reason.
    { name: "300 ones", range: "1".repeat(300), length: 300, rows: 2 },
    // Valid in full; its first 255 characters end in ", ", which is no number.
    { name: "list with spaces", range: list(-20, 110, 2, ", "), length: 269, rows: 132 },
    // One value too many; the message, which quotes the range, is longer than 64 KiB.
    { name: "10001 values", range: Array(10001).fill("-10.25").join(","), length: 70006 },
    // A NUL would end the text early; it is refused as no number instead.
    { name: "NUL inside", range: "10\u00002", length: 4 },
  ];
  const typeRange = async (range) => {
    if (range.length <= 1000 && !range.includes("\0")) {
      await page.click("#tables-range", { clickCount: 3 });
      await page.keyboard.type(range);
    } else {
      await page.$eval("#tables-range", (input, r) => { input.value = r; }, range);
      await page.focus("#tables-range");
    }
    await page.evaluate(() => { window.lastCsv = null; });
    await page.keyboard.press("Enter");
  };
  let csvNumbers = 0, csvNumbersNotIdentical = 0;
  for (const c of LONG_RANGES) {
    const base = c.name.replaceAll(" ", "-");
    const file = path.join(out, base);
    for (const end of [".page.csv", ".zeltra5-calc.csv"]) fs.rmSync(`${file}${end}`, { force: true });
    check(c.range.length === c.length, `${c.name}: ${c.range.length} characters`);
    await typeRange(c.range);
    await page.$eval("#tables", (d) => d.scrollIntoView());
    await shot(`08-saturation-${base}`);
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    check(width <= 1280, `${c.name}: no horizontal scrolling (${width} px)`);
    const shown = await page.evaluate(() => ({
      csv: window.lastCsv,
      message: document.getElementById("tables-message").hidden
        ? null : document.getElementById("tables-message").textContent,
      // Each row's refusal, where it has one (null for a row of values).
      rows: Array.from(document.querySelectorAll("#tables-table tbody tr"),
        (tr) => tr.querySelector("td.refusal")?.textContent ?? null),
      download: !document.getElementById("tables-download").hidden,
    }));
    if (c.range.includes("\0")) {
      // The command line cannot be given a NUL: the page refuses the text it was given.
      check(shown.message === `range "${c.range.replace("\0", "\uFFFD")}": a value is not a number`,
        `${c.name}: refused (${shown.message})`);
      continue;
    }
    let want, refusal = null;
    try {
      want = execFileSync(calcPath, ["table", "saturation", `t=${c.range}`, "--csv", "--lang", "en"],
        { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"] });
    } catch (e) {
      want = e.stdout;
      refusal = e.status === 2 ? e.stderr.split("\n")[0].replace("zeltra5-calc table: ", "") : null;
    }
    if (c.rows === undefined) {
      check(refusal !== null && shown.message === refusal && !shown.download && shown.csv === null,
        `${c.name}: refused as the command line refuses it (${shown.message?.length} / ` +
        `${refusal?.length} characters)`);
      continue;
    }
    // A table whose every row is refused says so above it, with the first row's reason.
    const everyRowRefused = want.trimEnd().split("\n").slice(2).every((l) => l.split(",")[1] !== "0");
    check(shown.download && (everyRowRefused
      ? shown.message?.startsWith("No row of the table lies within the domain: ") : shown.message === null),
    `${c.name}: a table (${shown.message})`);
    const same = sameCsv(shown.csv ?? "", want);
    csvNumbers += same.numbers;
    csvNumbersNotIdentical += same.notIdentical;
    if (!check(same.ok, `${c.name}: CSV as zeltra5-calc's (${shown.csv?.length} / ` +
      `${want.length} bytes): ${same.why}`)) {
      // Both kept beside the screenshots, to be compared.
      fs.writeFileSync(`${file}.page.csv`, shown.csv ?? "");
      fs.writeFileSync(`${file}.zeltra5-calc.csv`, want);
    }
    const wantRows = want.trimEnd().split("\n").slice(2).map((l) => l.split(","));
    // One row on the page per temperature: the liquid's and the vapour's lines of the CSV.
    check(wantRows.length === c.rows && shown.rows.length === c.rows / 2,
      `${c.name}: ${c.rows} rows (${wantRows.length} from zeltra5-calc, ${shown.rows.length} shown, one per temperature)`);
    const reasons = wantRows.map((r) => (r[1] === "0" ? null : r[2]));
    check(shown.rows.every((why, i) => why === reasons[2 * i]),
      `${c.name}: refused rows show the command line's reasons (${reasons.find((w) => w)})`);
    if (c.name === "300 ones") {
      check(shown.message?.endsWith(shown.rows[0]) && shown.rows.every((why) =>
        why === "temperature 1.1111111111111112e+299 °C is above 132.3401629673764 °C"),
      `${c.name}: refused at 1.1e299 °C: ${shown.rows[0]}`);
    }
  }
  console.log(`long ranges: ${LONG_RANGES.length} cases; of ${csvNumbers} numbers in their ` +
    `CSV ${csvNumbersNotIdentical} not bit-identical to zeltra5-calc's`);
  await page.click("#lang-ru");

  // --- reference state and units ----------------------------------------------------------
  await page.select("#reference", "iir");
  await enter("ts-liquid", 0);
  const iir = await readTable();
  const hRow = rowField.indexOf(FIELD_NAMES.indexOf("specific_enthalpy"));
  check(Math.abs(Number(iir[hRow].value) - 200) < 1e-9, `IIR: h' at 0 °C = ${iir[hRow].value}`);
  await page.select("#reference", "default");
  await page.select("#units", "si");
  await enter("p-t", 1e6, 298.15);
  const si = JSON.parse(calc(["--json", "--si", "p-t", "1e6", "298.15"]));
  const siRows = await readTable();
  check(siRows.some((r) => r.value && relative(Number(r.value), si.specific_enthalpy) <= 1e-12),
    "SI units: the enthalpy in J/kg");
  await page.select("#units", "display");

  // --- units: each system and choice of units, typed and switched -------------------------
  const tRow = rowField.indexOf(FIELD_NAMES.indexOf("temperature"));
  const pRow = rowField.indexOf(FIELD_NAMES.indexOf("pressure"));
  const rhoRow = rowField.indexOf(FIELD_NAMES.indexOf("mass_density"));
  const chooseUnits = async (system, items = {}) => {
    await page.select("#units", system);
    for (const [key, unit] of Object.entries(items)) await page.select(`#unit-${key}`, unit);
  };
  const choiceOf = (system, items = {}) =>
    [system, ...Object.entries(items).map(([k, u]) => `${k}=${u}`)].join(",");
  // Every field of the shown table against the command line in the same units.
  const sameAsCalc = async (label, choice, argv) => {
    const want = JSON.parse(calc(["--json", "--lang", "en", "--units", choice, ...argv]));
    const rows = await readTable();
    let ok = want.status === 0 && rows[0].text === want.phase_name;
    for (let r = 1; r < 20 && ok; r++) {
      const expected = want[FIELD_NAMES[rowField[r]]];
      ok = expected === null ? rows[r].text === ""
        : relative(Number(rows[r].value), expected) <= tolerance(FIELD_NAMES[rowField[r]], expected);
    }
    check(ok, `${label}: the table as zeltra5-calc --units ${choice} ${argv.join(" ")}`);
    return rows;
  };
  await enter("p-t", 10, 25);
  const displayRows = await readTable();
  const density = Number(displayRows[rhoRow].value);
  // 10 bar and 25 °C typed in each choice of units: the same state, shown in those units.
  const UNIT_CASES = [
    { system: "si", p: "1e6", t: "298.15", shownP: "1000000", pUnit: "Pa", shownT: "298.15", tUnit: "K" },
    { system: "si-celsius", p: "1e6", t: "25", shownP: "1000000", pUnit: "Pa", shownT: "25", tUnit: "°C" },
    { system: "display", items: { p: "kPa", t: "degF" }, p: "1000", t: "77", shownP: "1000",
      pUnit: "kPa", shownT: "77", tUnit: "°F" },
    { system: "si", items: { p: "MPa", h: "kJ/kg", s: "kJ/(kg*K)" }, p: "1", t: "298.15",
      shownP: "1", pUnit: "MPa", shownT: "298.15", tUnit: "K" },
    { system: "si-celsius", items: { p: "bar", t: "K" }, p: "10", t: "298.15", shownP: "10",
      pUnit: "bar", shownT: "298.15", tUnit: "K" },
  ];
  await page.click("#lang-en");
  for (const c of UNIT_CASES) {
    const choice = choiceOf(c.system, c.items);
    await chooseUnits(c.system, c.items);
    check(await page.evaluate(() => window.zeltra5.unitsChoice()) === choice,
      `units ${choice}: the library is asked in ${await page.evaluate(() => window.zeltra5.unitsChoice())}`);
    await enter("p-t", c.p, c.t);
    const rows = await sameAsCalc(`units ${choice}`, choice, ["p-t", c.p, c.t]);
    check(rows[tRow].text === c.shownT && rows[tRow].unit === c.tUnit &&
      rows[pRow].text === c.shownP && rows[pRow].unit === c.pUnit,
    `units ${choice}: shows ${rows[pRow].text} ${rows[pRow].unit}, ${rows[tRow].text} ${rows[tRow].unit}`);
    check(relative(Number(rows[rhoRow].value), density) <= 1e-12,
      `units ${choice}: the state of 10 bar, 25 °C (density ${rows[rhoRow].value} / ${density})`);
    const units = await page.$$eval(["#first-unit", "#second-unit"].join(","), (us) => us.map((u) => u.textContent));
    check(units[0] === c.pUnit && units[1] === c.tUnit, `units ${choice}: the inputs' units ${units}`);
    check((await page.evaluate(() => window.zeltra5.tableText())).includes(`\t${c.shownT}\t${c.tUnit}\n`),
      `units ${choice}: the copied table in these units`);
    if (c.tUnit === "K") {
      // A refusal names the value and the limit in the chosen units.
      await enter("p-t", c.p, 773.15);
      const said = await page.$eval("#message", (m) => (m.hidden ? "" : m.textContent));
      let want = "";
      try { calc(["--json", "--units", choice, "--lang", "en", "p-t", c.p, "773.15"]); } catch (e) {
        want = JSON.parse(e.stdout).error;
      }
      check(said !== "" && said === want && /773\.15 K/.test(said) && /723\.15 K/.test(said),
        `units ${choice}: refusal "${said}" / "${want}"`);
    }
  }
  await shot("10-units-kelvin");
  const diagramText = await page.$eval("#diagram svg", (svg) => svg.textContent);
  // The last case's units: bar and K.
  check(/Pressure p, bar/.test(diagramText) && /\b300 K\b/.test(diagramText) &&
    !/\b20 °C\b/.test(diagramText), "the diagram in the chosen units (bar, K)");

  // Switching units keeps the state: the typed values and the saturation range are converted
  // by the library, the tables show the same state, and the page says what it did.
  await chooseUnits("display");
  await enter("p-h", 5, 1000);
  const ph = await readTable();
  await page.click("#tables-range", { clickCount: 3 });
  await page.keyboard.type("-70:130:10");
  await page.keyboard.press("Enter");
  await page.waitForSelector("#tables-download:not([hidden])");
  const SWITCHES = [
    // [units chosen, the values shown after it, the saturation range shown after it]
    [["si"], ["500000", "1000000"], "203.15:403.15:10"],
    [["si", { p: "kPa" }], ["500", "1000000"], "203.15:403.15:10"],
    [["si", { p: "kPa", t: "degF" }], ["500", "1000000"], "-94:266:18"],
    [["si", { p: "kPa", t: "degF", h: "kJ/kg" }], ["500", "1000"], "-94:266:18"],
    [["si-celsius", { p: "psi" }], ["72.5188688651046", "1000000"], "-70:130:10"],
    [["display"], ["5", "1000"], "-70:130:10"],
  ];
  let before = { first: "5", second: "1000", range: "-70:130:10" };
  for (const [[system, items], values, range] of SWITCHES) {
    const choice = choiceOf(system, items);
    await chooseUnits(system, items);
    const shown = await page.evaluate(() => ({
      first: document.getElementById("first").value, second: document.getElementById("second").value,
      range: document.getElementById("tables-range").value,
      note: document.getElementById("units-note").textContent, csv: window.lastCsv }));
    check(shown.first === values[0] && shown.second === values[1] && shown.range === range,
      `switched to ${choice}: ${shown.first}, ${shown.second}, ${shown.range}`);
    // The note names each value the last change converted (a system, then a quantity, is two).
    const last = items ? Object.keys(items).at(-1) : null;
    const named = [["first", "p"], ["second", "h"], ["range", "t"]]
      .filter(([id, key]) => shown[id] !== before[id] && (last === null || key === last))
      .map(([id]) => shown[id]);
    check(shown.note.startsWith("Entered values converted") && named.length > 0 &&
      named.every((v) => shown.note.includes(` → ${v} `)),
    `switched to ${choice}: the page says so (${shown.note})`);
    before = shown;
    const rows = await sameAsCalc(`switched to ${choice}`, choice, ["p-h", values[0], values[1]]);
    check(rows[0].text === ph[0].text && relative(Number(rows[rhoRow].value), Number(ph[rhoRow].value)) <= 1e-12,
      `switched to ${choice}: the same state (${rows[rhoRow].value} / ${ph[rhoRow].value})`);
    const csvWant = calc(["table", "saturation", `t=${range}`, "--csv", "--units", choice, "--lang", "en"]);
    const same = sameCsv(shown.csv, csvWant);
    check(same.ok, `switched to ${choice}: the saturation table as zeltra5-calc's: ${same.why}`);
    if (system === "si" && items?.t === "degF" && !items.h) await shot("11-units-switched");
  }
  // The conversion itself, on the forms the switches above do not reach.
  const CONVERSIONS = [
    // [field, text, from, to, expected (null: refused, kept as typed)]
    ["pressure", "1:100:*1.5", "display", "display,p=kPa", "100:10000:*1.5"],
    ["temperature", "1:100:*2", "display", "si", "274.15,275.15,277.15,281.15,289.15,305.15,337.15"],
    ["temperature", "0, 10,20", "display", "display,t=degF", "32,50,68"],
    ["temperature", "0:1:0.1", "si-celsius", "si", "273.15:274.15:0.1"],
    ["temperature", "-40", "display,t=degF", "si-celsius", "-40"],
    ["specific_enthalpy", "-50", "display", "si", "-50000"],
    ["specific_entropy", "1.5", "si", "display", "0.0015"],
    ["pressure", "14.6959487755135", "display,p=psi", "si", "101325"],
    ["relative_enthalpy", "0.5", "display", "si", "0.5"],
    ["pressure", "abc", "display", "si", null],
    ["pressure", "0:10:0", "display", "si", null],
    ["pressure", "1e305", "display", "si", null],
    ["pressure", "10", "display", "p=hPa", null],
  ];
  for (const [name, text, from, to, want] of CONVERSIONS) {
    const got = await page.evaluate((f, t, a, b) => window.zeltra5.convertValues(
      window.zeltra5.fieldIndex(f), t, a, b), name, text, from, to);
    check(got === want, `convert ${name} "${text}" from ${from} to ${to}: ${got} / ${want}`);
  }

  // A text that is no number stays as typed.
  await enter("p-t", 10, "abc");
  await chooseUnits("si");
  check(await page.$eval("#second", (i) => i.value) === "abc" &&
    await page.$eval("#first", (i) => i.value) === "1000000", "a text that is no number is kept");
  await chooseUnits("display");
  await page.click("#lang-ru");

  // --- the model: the registry's choice beside the reference state ------------------------
  // The native values of states: [model, units, reference, pair, first, second] each.
  const nativeValues = (states) => execFileSync(modelValuesPath,
    { input: states.map((s) => s.join(",")).join("\n") + "\n", encoding: "utf8" })
    .trimEnd().split("\n").map((l) => JSON.parse(l));
  const readMore = () => page.$$eval("#more-table tr", (rows) => rows.map((tr) =>
    (tr.cells[1].dataset.value === undefined ? null : Number(tr.cells[1].dataset.value))));
  const registry = await page.evaluate(() => window.zeltra5.models());
  const menu = await page.$$eval("#model option", (os) => os.map((o) => [o.value, o.title]));
  check(JSON.stringify(menu) === JSON.stringify(registry.map((m) => [m.name, m.description])) &&
    registry.length >= 2 && registry.every((m) => m.description !== ""),
  `the model menu is the registry's: ${menu.map((m) => m[0]).join(", ")}`);
  check(await page.$eval("#model", (s) => s.value) === DEFAULT_MODEL, "the default model");
  // Each state on each model: the page's table, its saturated liquid and its "more properties"
  // against the native calculation of that model; gao2023 apart from tr1993 where both give a
  // state.
  const MODEL_CASES = [
    // [pair, first, second, reference]
    ["p-t", 10, 25, "default"],
    ["p-h", 5, 200, "default"],
    ["ts-liquid", 0, undefined, "iir"],
    ["t-rho", 140, 300, "ashrae"],
    ["p-s", 3, 6.5, "nbp"],
  ];
  const byModel = {};
  for (const { name: model } of registry) {
    await page.select("#model", model);
    // (After a calculation the address holds the whole state, the model among it.)
    check(new URL(page.url()).searchParams.get("model") === model, `${model}: the address keeps it (${page.url()})`);
    for (const [pair, first, second, reference] of MODEL_CASES) {
      const label = `${model} ${pair} ${first} ${second ?? ""} ${reference}`;
      await page.select("#reference", reference);
      await enter(pair, first, second);
      // A supercritical state closes the liquid's tab: its table as a refused one, blank.
      const closed = await page.$eval("#tab-liquid", (b) => b.disabled);
      if (!closed) await page.click("#tab-liquid");
      const liquidRows = closed ? (await readTable()).map((r) => ({ ...r, value: undefined }))
        : await readTable();
      await page.click("#tab-requested");
      const rows = await readTable();
      const more = await readMore();
      const [want, liquidWant] = nativeValues([
        [model, "display", reference, pair, first, second ?? 0],
        [model, "display", reference, "ps-liquid", rows[pRow].value, 0]]);
      check(want.status === 0 && rows[0].text !== "", `${label}: a state (${want.status})`);
      const compare = (side, got, values, fields) => fields.forEach((k) => {
        const expected = values[k];
        if (expected === null || got[k] === null) {
          check(expected === got[k], `${label} ${side}: field ${k} defined ${got[k]} / ${expected}`);
          return;
        }
        const rel = relative(got[k], expected);
        // A temperature in °C may be 0 one way and 6e-14 the other (a saturated state found
        // again from its pressure): an absolute bound there.
        const near = FIELD_NAMES[k] === "temperature" && Math.abs(got[k] - expected) <= 1e-10;
        check(near || rel <= (k < FIELD_NAMES.length ? tolerance(FIELD_NAMES[k], expected) : 1e-9),
          `${label} ${side}: field ${k} ${got[k]} / ${expected}`);
      });
      const fromRows = (table) => {
        const values = Array(FIELD_NAMES.length).fill(null);
        table.forEach((r, i) => { if (i > 0 && r.value !== undefined) values[rowField[i]] = Number(r.value); });
        return values;
      };
      const nineteen = [...FIELD_NAMES.keys()];
      compare("state", fromRows(rows), want.values, nineteen);
      compare("saturated liquid", fromRows(liquidRows), liquidWant.values, nineteen);
      compare("more properties", [...Array(FIELD_NAMES.length).fill(null), ...more], want.values,
        [...want.values.keys()].slice(FIELD_NAMES.length));
      const line = await page.$eval("#result-model", (p) => p.textContent);
      check(line === `Модель: ${model}`, `${label}: the result names its model (${line})`);
      const copied = await page.evaluate(() => window.zeltra5.tableText());
      check(copied.endsWith(`\nМодель\t${model}\t\n`), `${label}: the copied table names the model`);
      byModel[label] = fromRows(rows);
      if (model === "gao2023" && pair === "p-t") await shot("12-model-gao2023");
    }
  }
  await page.select("#reference", "default");
  for (const [pair, first, second, reference] of MODEL_CASES) {
    const key = ` ${pair} ${first} ${second ?? ""} ${reference}`;
    const [a, b] = [byModel[`tr1993${key}`], byModel[`gao2023${key}`]];
    const apart = FIELD_NAMES.filter((_, k) => a[k] !== null && b[k] !== null && relative(a[k], b[k]) > 1e-6);
    check(apart.length >= 8, `${key}: gao2023 apart from tr1993 in ${apart.join(", ")}`);
    // IIR fixes h' at 0 °C on every model.
    const h = FIELD_NAMES.indexOf("specific_enthalpy");
    if (reference === "iir") check(Math.abs(a[h] - 200) < 1e-9 && Math.abs(b[h] - 200) < 1e-9, `${key}: h' ${a[h]}, ${b[h]}`);
  }
  // The diagram and the saturation table follow the model and name it.
  await page.select("#model", "tr1993");
  await enter("p-t", 10, 25);
  const svgOf = () => page.$eval("#diagram svg", (svg) => svg.outerHTML);
  const trSvg = await svgOf();
  await page.click("#tables-range", { clickCount: 3 });
  await page.keyboard.type("-60:120:20");
  await page.keyboard.press("Enter");
  await page.waitForSelector("#tables-download:not([hidden])");
  const trCsv = await page.evaluate(() => window.lastCsv);
  await page.select("#model", "gao2023");
  const follow = await page.evaluate(() => ({
    csv: window.lastCsv, diagram: document.getElementById("diagram-model").textContent,
    sat: document.getElementById("tables-model").textContent,
    download: document.getElementById("tables-download").href }));
  check((await svgOf()) !== trSvg && follow.diagram === "Модель: gao2023",
    `the diagram follows the model (${follow.diagram})`);
  const gaoModels = csvModels(follow.csv);
  check(follow.sat === "Модель: gao2023" && gaoModels.ok && gaoModels.models.length === 20 &&
    gaoModels.models.every((m) => m === "gao2023") && csvModels(trCsv).models.every((m) => m === "tr1993"),
  `the saturation table and its CSV name the model (${follow.sat}; ${gaoModels.why ?? "column"})`);
  check(await page.evaluate((u) => fetch(u).then((r) => r.text()), follow.download) === follow.csv,
    "the download holds the CSV of gao2023");
  const satLines = follow.csv.trimEnd().split("\n").map((l) => l.split(","));
  const satNative = nativeValues(satLines.slice(2).map((r) => ["gao2023", "display", "default", r[3], r[4], 0]));
  let satChecked = 0;
  satLines.slice(2).forEach((r, i) => {
    for (const name of ["pressure", "mass_density", "specific_enthalpy", "specific_entropy"]) {
      const got = Number(r[satLines[0].indexOf(name)]);
      const want = satNative[i].values[FIELD_NAMES.indexOf(name)];
      satChecked++;
      check(relative(got, want) <= 1e-12, `gao2023 saturation ${r[3]} ${r[4]}: ${name} ${got} / ${want}`);
    }
  });
  check(satChecked === 80 && follow.csv !== trCsv, `gao2023 saturation table: ${satChecked} values`);
  await page.select("#model", "tr1993");

  // The address: the page opened at it shows its model; an unknown one the default, said so,
  // and the address then names the default. Other items of the address stay.
  const ADDRESSES = [
    // [query, model shown, the address after, the unknown name the note quotes]
    ["", DEFAULT_MODEL, "", null],
    ["?model=gao2023", "gao2023", "?model=gao2023", null],
    ["?model=tr1993", "tr1993", "?model=tr1993", null],
    ["?x=1&model=gao2023", "gao2023", "?x=1&model=gao2023", null],
    ["?model=gao2024", DEFAULT_MODEL, `?model=${DEFAULT_MODEL}`, "gao2024"],
    ["?model=GAO2023", DEFAULT_MODEL, `?model=${DEFAULT_MODEL}`, "GAO2023"],
    ["?model=", DEFAULT_MODEL, `?model=${DEFAULT_MODEL}`, ""],
  ];
  const opened = generous(await browser.newPage());
  opened.on("pageerror", (e) => problems.push(`page error (address): ${e.message}`));
  const firstState = nativeValues(registry.map((m) => [m.name, "display", "default", "p-t", 10, 25]));
  for (const [query, model, after, unknown] of ADDRESSES) {
    await opened.goto(`${origin}/${query}`, { waitUntil: "networkidle0" });
    await opened.waitForSelector("body[data-ready='1']", { timeout: WAIT_MS });
    const shown = await opened.evaluate(() => ({
      model: document.getElementById("model").value, search: window.location.search,
      note: document.getElementById("model-note").hidden ? null : document.getElementById("model-note").textContent,
      line: document.getElementById("result-model").textContent,
      h: Array.from(document.querySelectorAll("#table tr"), (tr) => tr.cells[1].dataset.value) }));
    const label = `address "${query}"`;
    check(shown.model === model && shown.line === `Модель: ${model}` && shown.search === after,
      `${label}: model ${shown.model}, "${shown.line}", address "${shown.search}"`);
    const h = firstState[registry.findIndex((m) => m.name === model)].values[FIELD_NAMES.indexOf("specific_enthalpy")];
    check(relative(Number(shown.h[hRow]), h) <= 1e-12, `${label}: the values of ${model} (${shown.h[hRow]} / ${h})`);
    if (unknown === null) {
      check(shown.note === null, `${label}: no note (${shown.note})`);
      continue;
    }
    check(shown.note !== null && shown.note.includes(`«${unknown}»`) &&
      registry.every((m) => shown.note.includes(m.name)) && shown.note.endsWith(DEFAULT_MODEL),
    `${label}: the note says so (${shown.note})`);
    await opened.click("#lang-en");
    const en = await opened.$eval("#model-note", (n) => n.textContent);
    check(en.startsWith(`Unknown model "${unknown}"`), `${label}: the note in English (${en})`);
    if (unknown === "gao2024") await opened.screenshot({ path: path.join(out, "13-unknown-model.png") });
    // A model chosen: the note goes, the address names it.
    await opened.select("#model", "gao2023");
    const chosen = await opened.evaluate(() => ({ search: window.location.search,
      note: document.getElementById("model-note").hidden }));
    check(chosen.note && chosen.search === "?model=gao2023", `${label}: then gao2023 chosen (${chosen.search})`);
  }
  await opened.close();

  // --- one state on show, never stale ----------------------------------------------------
  await page.select("#model", DEFAULT_MODEL);
  await page.select("#reference", "default");
  const view = () => page.evaluate(() => ({
    first: document.getElementById("first").value, second: document.getElementById("second").value,
    secondShown: !document.getElementById("second-box").hidden,
    message: document.getElementById("message").hidden ? "" : document.getElementById("message").textContent,
    marker: document.getElementById("marker").getAttribute("visibility") === "visible",
    blank: Array.from(document.querySelectorAll("#table tr, #more-table tr"))
      .every((tr) => tr.cells[1].textContent === ""),
    p: document.querySelectorAll("#table tr")[2].cells[1].dataset.value }));
  // A new pair keeps the value of a quantity it shares with the old one, in that quantity's
  // input, and clears the others; the table and the marker go until the next calculation.
  const PAIR_CHANGES = [
    // [pair, values, the new pair, its inputs after the change]
    ["p-t", [10, 25], "p-rho", ["10", ""]],
    ["p-t", [10, 25], "p-h", ["10", ""]],
    ["p-t", [10, 25], "t-rho", ["25", ""]],
    ["p-t", [10, 25], "ts-liquid", ["25"]],
    ["p-t", [10, 25], "rho-h", ["", ""]],
    ["p-h", [5, 1000], "h-s", ["1000", ""]],
    ["t-h", [25, 1500], "p-t", ["", "25"]],
    ["ps-vapour", [20], "p-x", ["20", ""]],
  ];
  for (const [pair, values, next, after] of PAIR_CHANGES) {
    const label = `${pair} ${values.join(" ")} then ${next}`;
    await enter(pair, ...values);
    const before = await view();
    check(!before.blank && before.marker, `${label}: a state on show first`);
    await page.select("#pair", next);
    const now = await view();
    const inputs = now.secondShown ? [now.first, now.second] : [now.first];
    check(JSON.stringify(inputs) === JSON.stringify(after), `${label}: inputs ${JSON.stringify(inputs)}`);
    check(now.blank && !now.marker && now.message === "", `${label}: the table, marker and message cleared`);
    // Nor does a switch of the language (the state is redrawn only where one is on show).
    await page.click("#lang-en");
    await page.click("#lang-ru");
    const switched = await view();
    check(switched.blank && !switched.marker && switched.message === "",
      `${label}: still nothing after the language switch ("${switched.message}")`);
    // Enter with an input left empty calculates nothing: the form asks for it.
    await page.focus("#first");
    await page.keyboard.press("Enter");
    const entered = await view();
    check(after.includes("") ? entered.blank && !entered.marker : !entered.blank,
      `${label}: Enter ${after.includes("") ? "gives no state" : "gives the state"}`);
  }
  await shot("14-pair-changed");

  // Units changed before Enter: the typed values are converted, not relabelled.
  const TYPED_CONVERSIONS = [
    // [unit chosen, the first value typed (bar), then shown, the table's pressure]
    [{ p: "Pa" }, "2.9", "290000", 290000],
    [{ p: "kPa" }, "2,9", "290", 290],
    [{ p: "psi" }, "2.9", "42.0609439417607", 42.0609439417607],
  ];
  for (const [items, typed, shown, pressure] of TYPED_CONVERSIONS) {
    await chooseUnits("display");
    await page.select("#pair", "p-t");
    await page.click("#first", { clickCount: 3 });
    await page.keyboard.type(typed);
    await page.click("#second", { clickCount: 3 });
    await page.keyboard.type("-20");
    await chooseUnits("display", items);
    const now = await view();
    check(now.first === shown && now.blank && now.message === "",
      `${typed} bar typed, then ${JSON.stringify(items)}: ${now.first}, no state yet "${now.message}"`);
    await page.focus("#second");
    await page.keyboard.press("Enter");
    const entered = await view();
    check(entered.message === "" && relative(Number(entered.p), pressure) <= 1e-12,
      `${typed} bar typed, then ${JSON.stringify(items)}, Enter: ${entered.p} "${entered.message}"`);
  }
  await chooseUnits("display");

  // Every refusal hides the marker and blanks the table, and says which value broke which
  // limit in plain words.
  const REFUSALS = [
    // [pair, first, second, superheat, the message, the words it must not hold]
    ["p-t", "1e400", "25", false, /^Давление: «1e400» — слишком большое число: .*1\.8e308/],
    ["p-t", "10", "-1e400", false, /^Температура: «-1e400» — слишком большое число/],
    ["p-t", "1e-400", "25", false, /^Давление: «1e-400» — слишком малое число: .*для нуля введите 0/],
    ["p-t", "10", "abc", false, /^Температура: «abc» — не число/],
    ["p-t", "2.9 bar", "25", false, /^Давление: «2.9 bar» — не число: .*«Единицы»/],
    ["p-t", "0x10", "25", false, /^Давление: «0x10» — не число/],
    ["p-t", "1 000", "25", false, /^Давление: «1 000» — не число/],
    ["p-t", "10", "500", false, /500 °C .*450 °C/],
    ["p-t", "0", "25", false, /0 бар .*0\.064/],
    ["p-t", "10", "60", true, /^Перегретая жидкость: 60 °C .*43\.64/],
    ["p-t", "10", "100", true, /^Перегретая жидкость: 100 °C .*43\.64/],
  ];
  for (const [pair, first, second, superheat, said] of REFUSALS) {
    const label = `refused ${pair} ${first} ${second}${superheat ? " superheat" : ""}`;
    await enter("p-t", 10, 25);
    check((await view()).marker, `${label}: the marker shown before`);
    await enter(pair, first, second, superheat);
    const now = await view();
    check(now.blank && !now.marker, `${label}: the table blank, the marker hidden`);
    check(said.test(now.message) && !/superheat|=1/.test(now.message), `${label}: "${now.message}"`);
  }
  await enter("p-t", "1e-400", 25);
  await shot("15-refused-too-small");
  // 1e-310 is a number (a subnormal one), refused by the library's domain, not as too small.
  await enter("p-t", "1e-310", 25);
  check(/бар ниже/.test((await view()).message), `1e-310 bar: the library's refusal (${(await view()).message})`);

  // The superheated liquid: marked where its pressure and enthalpy put it.
  for (const [pair, first, second] of [["p-t", 5, 10], ["p-h", 5, 380], ["p-t", 10, 40]]) {
    const label = `superheated liquid ${pair} ${first} ${second}`;
    await enter(pair, first, second, true);
    const rows = await readTable();
    const h = Number(rows[rowField.indexOf(FIELD_NAMES.indexOf("specific_enthalpy"))].value);
    const want = cliMarker(["p-h", String(first), formatG16(h)]);
    const got = await marker();
    check(rows[0].text === "Перегретая ж-ть" && got.visible && Math.abs(got.x - want.x) <= 0.01 &&
      Math.abs(got.y - want.y) <= 0.01, `${label}: marker at ${got.x},${got.y} / ${want.x},${want.y}`);
  }
  await page.$eval("#diagram-box", (d) => d.scrollIntoView());
  await shot("16-superheated-liquid-marker");
  await enter("p-t", 10, 25, false);

  // A supercritical state: the saturated tabs closed, a note why; open again after.
  await page.click("#tab-vapour");
  await enter("p-t", 150, 200);
  const closedTabs = await page.evaluate(() => ({
    disabled: ["liquid", "vapour"].map((s) => document.getElementById(`tab-${s}`).disabled),
    selected: document.querySelector(".tabs [aria-selected=true]").id,
    note: document.getElementById("tabs-note").hidden ? "" : document.getElementById("tabs-note").textContent }));
  check(closedTabs.disabled.every(Boolean) && closedTabs.selected === "tab-requested" &&
    /150 бар/.test(closedTabs.note), `supercritical: tabs closed, the state shown, ${closedTabs.note}`);
  await page.click("#tab-liquid");
  check((await readTable())[0].text === "Закритика", "supercritical: a closed tab is not opened");
  await shot("17-supercritical-tabs");
  await enter("p-t", 10, 25);
  check(await page.evaluate(() => !document.getElementById("tab-liquid").disabled &&
    document.getElementById("tabs-note").hidden), "a subcritical state opens the tabs again");

  // Six significant digits, aligned on the point; the switch shows all sixteen and the
  // address keeps it.
  const pointsAligned = (selector) => page.$$eval(selector, (cells) => {
    const x = cells.map((td) => td.querySelector(".rest")).filter((r) => r && r.textContent.startsWith("."))
      .map((r) => r.getBoundingClientRect().left);
    // Within a pixel: the layout places the spans at fractions of one.
    return x.length > 1 && x.every((v) => Math.abs(v - x[0]) < 1);
  });
  check(await pointsAligned("#table td.num"), "the table's numbers aligned on the point");
  check(await pointsAligned("#more-table td.num"), "the other properties aligned on the point");
  const shortRows = await readTable();
  check(shortRows.every((r) => !r.value || isSixDigitsOf(r.text, Number(r.value))) &&
    shortRows.some((r) => r.value && r.text !== formatG16(Number(r.value))),
  `six digits by default: ${shortRows.map((r) => r.text).join(" ")}`);
  await page.click("#full-digits");
  const fullRows = await readTable();
  check(fullRows.every((r) => !r.value || r.text === formatG16(Number(r.value))) &&
    new URL(page.url()).searchParams.get("digits") === "full",
  `full precision at the switch: ${fullRows[5].text}, address ${page.url()}`);
  check(await pointsAligned("#table td.num"), "full precision aligned on the point");
  await shot("18-full-precision");
  await page.click("#full-digits");
  check(!new URL(page.url()).searchParams.has("digits") && (await readTable())[5].text === shortRows[5].text,
    `six digits again, the address without digits (${page.url()})`);
  // The saturation table: six digits, the liquid and the vapour at one temperature at one
  // pressure; at the switch, every digit.
  await page.click("#tables-range", { clickCount: 3 });
  await page.keyboard.type("-70:130:10");
  await page.keyboard.press("Enter");
  await page.waitForSelector("#tables-download:not([hidden])");
  // The pressure: the second column, one for the liquid and the vapour at each temperature.
  const satPressures = () => page.$$eval("#tables-table tbody tr", (rows) => rows.map((tr) => tr.cells[1].textContent));
  const satShort = await satPressures();
  const satCsvP = satCsvPressures(await page.evaluate(() => window.lastCsv));
  check(satShort.length === satCsvP.length / 2 && satCsvP.every((p, i) => i % 2 === 1 || p === satCsvP[i + 1]) &&
    satShort.every((t, i) => isSixDigitsOf(t, satCsvP[2 * i])),
  `saturation: the liquid's and the vapour's pressure alike, shown once (${satShort.slice(0, 2).join(" ")})`);
  check(await pointsAligned("#tables-table td.num:nth-child(2)"), "saturation pressures aligned on the point");
  await page.click("#full-digits");
  const satFull = await satPressures();
  check(satFull.every((t, i) => t === formatG16(satCsvP[2 * i])), `saturation at full precision: ${satFull[0]}`);
  await page.click("#full-digits");
  // Addresses with the switch: the digits and the model each kept.
  const DIGIT_ADDRESSES = [
    // [query, full precision, model]
    ["?digits=full", true, DEFAULT_MODEL],
    ["?model=gao2023&digits=full", true, "gao2023"],
    ["?digits=6", false, DEFAULT_MODEL],
    ["?model=gao2023", false, "gao2023"],
  ];
  const other = generous(await browser.newPage());
  other.on("pageerror", (e) => problems.push(`page error (digits): ${e.message}`));
  for (const [query, full, model] of DIGIT_ADDRESSES) {
    await other.goto(`${origin}/${query}`, { waitUntil: "networkidle0" });
    await other.waitForSelector("body[data-ready='1']", { timeout: WAIT_MS });
    const got = await other.evaluate(() => ({
      checked: document.getElementById("full-digits").checked, model: document.getElementById("model").value,
      v: Array.from(document.querySelectorAll("#table tr"), (tr) => [tr.cells[1].textContent, tr.cells[1].dataset.value]) }));
    const texts = got.v.filter(([, v]) => v);
    const ok = texts.every(([t, v]) => (full ? t === formatG16(Number(v)) : isSixDigitsOf(t, Number(v))));
    check(got.checked === full && got.model === model && ok, `address "${query}": ${got.checked} ${got.model}`);
  }
  await other.close();

  // Both models named with their sources, from the registry and the web build.
  const modelsText = await page.$eval("#models", (m) => m.textContent);
  check(registry.every((m) => modelsText.includes(m.name) && modelsText.includes(m.description)) &&
    ["1993", "Gao", "Lemmon", "J. Phys. Chem. Ref. Data 52, 013102 (2023)", "Monogenidou", "Assael",
      "Huber", "(2018)"].every((w) => modelsText.includes(w)), `the models and their sources: ${modelsText}`);

  // --- the property tables: each kind against the command line's CSV ----------------------
  // The table on show, read back: each column's field and side (its head's data), each row's
  // cells at every digit (data-value; null where blank), its refusal and whether it is a
  // saturated state inserted at a crossing.
  const readTables = () => page.evaluate(() => {
    const table = document.getElementById("tables-table");
    const shownText = (id) => (document.getElementById(id).hidden ? null : document.getElementById(id).textContent);
    return {
      heads: Array.from(table.tHead?.rows[0].cells ?? [], (th) =>
        ({ field: th.dataset.field, side: th.dataset.side, text: th.textContent })),
      rows: Array.from(table.tBodies[0]?.rows ?? [], (tr) => ({
        values: Array.from(tr.cells, (c) => c.dataset.value ?? null),
        texts: Array.from(tr.cells, (c) => c.textContent),
        refusal: tr.querySelector("td.refusal")?.textContent ?? null,
        inserted: tr.classList.contains("inserted") })),
      message: shownText("tables-message"), model: shownText("tables-model"),
      download: !document.getElementById("tables-download").hidden, csv: window.lastCsv,
      made: window.tablesMade ?? 0,
    };
  });
  // A table made as a person makes it: the kind chosen, the value held and the range typed,
  // Enter.
  const makeTable = async (kind, fixed, range) => {
    await page.select("#tables-kind", kind);
    if (fixed !== undefined && fixed !== null) {
      await page.click("#tables-fixed", { clickCount: 3 });
      await page.keyboard.type(String(fixed));
    }
    await page.click("#tables-range", { clickCount: 3 });
    await page.keyboard.type(range);
    const before = await page.evaluate(() => window.tablesMade ?? 0);
    await page.keyboard.press("Enter");
    await page.waitForFunction((n) => (window.tablesMade ?? 0) > n, {}, before);
    return readTables();
  };
  // The page's table against a CSV of the command line, value by value at full precision: the
  // first column the row's varied value, each other column its field on the liquid's or the
  // vapour's line (a saturation table has both lines of a temperature or pressure in one row),
  // the phase names as they are, a refused row its reason (the English one, as the CSV's).
  // Answers what differs, or "".
  function sameLayout(shown, want, saturation, english) {
    const lines = parseCsv(want);
    const header = lines[0];
    const at = (line, name) => line[header.indexOf(name)];
    const data = lines.slice(2);
    const groups = [];
    for (let i = 0; i < data.length; i++) {
      groups.push(saturation ? [data[i], data[++i]] : [data[i]]);
    }
    if (groups.length !== shown.rows.length) return `${shown.rows.length} rows / ${groups.length}`;
    for (let i = 0; i < groups.length; i++) {
      const row = shown.rows[i], group = groups[i];
      if (group.every((l) => at(l, "status") !== "0")) {
        if (row.refusal === null || (english && row.refusal !== at(group[0], "error"))) {
          return `row ${i + 1}: refusal "${row.refusal}" / "${at(group[0], "error")}"`;
        }
        continue;
      }
      for (let k = 0; k < shown.heads.length; k++) {
        const { field, side } = shown.heads[k];
        const line = side === "vapour" ? group[1] : group[0];
        if (field === "phase_name") {
          if (row.texts[k] !== at(line, field)) return `row ${i + 1}: phase ${row.texts[k]}`;
          continue;
        }
        const expected = at(line, field), got = row.values[k];
        if (expected === "" || got === null) {
          if (expected !== "" || got !== null) return `row ${i + 1}, ${field} ${side}: ${got} / ${expected}`;
          continue;
        }
        if (relative(Number(got), Number(expected)) > tolerance(field, Number(expected))) {
          return `row ${i + 1}, ${field} ${side}: ${got} / ${expected}`;
        }
      }
    }
    return "";
  }
  await page.click("#lang-ru");
  const TABLE_CASES = [
    // Each kind in other units, on another reference state and model, in either language; two
    // crossing the saturation line (its liquid and vapour inserted), one partly outside the
    // domain (its refused rows with their reasons).
    { kind: "saturation-t", range: "-60:120:20", system: "display", reference: "default",
      model: "tr1993", lang: "ru", argv: ["saturation", "t=-60:120:20"] },
    { kind: "saturation-p", range: "100000:5000000:*2", system: "si", reference: "iir",
      model: "gao2023", lang: "en", argv: ["saturation", "p=100000:5000000:*2"] },
    { kind: "isobar", fixed: "1000", range: "223.15:473.15:25", system: "display",
      items: { p: "kPa", t: "K" }, reference: "default", model: "tr1993", lang: "en",
      argv: ["isobar", "p=1000", "t=223.15:473.15:25"], inserted: 2 },
    { kind: "isotherm", fixed: "25", range: "100000:10000000:*1.5", system: "si-celsius",
      reference: "ashrae", model: "gao2023", lang: "ru",
      argv: ["isotherm", "t=25", "p=100000:10000000:*1.5"], inserted: 2 },
    { kind: "isochore", fixed: "100", range: "-50:300:25", system: "display", reference: "nbp",
      model: "tr1993", lang: "en", argv: ["isochore", "rho=100", "t=-50:300:25"] },
    { kind: "isobar", fixed: "10", range: "400:500:25", system: "display", reference: "default",
      model: "gao2023", lang: "en", argv: ["isobar", "p=10", "t=400:500:25"], refused: 2 },
  ];
  let tableNumbers = 0, tableNumbersNotIdentical = 0;
  for (const c of TABLE_CASES) {
    const choice = choiceOf(c.system, c.items);
    const label = `table ${c.argv.join(" ")} (${choice}, ${c.reference}, ${c.model}, ${c.lang})`;
    await page.click(`#lang-${c.lang}`);
    await chooseUnits(c.system, c.items);
    await page.select("#reference", c.reference);
    await page.select("#model", c.model);
    const shown = await makeTable(c.kind, c.fixed, c.range);
    let want;
    try {
      want = calc(["table", ...c.argv, "--csv", "--units", choice, "--reference", c.reference,
        "--model", c.model, "--lang", c.lang]);
    } catch (e) {
      want = e.stdout;
    }
    const same = sameCsv(shown.csv ?? "", want, c.model);
    tableNumbers += same.numbers;
    tableNumbersNotIdentical += same.notIdentical;
    check(shown.download && same.ok, `${label}: the CSV as zeltra5-calc's: ${same.why}`);
    const saturation = c.kind.startsWith("saturation");
    const differs = sameLayout(shown, want, saturation, c.lang === "en");
    check(differs === "", `${label}: the table's values as zeltra5-calc's CSV ${differs}`);
    check(shown.model === `${c.lang === "ru" ? "Модель" : "Model"}: ${c.model}`, `${label}: names its model (${shown.model})`);
    check(shown.rows.filter((r) => r.inserted).length === (c.inserted ?? 0),
      `${label}: ${c.inserted ?? 0} saturated states inserted`);
    check(shown.rows.filter((r) => r.refusal !== null).length === (c.refused ?? 0) &&
      shown.message === null, `${label}: ${c.refused ?? 0} refused rows, no message (${shown.message})`);
    if (saturation) {
      // One row per value: one pressure (or temperature) and one latent heat for both sides,
      // the liquid's and the vapour's density, enthalpy and entropy.
      const heads = shown.heads.map((h) => `${h.field} ${h.side}`);
      const varied = c.kind === "saturation-t" ? "temperature" : "pressure";
      const other = c.kind === "saturation-t" ? "pressure" : "temperature";
      const wantHeads = [`${varied} `, `${other} liquid`, "mass_density liquid", "mass_density vapour",
        "specific_enthalpy liquid", "specific_enthalpy vapour", "latent_heat liquid",
        "specific_entropy liquid", "specific_entropy vapour"];
      check(JSON.stringify(heads) === JSON.stringify(wantHeads), `${label}: the columns ${heads.join(", ")}`);
      // The liquid and the vapour at one value: one pressure and one temperature, every digit.
      const lines = parseCsv(want).slice(2);
      const column = (name) => parseCsv(want)[0].indexOf(name);
      check(lines.every((l, i) => i % 2 === 1 || (l[column(other)] === lines[i + 1][column(other)] &&
        l[column("latent_heat")] === lines[i + 1][column("latent_heat")])) &&
        shown.rows.length * 2 === lines.length, `${label}: the liquid and the vapour at one ${varied} alike`);
    }
    if (c.kind === "isobar" && c.refused === undefined) {
      await page.$eval("#tables", (d) => d.scrollIntoView());
      await shot("19-tables-isobar");
    }
  }
  console.log(`tables: ${TABLE_CASES.length} cases; of ${tableNumbers} numbers in their CSV ` +
    `${tableNumbersNotIdentical} not bit-identical to zeltra5-calc's`);

  // The columns chosen: more fields, each for the liquid and the vapour, the surface tension
  // once (the liquid's); one dropped; the same table laid out again, not calculated again.
  await page.click("#lang-ru");
  await chooseUnits("display");
  await page.select("#reference", "default");
  await page.select("#model", DEFAULT_MODEL);
  const satShown = await makeTable("saturation-t", null, "-40:40:20");
  const satWant = calc(["table", "saturation", "t=-40:40:20", "--csv", "--model", DEFAULT_MODEL]);
  await page.click("#tables-columns summary");
  for (const name of ["specific_volume", "speed_of_sound", "surface_tension", "dynamic_viscosity", "mass_density"]) {
    await page.click(`#tables-columns input[value=${name}]`);
  }
  const more = await readTables();
  const moreHeads = more.heads.map((h) => `${h.field} ${h.side}`);
  const columnsWant = ["temperature ", "pressure liquid", "specific_volume liquid", "specific_volume vapour",
    "specific_enthalpy liquid", "specific_enthalpy vapour", "latent_heat liquid", "specific_entropy liquid",
    "specific_entropy vapour", "speed_of_sound liquid", "speed_of_sound vapour", "dynamic_viscosity liquid",
    "dynamic_viscosity vapour", "surface_tension liquid"];
  check(JSON.stringify(moreHeads) === JSON.stringify(columnsWant), `columns chosen: ${moreHeads.join(", ")}`);
  check(more.heads.filter((h) => h.field === "speed_of_sound").map((h) => h.text[0] + h.text[1]).join() === "w′,w″",
    `columns chosen: the liquid's and the vapour's marked (${more.heads.map((h) => h.text).join(" | ")})`);
  const moreDiffers = sameLayout(more, satWant, true, false);
  check(moreDiffers === "" && more.made === satShown.made && more.csv === satShown.csv,
    `columns chosen: the values as zeltra5-calc's, the table not made again ${moreDiffers}`);
  await page.$eval("#tables", (d) => d.scrollIntoView());
  await shot("20-tables-columns");
  // The copy: the columns shown, every digit, the model named.
  const tablesCopy = await clip("#tables-copy");
  const copyLines = tablesCopy.replace(/\n$/, "").split("\n").map((l) => l.split("\t"));
  check(copyLines.length === more.rows.length + 2 && copyLines[0].length === more.heads.length &&
    copyLines[0][2].startsWith("v′, ") && copyLines.at(-1).join() === `Модель,${DEFAULT_MODEL}` &&
    more.rows.every((r, i) => r.values.every((v, k) => v === null || copyLines[i + 1][k] === formatG16(Number(v)))),
  `the copied table: its heads, every digit, the model (${copyLines[0].join(" | ")})`);
  // The choice stays with the kind: the saturation table by pressure has its own.
  await page.select("#tables-kind", "saturation-p");
  check(await page.$eval("#tables-columns input[value=mass_density]", (b) => b.checked) &&
    (await readTables()).rows.length === 0, "another kind: its own columns, the table gone");

  // A new kind keeps the range where it runs over the same quantity and the value held where
  // it holds the same one, else starts from its own in the page's units.
  await chooseUnits("si");
  const KIND_CHANGES = [
    // [kind, the value held, the range after the change]
    ["saturation-t", null, "203.15:403.15:10"],
    ["isobar", "1000000", "203.15:403.15:10"],
    ["isotherm", "298.15", "100000:10000000:*1.5"],
    ["saturation-p", null, "100000:10000000:*1.5"],
    ["isochore", "100", "223.15:573.15:10"],
  ];
  for (const [kind, fixed, range] of KIND_CHANGES) {
    await page.select("#tables-kind", kind);
    const form = await page.evaluate(() => ({ fixed: document.getElementById("tables-fixed-box").hidden
      ? null : document.getElementById("tables-fixed").value, range: document.getElementById("tables-range").value }));
    check(form.fixed === fixed && form.range === range, `kind ${kind} chosen: ${form.fixed}, ${form.range}`);
  }
  await chooseUnits("display");

  // Refusals in plain words: no table then, unless every row is outside the domain (then the
  // table and a message with the first row's reason).
  const TABLE_REFUSALS = [
    // [kind, the value held, the range, the message, a table shown]
    ["isobar", "abc", "0:100:10", /^Давление: «abc» — не число/, false],
    ["isochore", "1e400", "0:100:10", /^Плотность: «1e400» — слишком большое число/, false],
    ["isobar", "2000", "0:100:10",
      /^Ни одна строка таблицы не лежит в области расчёта: давление 2000 бар выше 844\.\d+ бар$/, true],
    ["isotherm", "25", "0:10:0", /^(диапазон|range) "0:10:0"/, false],
    ["saturation-t", null, "-70:130:0.1",
      /^Значений в диапазоне 2001, а таблица на странице — не больше 1000 строк: увеличьте шаг/, false],
  ];
  for (const [kind, fixed, range, said, table] of TABLE_REFUSALS) {
    const shown = await makeTable(kind, fixed, range);
    const label = `table ${kind} ${fixed ?? ""} ${range} refused`;
    check(said.test(shown.message ?? "") && !/=|superheat/.test(shown.message),
      `${label}: "${shown.message}"`);
    check(shown.download === table && (shown.rows.length > 0) === table &&
      shown.rows.every((r) => r.refusal !== null && shown.message.endsWith(r.refusal)),
    `${label}: ${table ? "its rows refused with the reason" : "no table"}`);
    if (fixed === "2000") {
      await page.$eval("#tables", (d) => d.scrollIntoView());
      await shot("21-tables-refused");
    }
  }

  // A table of 200 rows: the time from Enter to the table laid out (the median of five), and of
  // it the library's, printed as figures.
  const tableTimes = [];
  for (const [kind, fixed, range] of [["saturation-t", null, "-70:129:1"], ["isobar", "10", "-50:149:1"]]) {
    await makeTable(kind, fixed, range);
    const runs = [];
    for (let k = 0; k < 5; ++k) {
      runs.push(await page.evaluate(() => {
        const t0 = performance.now();
        document.getElementById("tables-form").requestSubmit();
        void document.getElementById("tables-table").offsetHeight;  // laid out
        return [performance.now() - t0, window.tableLibraryMs];
      }));
    }
    runs.sort((a, b) => a[0] - b[0]);
    const [ms, libraryMs] = runs[2];
    const rows = (await readTables()).rows.length;
    check(rows >= 200, `${kind} ${range}: ${rows} rows`);
    tableTimes.push(`${kind} ${rows} rows ${ms.toFixed(0)} ms (the library ${libraryMs.toFixed(0)} ms)`);
  }
  console.log(`tables of 200 values, Enter to laid out: ${tableTimes.join("; ")}`);

  // --- phone width ------------------------------------------------------------------------
  await page.setViewport({ width: 390, height: 844 });
  await enter("p-t", 10, 25);
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth);
  check(overflow <= 390, `no horizontal scrolling at phone width (${overflow} px)`);
  await shot("09-phone");
  // Every visible control is a tap target of at least 40 px each way (a checkbox by its label).
  const small = await page.evaluate(() => {
    const out = [];
    const controls = document.querySelectorAll(
      "button, select, input:not([type=checkbox]), summary, a[download], label:has(> input[type=checkbox])");
    for (const e of controls) {
      const r = e.getBoundingClientRect();
      const hidden = r.width === 0 || r.height === 0 || getComputedStyle(e).visibility === "hidden";
      if (!hidden && (r.height < 39.5 || r.width < 39.5)) {
        out.push(`${e.tagName.toLowerCase()}#${e.id || ""} ${e.textContent.trim().slice(0, 20)} ${r.width.toFixed(0)}x${r.height.toFixed(0)}`);
      }
    }
    return out;
  });
  check(small.length === 0, `phone: every control at least 40 px (${small.slice(0, 5).join("; ")})`);
  // The new states at phone width: a refusal, the superheated liquid, the closed tabs.
  for (const [name, pair, first, second, superheat] of [["refused", "p-t", "1e400", 25],
    ["superheated", "p-t", 5, 10, true], ["supercritical", "p-t", 150, 200]]) {
    await enter(pair, first, second, superheat);
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    check(width <= 390, `${name} at phone width: no horizontal scrolling (${width} px)`);
    await shot(`09-phone-${name}`);
  }
  // A table at phone width: it scrolls sideways in its box, its first column staying put; the
  // page does not.
  const phoneTable = await makeTable("saturation-t", null, "-70:130:10");
  await page.$eval("#tables", (d) => d.scrollIntoView());
  await shot("09-phone-tables");
  const sticky = await page.evaluate(async () => {
    const box = document.getElementById("tables-scroll");
    const row = document.querySelector("#tables-table tbody tr");
    const at = () => ({ first: row.cells[0].getBoundingClientRect().left,
      other: row.cells[4].getBoundingClientRect().left });
    const before = at();
    box.scrollLeft = 150;
    await new Promise((done) => requestAnimationFrame(() => done()));
    return { before, after: at(), scrolled: box.scrollLeft, box: box.getBoundingClientRect().left,
      wide: box.scrollWidth > box.clientWidth, page: document.documentElement.scrollWidth };
  });
  check(phoneTable.rows.length === 21 && sticky.wide && sticky.scrolled > 0 &&
    Math.abs(sticky.after.first - sticky.before.first) < 1 && Math.abs(sticky.after.first - sticky.box) < 1 &&
    Math.abs(sticky.after.other - (sticky.before.other - sticky.scrolled)) < 1,
  `phone: the table scrolls sideways, its first column stays (${JSON.stringify(sticky)})`);
  check(sticky.page <= 390, `phone: a table, no horizontal scrolling of the page (${sticky.page} px)`);
  await (await page.$("#tables")).screenshot({ path: path.join(out, "09-phone-tables-scrolled.png") });
  await enter("p-t", 10, 25, false);
  await page.setViewport({ width: 1280, height: 1000 });

  const cycleMs = await testCycleView(browser, origin, problems, out);
  const addressReadyMs = await testAddresses(browser, origin, problems);
  const printed = await testPrint(browser, origin, problems, out);
  await cycleFirstView(browser, origin, problems, out);
  await cycleFormLabels(browser, origin, problems, out);
  console.log(`cycle: ${cycleMs.toFixed(1)} ms per cycle (median of 7: calculation, both drawings, ` +
    `the tables); an address with a state and a cycle shown ${addressReadyMs.toFixed(0)} ms after the ` +
    `navigation began; printed: ${printed}`);

  // --- the library over a wide grid, against the command line's batch --------------------
  const grid = makeGrid();
  const batchIn = grid.map(([pair, a, b, side]) => `${pair},${side},${a},${b}`).join("\n") + "\n";
  const batch = execFileSync(calcPath, ["--batch"], { input: batchIn, encoding: "utf8" })
    .trimEnd().split("\n").slice(2).map((l) => l.split(","));
  const web = await page.evaluate((g) => g.map(([pair, a, b, side]) => {
    const sh = (pair.startsWith("ps-") || pair.startsWith("ts-")) ? 0 : side;
    const r = window.zeltra5.calculate(pair, a, b,
      `units=display;reference=default;lang=ru;superheat=${sh}`, 0);
    return [r.status, r.values.map((v) => (Number.isFinite(v) ? v : null))];
  }), grid);
  let fields = 0, above = 0, worst = 0, worstAt = "", statusDiffers = 0, wellWorst = 0;
  let extended = 0, extendedWorst = 0;
  const histogram = {};
  grid.forEach((g, i) => {
    const row = batch[i];
    const status = Number(row[0]);
    if (!check(status === web[i][0], `grid ${g.join(" ")}: status ${web[i][0]} / ${status}`)) {
      statusDiffers++;
      return;
    }
    if (status !== 0) return;
    FIELD_NAMES.forEach((name, k) => {
      const want = row[6 + k] === "" ? null : Number(row[6 + k]);
      const got = web[i][1][k];
      if (want === null || got === null) {
        check(want === got, `grid ${g.join(" ")}: ${name} defined ${got} / ${want}`);
        return;
      }
      fields++;
      const rel = relative(got, want);
      if (rel > 1e-12) {
        above++;
        histogram[name] = (histogram[name] || 0) + 1;
      }
      if (tolerance(name, want) === 1e-12) wellWorst = Math.max(wellWorst, rel);
      check(rel <= tolerance(name, want), `grid ${g.join(" ")}: ${name} ${got} / ${want}`);
      if (rel > worst) { worst = rel; worstAt = `${g.join(" ")} ${name}`; }
    });
    // The outputs after the nineteen: the batch's columns after phase_name, the page's values
    // after the nineteen; defined alike, and the same numbers to 1e-9.
    for (let k = FIELD_NAMES.length; k < web[i][1].length; k++) {
      const cell = row[6 + k + 3];
      const want = cell === "" ? null : Number(cell);
      const got = web[i][1][k];
      const what = `grid ${g.join(" ")}: extended field ${k}`;
      if (want === null || got === null) {
        check(want === got, `${what} defined ${got} / ${want}`);
        continue;
      }
      extended++;
      const rel = relative(got, want);
      extendedWorst = Math.max(extendedWorst, rel);
      check(rel <= 1e-9, `${what} ${got} / ${want}`);
    }
  });
  console.log(`grid: ${grid.length} states, ${fields} fields; ${above} above 1e-12 relative ` +
    `${JSON.stringify(histogram)}; worst ${worst.toExponential(2)} (${worstAt}); worst of the ` +
    `others ${wellWorst.toExponential(2)}; statuses differing ${statusDiffers}; ${extended} ` +
    `extended fields, worst ${extendedWorst.toExponential(2)}`);

  await diagramWorkbench(page, { enter, shot, readTable });
  await plotAcrossSaturation(page, shot);

  // --- benchmark: figures printed, not timed as a test ------------------------------------
  const bench = await page.evaluate((g) => {
    const states = g.slice(0, 1000);
    const t0 = performance.now();
    for (const [pair, a, b, side] of states) {
      const sh = (pair.startsWith("ps-") || pair.startsWith("ts-")) ? 0 : side;
      window.zeltra5.calculate(pair, a, b, `units=display;reference=default;lang=ru;superheat=${sh}`, 0);
    }
    const perState = (performance.now() - t0) / states.length;
    const draws = [];
    for (const units of ["si", "display", "si", "display", "si", "display"]) {
      document.getElementById("units").value = units;
      for (const key of ["p", "t", "h", "s"]) {
        document.getElementById(`unit-${key}`).value = window.zeltra5.systemUnit(units, key);
      }
      window.zeltra5.drawDiagram();
      draws.push([window.diagramDrawMs, window.diagramSvgMs]);
    }
    return { perState, draws };
  }, grid);
  const uiTimes = [];
  for (const [pair, first, second] of UI_GRID.slice(0, 10)) {
    const t = await page.evaluate(async (p, a, b) => {
      const t0 = performance.now();
      document.getElementById("pair").value = p;
      document.getElementById("pair").dispatchEvent(new Event("change"));
      document.getElementById("first").value = a;
      document.getElementById("second").value = b ?? "";
      document.getElementById("state").requestSubmit();
      return performance.now() - t0;
    }, pair, first, second);
    uiTimes.push(t);
  }
  const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];
  const siteBytes = fs.readdirSync(site).reduce((s, f) => s + fs.statSync(path.join(site, f)).size, 0);
  console.log(`benchmark: ${bench.perState.toFixed(3)} ms per calculation (1000 states, ` +
    `zeltra5_calculate from JavaScript); ${median(uiTimes).toFixed(2)} ms per Enter (median of ` +
    `10: the state, both saturated states, the table and the marker); default diagram drawn in ` +
    `${median(bench.draws.map((d) => d[0])).toFixed(1)} ms (median of 6; the library's SVG ` +
    `${median(bench.draws.map((d) => d[1])).toFixed(1)} ms of it); page ready ` +
    `${readyMs.toFixed(0)} ms after the navigation began (module, diagram, first state); ` +
    `download ${bytes} bytes (site ${siteBytes} bytes)`);
  check(afterLoad.length === 0, `no network request after the page loaded: ${afterLoad.join(" ")}`);
  check(problems.length === 0, `no page errors: ${problems.join("; ")}`);
  console.log(`screenshots: ${out}`);
  console.log(`status counts of the form's tables: ${JSON.stringify(tabStatus)}`);
} finally {
  await browser.close();
  server.close();
}
console.log(failures === 0 ? "web_browser: all checks passed" : `web_browser: ${failures} checks failed`);
process.exit(failures === 0 ? 0 : 1);

// A CSV of the page against the command line's: the same lines and cells, every text byte for
// byte, every number within the tolerance of the states above (the WebAssembly build's libm
// rounds pow, for one, a unit in the last place apart from glibc's for some arguments). Counts
// the numbers that are not written identically. The page's CSV names `model` on each row, in
// its column "model"; where the command line's has no such column, the page's last is left
// out of the comparison.
function sameCsv(gotWithModel, want, model = DEFAULT_MODEL) {
  const named = csvModels(gotWithModel);
  if (!named.ok || named.models.some((m) => m !== model)) {
    return { ok: false, why: `the model column: ${named.why ?? named.models.join(" ")}`,
      numbers: 0, notIdentical: 0 };
  }
  const got = want.split("\n")[0].split(",").includes("model") ? gotWithModel
    : gotWithModel.split("\n").map((l) => (l === "" ? l : l.slice(0, l.lastIndexOf(",")))).join("\n");
  const result = { ok: got === want, why: "identical", numbers: 0, notIdentical: 0 };
  const gotLines = got.split("\n"), wantLines = want.split("\n");
  const header = wantLines[0].split(",");
  if (gotLines.length !== wantLines.length) {
    return { ...result, ok: false, why: `${gotLines.length} / ${wantLines.length} lines` };
  }
  for (let i = 0; i < wantLines.length; i++) {
    const a = gotLines[i].split(","), b = wantLines[i].split(",");
    if (a.length !== b.length) return { ...result, ok: false, why: `line ${i + 1}: cells` };
    for (let k = 0; k < b.length; k++) {
      const number = i >= 2 && FIELD_NAMES.includes(header[k]) && /^[-+0-9.e]+$/.test(b[k]);
      if (number) result.numbers++;
      if (a[k] === b[k]) continue;
      if (!number || relative(Number(a[k]), Number(b[k])) > tolerance(header[k], Number(b[k]))) {
        return { ...result, ok: false, why: `line ${i + 1}, ${header[k]}: ${a[k]} / ${b[k]}` };
      }
      result.notIdentical++;
    }
  }
  return { ...result, ok: true,
    why: result.notIdentical === 0 ? "identical" : `${result.notIdentical} numbers within the tolerance` };
}

// The models a CSV of the page names, one per row after the units line (blank there); ok false
// without its column "model".
function csvModels(csv) {
  const lines = csv.split("\n").filter((l) => l !== "");
  const header = (lines[0] ?? "").split(",");
  const column = header.indexOf("model");
  if (column < 0) return { ok: false, why: "no column \"model\"", models: [] };
  // The last column read from the end: a refused row's reason may hold commas.
  const cells = lines.map((l) => (column === header.length - 1
    ? l.slice(l.lastIndexOf(",") + 1) : l.split(",")[column]));
  return { ok: cells[1] === "", why: cells[1] === "" ? null : "units line", models: cells.slice(2) };
}

// The pressures of a saturation CSV, one per row after the units line.
function satCsvPressures(csv) {
  const lines = csv.trimEnd().split("\n").map((l) => l.split(","));
  const column = lines[0].indexOf("pressure");
  return lines.slice(2).map((l) => Number(l[column]));
}

// Whether a table's text shows v with six significant digits: its number is v rounded to six,
// and it has no more than six digits after its leading zeros.
function isSixDigitsOf(text, v) {
  const digits = text.replace(/e.*$/, "").replace(/[-+.]/g, "").replace(/^0+/, "");
  const significant = /e/.test(text) || /\./.test(text) ? digits : digits.replace(/0+$/, "");
  return Number(text) === Number(v.toPrecision(6)) && significant.length <= 6;
}

// As C's %.16g (the program's table).
function formatG16(v) {
  if (v === 0) return "0";
  const [mantissa, exp] = v.toExponential(15).split("e");
  const e = Number(exp);
  const trim = (s) => (s.includes(".") ? s.replace(/0+$/, "").replace(/\.$/, "") : s);
  if (e >= -4 && e < 16) return trim(v.toFixed(Math.max(0, 15 - e)));
  return `${trim(mantissa)}e${e < 0 ? "-" : "+"}${String(Math.abs(e)).padStart(2, "0")}`;
}

// Every pair across the domain and around it, in display units: [pair, first, second, side].
function makeGrid() {
  const p = [0.07, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 113, 150, 300, 1000];
  const t = [-77, -70, -50, -33.3, -20, 0, 20, 40, 60, 80, 100, 120, 132, 140, 200, 300, 450];
  const g = [];
  for (const a of p) {
    for (const b of t) g.push(["p-t", a, b, 0]);
    for (const b of [0, 0.1, 0.5, 0.9, 1]) g.push(["p-x", a, b, 0]);
    g.push(["ps-liquid", a, 0, 1], ["ps-vapour", a, 0, 2]);
    for (const b of [-50, 0, 100, 300, 600, 1000, 1400, 1600, 1800, 2200]) g.push(["p-h", a, b, 0]);
    for (const b of [-50, 100, 300, 600, 1000, 1400, 1500, 1700]) g.push(["p-u", a, b, 0]);
    for (const b of [-0.2, 0.5, 1.5, 3, 5, 6, 7, 9]) g.push(["p-s", a, b, 0]);
    for (const b of [0.05, 0.5, 5, 50, 200, 400, 600, 700]) g.push(["p-rho", a, b, 0]);
    for (const b of [-20, 0, 20]) g.push(["p-t", a, b, 1]);
    for (const b of [100, 300, 500]) g.push(["p-h", a, b, 1]);
  }
  for (const a of t) {
    g.push(["ts-liquid", a, 0, 1], ["ts-vapour", a, 0, 2]);
    for (const b of [0.05, 0.5, 5, 50, 200, 400, 600, 700]) g.push(["t-rho", a, b, 0]);
    for (const b of [0, 0.2, 1]) g.push(["t-x", a, b, 0]);
    for (const b of [100, 500, 1000, 1500]) g.push(["t-h", a, b, 0], ["t-u", a, b, 0]);
    for (const b of [1, 4, 6]) g.push(["t-s", a, b, 0]);
  }
  for (const a of [0.5, 5, 50, 300, 600]) {
    for (const b of [300, 1000, 1500, 2000]) g.push(["rho-h", a, b, 0], ["rho-u", a, b, 0]);
    for (const b of [1, 4, 6]) g.push(["rho-s", a, b, 0]);
  }
  for (const a of [300, 1000, 1500, 2000]) {
    for (const b of [1, 4, 6, 8]) g.push(["h-s", a, b, 0]);
  }
  return g;
}

// A CSV as rows of cells: a quoted cell may hold commas, doubled quotes and line ends.
function parseCsv(text) {
  const rows = [];
  let row = [], cell = "", quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') { cell += '"'; i++; } else if (c === '"') quoted = false;
      else cell += c;
    } else if (c === '"') quoted = true;
    else if (c === ",") { row.push(cell); cell = ""; }
    else if (c === "\n") { row.push(cell); rows.push(row); row = []; cell = ""; }
    else cell += c;
  }
  if (cell !== "" || row.length > 0) rows.push([...row, cell]);
  return rows;
}

// --- diagram workbench ---
// The diagram as a workbench: zoom and pan windows drawn by the library, the state under the
// pointer and a click against the command line, the session's states, a property along a line,
// the phone. `ui` holds the main sequence's helpers (enter, shot, readTable).
async function diagramWorkbench(page, ui) {
  const { enter, shot, readTable } = ui;
  const wb = () => page.evaluate(() => {
    const w = window.zeltra5.workbench.wb;
    const m = document.querySelector("#diagram svg #marker");
    const rect = document.querySelector("#diagram svg clipPath rect");
    return { window: w.window, ends: window.zeltra5.workbench.windowEnds(), type: w.type, history: w.history.map((h) => h.n),
      marker: m && m.getAttribute("visibility") === "visible"
        ? [Number(m.getAttribute("cx")), Number(m.getAttribute("cy"))] : null,
      rect: ["x", "y", "width", "height"].map((k) => Number(rect.getAttribute(k))),
      ticks: [...document.querySelectorAll("#diagram svg #ticks text")].map((t) => t.textContent),
      lines: document.querySelectorAll("#diagram svg #lines path").length };
  });
  // The diagram's values at a point of its drawing, by the library.
  const locate = (x, y) => page.evaluate((a, b) => window.zeltra5.workbench.locate([a, b]), x, y);
  const toClient = (x, y) => page.evaluate((a, b) => {
    const svg = document.querySelector("#diagram svg");
    const p = new DOMPoint(a, b).matrixTransform(svg.getScreenCTM());
    return [p.x, p.y];
  }, x, y);
  const frames = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  const num = (text, symbol) => {
    const m = text.match(new RegExp(`(?:^|, )${symbol} = (\\S+)`));
    return m ? Number(m[1]) : NaN;
  };
  const near = (a, b, rel) => Math.abs(a - b) <= rel * Math.max(Math.abs(a), Math.abs(b), 1e-300);
  await page.click("#lang-ru");
  // A state near the middle of the diagram: on show in every window the zoom steps give.
  const [p0, h0] = [4, 1000];
  await enter("p-h", p0, h0);
  await page.$eval("#diagram-box", (d) => d.scrollIntoView());
  // The marker's place is written to 0.01 drawing units: the values there within that.
  const onState = (d, m) => {
    const e = d.ends;
    return m !== null && Math.abs(m[0] - h0) <= 0.006 * (e[1] - e[0]) / d.rect[2] &&
      Math.abs(Math.log(m[1] / p0)) <= 0.006 * Math.log(e[3] / e[2]) / d.rect[3];
  };
  const whole = await wb();
  check(whole.window === null && whole.marker !== null, "workbench: the whole diagram, the marker on it");
  const located0 = await locate(...whole.marker);
  check(onState(whole, located0), `workbench: the marker at h, p of the state (${located0})`);

  // Zoom in, in, out, reset: each window the library's, the marker on the same state.
  const zoomSteps = [["#zoom-in", 1.5], ["#zoom-in", 1.5], ["#zoom-out", 1 / 1.5], ["#zoom-reset", null]];
  let before = whole, zoomMs = [];
  for (const [button, factor] of zoomSteps) {
    await page.click(button);
    const now = await wb();
    zoomMs.push(await page.evaluate(() => window.zoomStepMs));
    const what = `workbench ${button} after ${JSON.stringify(before.window)}`;
    if (factor === null) {
      check(now.window === null && JSON.stringify(now.ticks) === JSON.stringify(whole.ticks) &&
        JSON.stringify(now.marker) === JSON.stringify(whole.marker), `${what}: back to the whole diagram`);
    } else {
      const span = (w) => [w[1] - w[0], Math.log(w[3] / w[2])];
      const [sx0, sy0] = span(before.ends), [sx1, sy1] = span(now.window);
      check(near(sx0 / sx1, factor, 1e-9) && near(sy0 / sy1, factor, 1e-9),
        `${what}: spans shrink by ${factor} (${sx0 / sx1}, ${sy0 / sy1})`);
      // Ticks drawn for the window: labels inside its range, as many as on the whole diagram.
      const values = now.ticks.filter((t) => /^-?[\d.]+$/.test(t)).map(Number);
      check(values.length >= 6 && now.lines > 10 && JSON.stringify(now.ticks) !== JSON.stringify(before.ticks),
        `${what}: axis labels and lines drawn again (${now.ticks.join(" ")})`);
      const m = now.marker ? await locate(...now.marker) : [NaN, NaN];
      check(onState(now, m), `${what}: marker on the state (${m})`);
    }
    before = await wb();
  }
  // A pan: the drawing follows the pointer; the window moves by the drag.
  await page.click("#zoom-in");
  const zoomed = await wb();
  const from = await toClient(zoomed.rect[0] + zoomed.rect[2] * 0.6, zoomed.rect[1] + zoomed.rect[3] * 0.5);
  const under = await locate(zoomed.rect[0] + zoomed.rect[2] * 0.6, zoomed.rect[1] + zoomed.rect[3] * 0.5);
  await page.mouse.move(...from);
  await page.mouse.down();
  await page.mouse.move(from[0] - 60, from[1] + 30, { steps: 5 });
  await page.mouse.up();
  const panned = await wb();
  // The values at a point of the window (client pixels), by the library.
  const atClient = (x, y) => page.evaluate(async (a, b) => {
    const svg = document.querySelector("#diagram svg");
    const p = new DOMPoint(a, b).matrixTransform(svg.getScreenCTM().inverse());
    return window.zeltra5.workbench.locate([p.x, p.y]);
  }, x, y);
  const nowUnder = await atClient(from[0] - 60, from[1] + 30);
  check(nowUnder && near(nowUnder[0], under[0], 1e-3) && near(nowUnder[1], under[1], 1e-3) &&
    panned.window[0] !== zoomed.window[0], `workbench: a drag pans (${under} now at ${nowUnder})`);
  // The wheel zooms about the pointer: the values under it stay under it.
  const wheelAt = (await toClient(panned.rect[0] + panned.rect[2] * 0.3,
    panned.rect[1] + panned.rect[3] * 0.7)).map(Math.round);
  const underWheel = await atClient(...wheelAt);
  await page.mouse.move(...wheelAt);
  await page.mouse.wheel({ deltaY: -100 });
  await page.waitForFunction((w) => JSON.stringify(window.zeltra5.workbench.wb.window) !== w, {},
    JSON.stringify(panned.window));
  const wheeled = await wb();
  const stays = await atClient(...wheelAt);
  check(near(stays[0], underWheel[0], 1e-9) && near(stays[1], underWheel[1], 1e-9) &&
    near((panned.window[1] - panned.window[0]) / (wheeled.window[1] - wheeled.window[0]), 1.5, 1e-9),
    `workbench: the wheel zooms about the pointer (${underWheel} / ${stays})`);
  await shot("20-diagram-zoomed");
  console.log(`workbench: zoom step ${zoomMs.map((t) => t.toFixed(1)).join(", ")} ms ` +
    `(in, in, out, reset: the library's window and the marker)`);
  await page.click("#zoom-reset");

  // The state under the pointer, against the command line at the same values; the values under
  // the plot's corners and centre are the window's ends (the pressure's on its logarithm).
  const ph = await wb();
  const ends = ph.ends;
  const POINTS = [
    // [type, fraction across, fraction down, expected: two-phase / single / outside]
    ["ph", 0.5, 0.5, "any"], ["ph", 0.9, 0.2, "single"], ["ph", 0.1, 0.6, "any"],
    ["ts", 0.5, 0.8, "two-phase"], ["ts", 0.02, 0.02, "outside"], ["ts", 0.8, 0.3, "single"],
  ];
  for (const [type, fx, fy, expect] of POINTS) {
    await page.click(`#diagram-${type}`);
    const d = await wb();
    const at = [d.rect[0] + d.rect[2] * fx, d.rect[1] + d.rect[3] * fy];
    await page.mouse.move(...(await toClient(...at)));
    await frames();
    const r = await page.$eval("#diagram-readout", (e) => ({ text: e.textContent, ...e.dataset }));
    const [x, y] = [Number(r.x), Number(r.y)];
    const what = `workbench readout ${type} at ${fx},${fy}`;
    const argv = type === "ph" ? ["p-h", String(y), String(x)] : ["t-s", String(y), String(x)];
    let json;
    try {
      json = JSON.parse(calc([...argv, "--json", "--units", "display"]));
    } catch (e) {
      json = JSON.parse(e.stdout);
    }
    if (expect === "outside") {
      check(json.status !== 0 && r.status === "1" && /Вне области расчёта/.test(r.text),
        `${what}: outside the domain said (${r.text})`);
      continue;
    }
    check(r.status === "0" && json.status === 0, `${what}: valid (${r.text})`);
    for (const [symbol, name] of [["p", "pressure"], ["h", "specific_enthalpy"], ["t", "temperature"],
      ["s", "specific_entropy"]]) {
      check(near(num(r.text, symbol), json[name], 5e-6), `${what}: ${symbol} ${num(r.text, symbol)} / ${json[name]}`);
    }
    const twoPhase = json.relative_enthalpy >= 0 && json.relative_enthalpy <= 1;
    check(twoPhase ? near(num(r.text, "x"), json.relative_enthalpy, 5e-6) : !/x = /.test(r.text),
      `${what}: quality or phase (${r.text})`);
    if (expect !== "any") check(twoPhase === (expect === "two-phase"), `${what}: ${expect}`);
  }
  // Where the pointer's values come from: the plot's left, right, top and bottom are the
  // window's ends, its middle on the logarithmic pressure axis the ends' geometric mean.
  const corner = await page.evaluate((r) => [[r[0], r[1] + r[3]], [r[0] + r[2], r[1]],
    [r[0] + r[2] / 2, r[1] + r[3] / 2]].map((p) => window.zeltra5.workbench.locate(p)), ph.rect);
  await page.click("#diagram-ph");
  const cornerPh = await page.evaluate((r) => [[r[0], r[1] + r[3]], [r[0] + r[2], r[1]],
    [r[0] + r[2] / 2, r[1] + r[3] / 2]].map((p) => window.zeltra5.workbench.locate(p)), ph.rect);
  check(near(cornerPh[0][0], ends[0], 1e-12) && near(cornerPh[0][1], ends[2], 1e-12) &&
    near(cornerPh[1][0], ends[1], 1e-12) && near(cornerPh[1][1], ends[3], 1e-12) &&
    near(cornerPh[2][1], Math.sqrt(ends[2] * ends[3]), 1e-12) &&
    near(cornerPh[2][0], (ends[0] + ends[1]) / 2, 1e-12), `workbench: the plot's edges are the window's ends (${JSON.stringify(cornerPh)})`);
  check(corner.every((c) => c !== null), "workbench: T-s edges located");

  // A click calculates the state there, as typing its values would.
  const CLICKS = [["ph", 0.3, 0.5], ["ph", 0.85, 0.3], ["ts", 0.6, 0.6]];
  const clicked = [];
  for (const [type, fx, fy] of CLICKS) {
    await page.click(`#diagram-${type}`);
    const d = await wb();
    const at = [d.rect[0] + d.rect[2] * fx, d.rect[1] + d.rect[3] * fy];
    await page.mouse.click(...(await toClient(...at)));
    const pair = await page.$eval("#pair", (s) => s.value);
    const inputs = await page.$$eval("#first, #second", (es) => es.map((e) => e.value));
    const table = await readTable();
    const after = await wb();
    const what = `workbench click ${type} at ${fx},${fy}`;
    check(pair === (type === "ph" ? "p-h" : "t-s"), `${what}: the pair of the axes (${pair})`);
    check(after.marker && Math.abs(after.marker[0] - at[0]) < 0.02 && Math.abs(after.marker[1] - at[1]) < 0.02,
      `${what}: the marker where clicked (${after.marker} / ${at})`);
    clicked.push({ table, n: after.history[after.history.length - 1] });
    await enter(pair, inputs[0], inputs[1]);
    const typed = await readTable();
    check(JSON.stringify(typed) === JSON.stringify(table), `${what}: the same table as typed (${inputs})`);
  }
  await page.click("#diagram-ph");

  // The session's states: numbered marks and a list; remove, restore.
  const history = () => page.evaluate(() => ({
    items: [...document.querySelectorAll("#history-list li")].map((li) => li.dataset.n),
    marks: [...document.querySelectorAll("#diagram svg .history-mark")].map((g) => g.dataset.n),
  }));
  const h1 = await history();
  check(h1.items.length >= 4 && h1.marks.length >= 3 && h1.items.join() === [...new Set(h1.items)].join(),
    `workbench history: listed ${h1.items} and marked ${h1.marks}`);
  const last = await wb();
  const mark = await page.$eval(`#diagram svg .history-mark[data-n="${h1.items[h1.items.length - 1]}"] circle`,
    (c) => [Number(c.getAttribute("cx")), Number(c.getAttribute("cy"))]);
  check(Math.abs(mark[0] - last.marker[0]) < 0.05 && Math.abs(mark[1] - last.marker[1]) < 0.05,
    `workbench history: the last mark on the marker (${mark} / ${last.marker})`);
  const gone = clicked[0].n;
  await page.click(`#history-list li[data-n="${gone}"] .remove`);
  const h2 = await history();
  check(!h2.items.includes(String(gone)) && !h2.marks.includes(String(gone)) &&
    h2.items.length === h1.items.length - 1, `workbench history: ${gone} removed (${h2.items})`);
  const back = clicked[1];
  await page.click(`#history-list li[data-n="${back.n}"] .restore`);
  check(JSON.stringify(await readTable()) === JSON.stringify(back.table) &&
    (await history()).items.length === h2.items.length,
    `workbench history: ${back.n} restored into the table, not listed twice`);

  // New units: the whole diagram again in them, the marker and the marks on it.
  await page.click("#zoom-in");
  await page.select("#units", "si");
  const si = await wb();
  const siTitle = await page.$eval("#diagram svg", (svg) => svg.textContent);
  check(si.window === null && si.marker !== null && /Па/.test(siTitle) &&
    (await history()).marks.length === (await history()).items.length,
    `workbench: new units give the whole diagram in them (${si.window}, marks ${(await history()).marks})`);
  await page.select("#units", "display");
  check((await history()).items.length === h2.items.length,
    `workbench: the same state in other units not listed again (${(await history()).items})`);

  // Full width and back.
  const width = () => page.$eval("#diagram-box", (d) => d.getBoundingClientRect().width);
  const narrow = await width();
  await page.click("#diagram-wide");
  const wide = await width();
  await page.click("#diagram-wide");
  check(wide > 1.6 * narrow && Math.abs((await width()) - narrow) < 1, `workbench: full width ${narrow} -> ${wide}`);

  // T-s: the marker where the command line's T-s diagram puts it.
  await enter("p-t", 10, 25);
  await page.click("#diagram-ts");
  const ts = await wb();
  const cli = calc(["diagram", "ts", "--state", "p-t", "10", "25"]);
  const cm = cli.slice(cli.indexOf('<g id="markers">')).match(/<circle cx="([-\d.]+)" cy="([-\d.]+)"/);
  check(ts.marker && Math.abs(ts.marker[0] - Number(cm[1])) <= 0.01 && Math.abs(ts.marker[1] - Number(cm[2])) <= 0.01,
    `workbench: T-s marker at ${ts.marker} / ${cm[1]},${cm[2]}`);
  await page.$eval("#diagram-box", (d) => d.scrollIntoView());
  await shot("21-diagram-ts");
  await page.click("#diagram-ph");

  // A property along a line: the plot's points the command line's table, refused rows gaps.
  const PLOTS = [
    ["isobar", "10", "-50:150:5", "isobaric_heat_capacity", ["isobar", "p=10", "t=-50:150:5"]],
    ["isobar", "2", "-100:60:10", "mass_density", ["isobar", "p=2", "t=-100:60:10"]],
    ["isotherm", "25", "0.5:100:*1.5", "speed_of_sound", ["isotherm", "t=25", "p=0.5:100:*1.5"]],
  ];
  for (const [kind, fixed, range, property, argv] of PLOTS) {
    await page.select("#plot-kind", kind);
    await page.$eval("#plot-fixed", (e, v) => { e.value = v; }, fixed);
    await page.$eval("#plot-range", (e, v) => { e.value = v; }, range);
    await page.select("#plot-property", property);
    await page.click("#plot-make");
    const got = await page.$$eval("#property-plot .plot-point", (cs) => cs.map((c) => [Number(c.dataset.x), Number(c.dataset.y)]));
    const lines = await page.$$eval("#property-plot .plot-line", (ls) => ls.length);
    const rows = parseCsv(calc(["table", ...argv, "--csv", "--units", "display"]));
    const head = rows[0];
    const varied = kind === "isobar" ? "temperature" : "pressure";
    const data = rows.slice(2).filter((r) => r.length > 1);
    const want = data.filter((r) => r[head.indexOf("status")] === "0" && r[head.indexOf(property)] !== "")
      .map((r) => [Number(r[head.indexOf(varied)]), Number(r[head.indexOf(property)])]);
    const what = `workbench plot ${argv.join(" ")} ${property}`;
    check(got.length === want.length && got.every((p, i) => near(p[0], want[i][0], 1e-12) &&
      near(p[1], want[i][1], 1e-12)), `${what}: ${got.length} points / ${want.length}`);
    const refused = data.length - want.length;
    const titles = await page.$$eval("#property-plot text[id]", (ts) => ts.map((t) => t.textContent));
    check(titles.length === 2 && titles.every((t) => /, \S/.test(t) || /Коэффициент|Критерий/.test(t)),
      `${what}: axes titled with units (${titles})`);
    check(refused === 0 ? lines >= 1 : got.every((p) => p[1] !== 0) && /разрыв/.test(await page.$eval("#plot-note", (e) => e.textContent)),
      `${what}: ${refused} refused rows as gaps (${lines} lines)`);
  }
  await page.select("#plot-kind", "isobar");
  await page.$eval("#plot-fixed", (e) => { e.value = "10"; });
  await page.$eval("#plot-range", (e) => { e.value = "-50:150:5"; });
  await page.select("#plot-property", "isobaric_heat_capacity");
  await page.click("#plot-make");
  await page.$eval("#plot-box", (d) => d.scrollIntoView());
  await shot("22-property-plot");
  await page.click("#lang-en");
  const english = await page.$eval("#property-plot #plot-y-title", (t) => t.textContent);
  check(/Isobaric heat capacity/i.test(english) && (await page.$eval("#diagram-box h2", (h) => h.textContent)) === "log p-h diagram",
    `workbench: English texts (${english})`);
  const listed = await page.$eval("#history-list li .restore", (b) => b.textContent);
  check(/ bar\b/.test(listed) && !/бар/.test(listed), `workbench: the history in English (${listed})`);
  await page.click("#lang-ru");

  // The phone: every workbench control at least 40 px, no sideways scroll, the diagram drawn.
  await page.setViewport({ width: 390, height: 844 });
  await page.waitForFunction(() => window.zeltra5.workbench.wb.frame[0] > 0);
  await page.click("#zoom-in");
  await page.click("#plot-make");
  const phone = await page.evaluate(() => ({
    scroll: document.documentElement.scrollWidth,
    small: [...document.querySelectorAll("#diagram-box button, #plot-box button, #plot-box select, #plot-box input")]
      .filter((e) => e.offsetParent !== null).map((e) => [e.id || e.className, e.getBoundingClientRect()])
      .filter(([, r]) => r.width < 40 || r.height < 40).map(([id, r]) => `${id} ${r.width}x${r.height}`),
    zoomed: window.zeltra5.workbench.wb.window !== null,
  }));
  check(phone.scroll <= 390 && phone.small.length === 0 && phone.zoomed,
    `workbench phone: width ${phone.scroll}, small controls ${phone.small.join("; ")}`);
  await page.$eval("#diagram-box", (d) => d.scrollIntoView());
  await page.screenshot({ path: path.join(out, "23-phone-workbench.png") });
  await page.setViewport({ width: 1280, height: 1000 });
  await page.waitForFunction(() => window.zeltra5.workbench.wb.frame[0] === 0);
  await page.click("#zoom-reset");
}

// --- the cycle view, the shareable address, the printout ---
// The command line's JSON, also of a refusal (printed, with a status other than 0).
function calcJson(argv) {
  try {
    return JSON.parse(execFileSync(calcPath, argv, { encoding: "utf8", stdio: ["ignore", "pipe", "ignore"] }));
  } catch (e) {
    return JSON.parse(e.stdout);
  }
}
// A page of its own, opened at an address of the site, its errors counted with the others.
async function openAt(browser, origin, problems, query) {
  const p = generous(await browser.newPage());
  p.on("pageerror", (e) => problems.push(`page error (${query}): ${e.message}`));
  await p.setViewport({ width: 1280, height: 1000 });
  await p.goto(`${origin}/${query}`, { waitUntil: "networkidle0" });
  await p.waitForSelector("body[data-ready='1']", { timeout: WAIT_MS });
  return p;
}
// The cycle view as shown: inputs, message, figures, states (by field), drawings.
function readCycle(p) {
  return p.evaluate(() => {
  const el = (id) => document.getElementById(id);
  const heads = Array.from(el("cycle-states").tHead.rows[0]?.cells ?? [], (th) => th.dataset.field);
  return {
    shown: !el("cycle").hidden,
    inputs: Array.from(el("cycle-form").querySelectorAll("input"), (i) => i.value),
    message: el("cycle-message").hidden ? "" : el("cycle-message").textContent,
    figures: Array.from(el("cycle-figures").tBodies[0].rows, (tr) => ({ name: tr.dataset.figure,
      title: tr.cells[0].textContent, text: tr.cells[1].textContent, value: tr.cells[1].dataset.value,
      unit: tr.cells[2].textContent })),
    states: Array.from(el("cycle-states").tBodies[0].rows, (tr) => Object.fromEntries(
      Array.from(tr.cells, (td, k) => [heads[k] ?? k, [td.textContent, td.dataset.value]]))),
    svgs: ["ph", "ts"].map((t) => el(`cycle-${t}`).querySelector("svg")?.outerHTML ?? ""),
    model: el("cycle-model").textContent,
  };
  });
}
// The cycle's figures and states against `zeltra5-calc cycle --json` with the same arguments:
// the number shown as six digits (or sixteen) of the native value, the value within 1e-9
// relative, blank where the command line has none; units as the command line names them (its
// JSON names them in English: in Russian, a unit where it has one); both drawings there, with
// the command line's legend (the cycle's temperatures and COP).
function checkCycle(label, shown, inputs, options, full) {
  const english = options.includes("en");
  const [t0, tc, sh, sc, eta, cap] = inputs.map(String);
  const argv = ["--evaporating", t0, "--condensing", tc, "--superheat", sh, "--subcooling", sc,
    "--efficiency", eta, ...(cap === "" ? [] : ["--capacity", cap]), ...options];
  const json = calcJson(["cycle", ...argv, "--json"]);
  const same = (text, raw, want) => (want === null ? text === "" && raw === undefined
    : relative(Number(raw), want) <= 1e-9 &&
      (full ? text === formatG16(Number(raw)) : isSixDigitsOf(text, want)));
  check(json.status === 0 && shown.message === "", `${label}: a cycle (${json.error} / ${shown.message})`);
  check(shown.figures.length === 14, `${label}: 14 figures (${shown.figures.length})`);
  for (const f of shown.figures) {
    const unit = english ? f.unit === json.figure_units[f.name] : (f.unit === "") === (json.figure_units[f.name] === "");
    check(same(f.text, f.value, json[f.name]) && unit && f.title !== "",
      `${label}: ${f.name} "${f.text}" ${f.unit} / ${json[f.name]} ${json.figure_units[f.name]}`);
  }
  shown.states.forEach((row, s) => {
    for (const [field, [text, raw]] of Object.entries(row)) {
      if (!FIELD_NAMES.includes(field)) continue;
      check(same(text, raw, json.states[s][field]), `${label}: state ${s + 1} ${field} "${text}" / ${json.states[s][field]}`);
    }
  });
  check(shown.states.length === 4 && Object.keys(shown.states[0]).filter((k) => FIELD_NAMES.includes(k)).length === 7,
    `${label}: four states of seven fields`);
  // The names of the figures and states and the figures' units as the command line's report
  // in that language writes them (the report leaves out the figures of a capacity not given).
  const report = calc(["cycle", ...argv]).split("\n").map((l) => l.trimEnd());
  for (const f of shown.figures.filter((g) => json[g.name] !== null)) {
    check(report.some((l) => l.startsWith(`${f.title} `) && (f.unit === "" || l.endsWith(` ${f.unit}`))),
      `${label}: "${f.title}" ${f.unit} as the command line's report names it`);
  }
  shown.states.forEach((row, s) => check(report.some((l) => l.startsWith(`${s + 1} ${row[1][0]} `)),
    `${label}: state ${s + 1} "${row[1][0]}" as the report names it`));
  ["ph", "ts"].forEach((type, i) => {
    const svg = calc(["diagram", type, "--cycle", ...argv.filter((a, k) =>
      !["--capacity"].includes(a) && !(k > 0 && argv[k - 1] === "--capacity"))]);
    const legend = (text) => (text.match(/<text[^>]*>[^<]*COP = [^<]*<\/text>/) ?? [""])[0].replace(/<text[^>]*>/, "");
    check(shown.svgs[i].startsWith("<svg") && legend(shown.svgs[i]) !== "" && legend(shown.svgs[i]) === legend(svg),
      `${label}: the ${type} drawing with the cycle (${legend(shown.svgs[i])} / ${legend(svg)})`);
  });
  return json;
}
async function typeCycle(p, inputs) {
  const ids = ["evaporating", "condensing", "superheat", "subcooling", "efficiency", "capacity"];
  for (const [k, id] of ids.entries()) {
    await p.click(`#cycle-${id}`, { clickCount: 3 });
    await p.keyboard.press("Backspace");
    await p.keyboard.type(String(inputs[k]));
  }
  await p.keyboard.press("Enter");
}
async function chooseOn(p, { model, system, units = {}, reference, lang }) {
  await p.click(`#lang-${lang}`);
  await p.select("#model", model);
  await p.select("#reference", reference);
  await p.select("#units", system);
  for (const [key, unit] of Object.entries(units)) await p.select(`#unit-${key}`, unit);
}
function unitsArg(system, units) {
  return [system, ...Object.entries(units).map(([k, u]) => `${k}=${u}`)].join(",");
}

// The cycle through the page as a person uses it: model, reference, units and language chosen,
// the inputs typed, Enter; a refusal after a cycle blanks everything; new units convert the
// inputs (the same cycle); the digits switch.
async function testCycleView(browser, origin, problems, out) {
  const p = await openAt(browser, origin, problems, "");
  check(await p.$eval("#cycle", (c) => c.hidden), "the cycle hidden at first");
  await p.click("#cycle-toggle");
  const opened = await readCycle(p);
  check(opened.shown && opened.svgs.every((s) => s.startsWith("<svg")), "the cycle shown and drawn at a click");
  const CASES = [
    // [model, system, units, reference, lang, [t0, tc, superheat, subcooling, efficiency, capacity]]
    ["tr1993", "display", {}, "default", "ru", [-10, 35, 5, 3, 0.75, 100]],
    ["gao2023", "display", {}, "default", "en", [-10, 35, 5, 3, 0.75, 100]],
    ["tr1993", "si", {}, "iir", "en", [253.15, 308.15, 0, 0, 1, ""]],
    ["gao2023", "display", { t: "degF" }, "ashrae", "ru", [14, 95, 9, 5.4, 0.8, 50]],
    ["gao2023", "display", { p: "kPa", h: "J/kg" }, "nbp", "en", [-30, 40, 10, 0, 0.7, 250]],
  ];
  for (const [model, system, units, reference, lang, inputs] of CASES) {
    await chooseOn(p, { model, system, units, reference, lang });
    await typeCycle(p, inputs);
    const label = `cycle ${model} ${unitsArg(system, units)} ${reference} ${lang} ${inputs.join(" ")}`;
    const shown = await readCycle(p);
    checkCycle(label, shown, inputs, ["--units", unitsArg(system, units), "--reference", reference,
      "--model", model, "--lang", lang], false);
    check(shown.model.endsWith(model), `${label}: the model named (${shown.model})`);
  }
  await p.$eval("#cycle-box", (b) => b.scrollIntoView());
  await p.screenshot({ path: path.join(out, "21-cycle.png"), fullPage: true });

  // New units: the typed temperatures and their differences converted, the same cycle shown.
  await chooseOn(p, { model: "tr1993", system: "display", reference: "default", lang: "ru" });
  await typeCycle(p, [-10, 35, 5, 3, 0.75, 100]);
  const before = await readCycle(p);
  await p.select("#unit-t", "degF");
  const after = await readCycle(p);
  check(after.inputs.map(Number).join() === "14,95,9,5.4,0.75,100",
    `new units: the inputs in °F and °F degrees (${after.inputs.join(", ")})`);
  const cop = (c) => Number(c.figures[0].value);
  check(relative(cop(before), cop(after)) <= 1e-9 && after.message === "",
    `new units: the same cycle (COP ${cop(before)} / ${cop(after)})`);
  check(after.figures[4].unit === "°F" && before.figures[4].unit === "°C",
    `new units: t2 in °F (${before.figures[4].unit} → ${after.figures[4].unit})`);
  checkCycle("cycle in °F after the change", after, [14, 95, 9, 5.4, 0.75, 100],
    ["--units", "display,t=degF", "--lang", "ru"], false);
  await p.select("#unit-t", "degC");
  // The digits switch: every figure with sixteen digits, then six again.
  await p.click("#full-digits");
  checkCycle("cycle at full precision", await readCycle(p), [-10, 35, 5, 3, 0.75, 100], ["--lang", "ru"], true);
  await p.click("#full-digits");

  // Refusals, each after a valid cycle: the library's reason (the command line's, in English),
  // every figure, state and drawing blank.
  const REFUSALS = [
    // [inputs, lang, the words the message must hold]
    [[40, 35, 0, 0, 1, ""], "en", null],
    [[-10, 140, 0, 0, 1, ""], "en", null],
    [[-80, 35, 0, 0, 1, ""], "en", null],
    [[-10, 35, 0, 0, 1.5, ""], "en", null],
    [[-10, 35, -2, 0, 1, ""], "en", null],
    [[-10, 140, 0, 0, 1, ""], "ru", "140 °C"],
    [["abc", 35, 0, 0, 1, ""], "ru", "«abc» — не число"],
    [[-10, 35, 0, 0, 1, "1e400"], "en", "«1e400» is too large"],
  ];
  for (const [inputs, lang, words] of REFUSALS) {
    await p.click(`#lang-${lang}`);
    await typeCycle(p, [-10, 35, 5, 3, 0.75, 100]);
    check((await readCycle(p)).svgs[0] !== "", "a cycle before the refusal");
    await typeCycle(p, inputs);
    const shown = await readCycle(p);
    const label = `refused cycle ${inputs.join(" ")} (${lang})`;
    let want = words;
    if (words === null) {
      const [t0, tc, sh, sc, eta] = inputs.map(String);
      const json = calcJson(["cycle", "--evaporating", t0, "--condensing", tc,
        "--superheat", sh, "--subcooling", sc, "--efficiency", eta, "--json"]);
      check(json.status !== 0, `${label}: the command line refuses it too`);
      want = json.error;
    }
    check(shown.message !== "" && (words === null ? shown.message === want : shown.message.includes(want)),
      `${label}: "${shown.message}" / "${want}"`);
    check(shown.figures.every((f) => f.text === "" && f.value === undefined) &&
      shown.states.every((row) => Object.entries(row).every(([k, [text]]) => !FIELD_NAMES.includes(k) || text === "")) &&
      shown.svgs.every((s) => s === ""), `${label}: nothing else on show`);
    if (inputs[1] === 140 && lang === "ru") await p.screenshot({ path: path.join(out, "22-cycle-refused.png") });
  }
  await p.click("#lang-ru");
  // At phone width the cycle stacks and the page does not scroll sideways.
  await typeCycle(p, [-10, 35, 5, 3, 0.75, 100]);
  await p.setViewport({ width: 390, height: 844 });
  const width = await p.evaluate(() => document.documentElement.scrollWidth);
  check(width <= 390, `the cycle at phone width: no sideways scrolling (${width} px)`);
  await p.$eval("#cycle-box", (b) => b.scrollIntoView());
  await p.screenshot({ path: path.join(out, "21-cycle-phone.png") });
  await p.setViewport({ width: 1280, height: 1000 });
  // The time of a cycle: calculation, both drawings and the tables (printed, not tested).
  const times = await p.evaluate(() => {
    const ms = [];
    for (let i = 0; i < 7; i++) {
      window.zeltra5Cycle.calculateCycle();
      ms.push(window.cycleMs);
    }
    return ms.sort((a, b) => a - b);
  });
  await p.close();
  return times[3];
}

// Addresses: a valid one shows its state (and cycle) in its units, model, reference, language
// and digits, calculated on load; one with a value the page does not understand shows the
// default for it, says so in a note, and its address is then the page's own.
async function testAddresses(browser, origin, problems) {
  const STATE = { pair: "p-t", values: [10, 25], units: "display", model: "tr1993", reference: "default",
    lang: "ru", superheat: false, digits: false, cycle: null };
  const CYCLE = [-10, 35, 5, 3, 0.75, 100];
  const CASES = [
    // [query, the state expected (over STATE), the item the note quotes (null: no note)]
    ["?pair=p-t&first=10&second=25&units=display&model=tr1993&reference=default&lang=ru", {}, null],
    ["?pair=p-h&first=500&second=1500&units=display,p=kPa&model=gao2023&reference=iir&lang=en",
      { pair: "p-h", values: [500, 1500], units: "display,p=kPa", model: "gao2023", reference: "iir", lang: "en" }, null],
    ["?pair=ts-liquid&first=273.15&units=si&reference=ashrae&lang=en&digits=full",
      { pair: "ts-liquid", values: [273.15], units: "si", reference: "ashrae", lang: "en", digits: true }, null],
    ["?pair=p-t&first=5&second=10&superheat=1", { values: [5, 10], superheat: true }, null],
    ["?pair=p-s&first=1450&second=5.5&units=si-celsius,p=psi,s=kJ/(kg*K)&model=gao2023&reference=nbp",
      { pair: "p-s", values: [1450, 5.5], units: "si-celsius,p=psi,s=kJ/(kg*K)", model: "gao2023", reference: "nbp" }, null],
    ["?pair=p-t&first=10&second=25&units=display&model=gao2023&lang=en&view=cycle&evaporating=-20&condensing=30" +
      "&suction_superheat=8&subcooling=2&efficiency=0.7&capacity=10",
    { model: "gao2023", lang: "en", cycle: [-20, 30, 8, 2, 0.7, 10] }, null],
    ["?view=cycle&units=display,t=K&evaporating=250&condensing=300&suction_superheat=0&subcooling=0&efficiency=1&capacity=",
      { units: "display,t=K", values: [10, 298.15], cycle: [250, 300, 0, 0, 1, ""] }, null],
    ["?lang=en", { lang: "en" }, null],
    // Not understood: the default for that value, and a note.
    ["?pair=q-z&first=1&second=2", {}, "pair=q-z"],
    ["?pair=p-t&first=abc&second=25&lang=en", { lang: "en" }, "first=abc"],
    ["?pair=p-h&first=5", {}, "second"],
    ["?pair=p-t&first=1e400&second=25", {}, "first=1e400"],
    ["?first=10&second=25&units=si", { units: "si", values: [1e6, 298.15] }, "pair"],
    ["?pair=p-t&first=10&second=25&lang=de", {}, "lang=de"],
    ["?pair=p-t&first=10&second=25&units=furlongs", {}, "units=furlongs"],
    ["?pair=p-t&first=10&second=25&units=display,p=atm", {}, "units=display,p=atm"],
    ["?pair=p-t&first=10&second=25&units=display,p=kPa,p=bar", {}, "units=display,p=kPa,p=bar"],
    ["?pair=p-t&first=10&second=25&reference=xyz", {}, "reference=xyz"],
    ["?pair=p-t&first=10&second=25&digits=many", {}, "digits=many"],
    ["?pair=p-t&first=5&second=10&superheat=yes", { values: [5, 10] }, "superheat=yes"],
    ["?view=nope", {}, "view=nope"],
    ["?view=cycle&efficiency=high&capacity=", { cycle: [-10, 35, 5, 3, 0.75, ""] }, "efficiency=high"],
    ["?view=cycle&evaporating=-10&condensing=", { cycle: CYCLE }, "condensing="],
  ];
  for (const [query, over, noteItem] of CASES) {
    const want = { ...STATE, ...over };
    const label = `address "${query}"`;
    const p = await openAt(browser, origin, problems, query);
    const got = await p.evaluate(() => {
      const el = (id) => document.getElementById(id);
      return {
        pair: el("pair").value, values: [el("first").value, el("second").value], units: window.zeltra5.unitsChoice(),
        model: el("model").value, reference: el("reference").value, lang: document.documentElement.lang,
        superheat: el("superheat").checked, digits: el("full-digits").checked,
        note: el("address-note").hidden ? null : el("address-note").textContent,
        message: el("message").hidden ? "" : el("message").textContent, search: window.location.search,
        rows: Array.from(document.querySelectorAll("#table tr"), (tr) => [tr.cells[1].textContent, tr.cells[1].dataset.value]),
        fields: window.zeltra5.rowFields(),
      };
    });
    const values = got.values.slice(0, want.values.length).map(Number);
    check(got.pair === want.pair && values.every((v, i) => relative(v, want.values[i]) <= 1e-15) &&
      got.units === want.units && got.model === want.model && got.reference === want.reference &&
      got.lang === want.lang && got.superheat === want.superheat && got.digits === want.digits,
    `${label}: the state ${JSON.stringify(got).slice(0, 300)}`);
    // The state against the command line with the same options, each field shown.
    const json = calcJson(["--json", "--units", want.units, "--model", want.model, "--reference",
      want.reference, "--lang", want.lang, ...(want.superheat ? ["--superheat"] : []), want.pair,
      ...want.values.map(String)]);
    let fieldsShown = 0;
    got.fields.forEach((f, r) => {
      if (f < 0) return;
      const v = json[FIELD_NAMES[f]];
      const [text, raw] = got.rows[r];
      const ok = v === null || v === undefined ? text === ""
        : relative(Number(raw), v) <= tolerance(FIELD_NAMES[f], v) &&
          (want.digits ? text === formatG16(Number(raw)) : isSixDigitsOf(text, v));
      if (v !== null && v !== undefined) fieldsShown++;
      check(ok, `${label}: ${FIELD_NAMES[f]} "${text}" / ${v}`);
    });
    check(fieldsShown >= 8 && got.message === "", `${label}: a state on show (${fieldsShown} fields; ${got.message})`);
    const cycle = await readCycle(p);
    check(cycle.shown === (want.cycle !== null), `${label}: the cycle ${cycle.shown ? "shown" : "hidden"}`);
    if (want.cycle) {
      check(cycle.inputs.map((v, i) => (want.cycle[i] === "" ? v === "" : Number(v) === want.cycle[i])).every(Boolean),
        `${label}: the cycle's inputs ${cycle.inputs.join(", ")}`);
      checkCycle(`${label}: cycle`, cycle, want.cycle, ["--units", want.units, "--model", want.model,
        "--reference", want.reference, "--lang", want.lang], want.digits);
    }
    // The note quotes what was not understood; the address is the page's state now.
    const params = new URLSearchParams(got.search);
    if (noteItem === null) {
      check(got.note === null, `${label}: no note (${got.note})`);
    } else {
      check(got.note !== null && got.note.includes(want.lang === "en" ? `"${noteItem}"` : `«${noteItem}»`) &&
        got.note.startsWith(want.lang === "en" ? "Not understood" : "В адресе страницы не распознано"),
      `${label}: the note (${got.note})`);
    }
    check(params.get("pair") === want.pair && params.get("units") === want.units && params.get("model") === want.model &&
      params.get("reference") === want.reference && params.get("lang") === want.lang &&
      (params.get("view") === "cycle") === (want.cycle !== null) && params.get("digits") === (want.digits ? "full" : null) &&
      params.get("superheat") === (want.superheat ? "1" : null),
    `${label}: the address after (${got.search})`);
    await p.close();
  }

  // The round trip: a state and a cycle chosen and calculated, the address read and opened in
  // a fresh page: the same inputs, choices, tables and cycle, and the same address.
  const a = await openAt(browser, origin, problems, "");
  check(await a.evaluate(() => window.location.search) === "", "no address written before a calculation");
  await a.evaluate(() => { window.notReloaded = true; });
  await chooseOn(a, { model: "gao2023", system: "si-celsius", units: { p: "kPa" }, reference: "iir", lang: "en" });
  await a.click("#cycle-toggle");
  await typeCycle(a, [-25, 45, 7, 4, 0.72, 35]);
  await a.select("#pair", "p-s");
  await a.click("#first", { clickCount: 3 });
  await a.keyboard.type("800");
  await a.click("#second", { clickCount: 3 });
  await a.keyboard.type("6000");
  await a.click("#full-digits");
  await a.focus("#second");
  await a.keyboard.press("Enter");
  const snapshot = (p) => p.evaluate(() => ({
    href: window.location.href,
    inputs: Array.from(document.querySelectorAll("input, select"), (i) => `${i.id}=${i.type === "checkbox" ? i.checked : i.value}`),
    tables: Array.from(document.querySelectorAll("#table td, #more-table td, #cycle-figures td, #cycle-states td"), (td) => td.textContent),
    svgs: Array.from(document.querySelectorAll("#cycle svg"), (s) => s.outerHTML.length),
    lang: document.documentElement.lang,
  }));
  const first = await snapshot(a);
  const url = new URL(first.href);
  check(await a.evaluate(() => window.notReloaded === true) && url.searchParams.get("pair") === "p-s" &&
    url.searchParams.get("first") === "800" && url.searchParams.get("view") === "cycle" &&
    url.searchParams.get("evaporating") === "-25", `round trip: the address after Enter, no reload (${url.search})`);
  const b = await openAt(browser, origin, problems, url.search);
  const second = await snapshot(b);
  for (const key of ["href", "inputs", "tables", "svgs", "lang"]) {
    const differing = first[key] instanceof Array
      ? first[key].map((v, i) => [v, second[key][i]]).filter(([u, v]) => u !== v) : [[first[key], second[key]]];
    check(JSON.stringify(first[key]) === JSON.stringify(second[key]),
      `round trip: the same ${key} (differing: ${JSON.stringify(differing).slice(0, 400)})`);
  }
  check(first.tables.filter((t) => t !== "").length > 60, `round trip: tables on show (${first.tables.length} cells)`);
  // Another Enter with new values: the address follows, still no reload.
  await b.evaluate(() => { window.notReloaded = true; });
  await b.click("#first", { clickCount: 3 });
  await b.keyboard.type("900");
  await b.keyboard.press("Enter");
  check(await b.evaluate(() => window.notReloaded === true && new URLSearchParams(window.location.search).get("first") === "900"),
    "round trip: Enter again updates the address");
  const times = await b.evaluate(() => window.readyMs);
  await a.close();
  await b.close();
  return times;
}

// On paper: the page in print media at A4 width shows the inputs, the table, the diagram and
// (when shown) the cycle, and no button, tab, menu arrow or language switch; a PDF and a
// screenshot are kept to be looked at.
async function testPrint(browser, origin, problems, out) {
  const query = "?pair=p-t&first=10&second=25&units=display&model=tr1993&reference=default&lang=ru&view=cycle" +
    "&evaporating=-10&condensing=35&suction_superheat=5&subcooling=3&efficiency=0.75&capacity=100";
  const results = [];
  for (const [q, cycle] of [[query, true], ["?pair=p-h&first=5&second=1500", false]]) {
    const p = await openAt(browser, origin, problems, q);
    await p.setViewport({ width: 794, height: 1123 });
    await p.emulateMediaType("print");
    const got = await p.evaluate(() => {
      const shown = (el) => el.getClientRects().length > 0 && el.getBoundingClientRect().height > 0;
      const q = (s) => Array.from(document.querySelectorAll(s));
      return {
        buttons: q("button").filter(shown).map((b) => b.id || b.textContent),
        chrome: q(".lang, .tabs, #tables, #models, td.copy, #cycle-toggle").filter(shown).map((e) => e.id || e.className),
        arrows: q("select").filter(shown).filter((s) => getComputedStyle(s).appearance !== "none").map((s) => s.id),
        visible: Object.fromEntries(["first", "second", "pair", "table", "diagram", "cycle-figures",
          "cycle-states", "cycle-ph", "cycle-ts", "cycle-evaporating"].map((id) =>
          [id, shown(document.getElementById(id)) && (id.startsWith("cycle-") && id !== "cycle-evaporating" &&
            id !== "cycle-figures" && id !== "cycle-states" ? Boolean(document.querySelector(`#${id} svg`)) : true)])),
        firstValue: document.getElementById("first").value,
      };
    });
    const label = `print ${cycle ? "with" : "without"} the cycle`;
    check(got.buttons.length === 0 && got.chrome.length === 0 && got.arrows.length === 0,
      `${label}: no controls (${got.buttons.join(", ")} | ${got.chrome.join(", ")} | ${got.arrows.join(", ")})`);
    const wantShown = ["first", "second", "pair", "table", "diagram"];
    const cycleIds = ["cycle-figures", "cycle-states", "cycle-ph", "cycle-ts", "cycle-evaporating"];
    check(wantShown.every((id) => got.visible[id]) && cycleIds.every((id) => got.visible[id] === cycle),
      `${label}: inputs, table, diagram${cycle ? " and the cycle" : ", no cycle"} (${JSON.stringify(got.visible)})`);
    const name = cycle ? "23-print-cycle" : "23-print";
    await p.screenshot({ path: path.join(out, `${name}.png`), fullPage: true });
    const pdf = await p.pdf({ path: path.join(out, `${name}.pdf`), format: "A4" });
    const pages = (Buffer.from(pdf).toString("latin1").match(/\/Type\s*\/Page[^s]/g) ?? []).length;
    check(Buffer.from(pdf).subarray(0, 5).toString() === "%PDF-" && pages >= 1, `${label}: a PDF (${pages} pages)`);
    results.push(`${name}.pdf ${pages} A4 pages`);
    // Back on screen: the controls again.
    await p.emulateMediaType("screen");
    check(await p.$eval("#calculate", (b) => b.getClientRects().length > 0), `${label}: the controls back on screen`);
    await p.close();
  }
  return results.join(", ");
}

// --- the page's remaining faults and figures ---
// A property plotted across the saturation line: the liquid's and the vapour's stretches as two
// polylines, split exactly at the jump (the saturated liquid ends one, the saturated vapour
// starts the other); the points the command line's table.
async function plotAcrossSaturation(page, shot) {
  const near = (a, b) => Math.abs(a - b) <= 1e-12 * Math.max(Math.abs(a), Math.abs(b), 1e-300);
  const CASES = [
    ["isobar", "10", "-50:150:5", "mass_density", ["isobar", "p=10", "t=-50:150:5"]],
    ["isobar", "10", "-50:150:5", "isobaric_heat_capacity", ["isobar", "p=10", "t=-50:150:5"]],
    ["isotherm", "25", "2:20:1", "mass_density", ["isotherm", "t=25", "p=2:20:1"]],
    // Above the critical pressure: one line through the critical temperature.
    ["isobar", "150", "50:200:10", "mass_density", ["isobar", "p=150", "t=50:200:10"]],
  ];
  for (const [kind, fixed, range, property, argv] of CASES) {
    const made = await page.evaluate(() => window.plotsMade ?? 0);
    await page.select("#plot-kind", kind);
    await page.$eval("#plot-fixed", (e, v) => { e.value = v; }, fixed);
    await page.$eval("#plot-range", (e, v) => { e.value = v; }, range);
    await page.select("#plot-property", property);
    await page.click("#plot-make");
    await page.waitForFunction((n) => (window.plotsMade ?? 0) > n, { timeout: WAIT_MS }, made);
    const got = await page.$$eval("#property-plot .plot-point", (cs) =>
      cs.map((c) => [Number(c.dataset.x), Number(c.dataset.y)]));
    const lines = await page.$$eval("#property-plot .plot-line", (ls) =>
      ls.map((l) => l.getAttribute("points").trim().split(/\s+/).map((p) => p.split(",").map(Number))));
    const rows = parseCsv(calc(["table", ...argv, "--csv", "--units", "display"]));
    const head = rows[0];
    const col = (name) => head.indexOf(name);
    const varied = kind === "isobar" ? "temperature" : "pressure";
    const want = rows.slice(2).filter((r) => r.length > 1 && r[col("status")] === "0" && r[col(property)] !== "")
      .map((r) => ({ x: Number(r[col(varied)]), y: Number(r[col(property)]), row: r[col("row")] }));
    const what = `plot across saturation ${argv.join(" ")} ${property}`;
    check(got.length === want.length && got.every((p, i) => near(p[0], want[i].x) && near(p[1], want[i].y)),
      `${what}: ${got.length} points / ${want.length}`);
    const crossing = want.some((w) => w.row !== "point");
    check(lines.length === (crossing ? 2 : 1), `${what}: ${lines.length} polylines`);
    check(lines.reduce((n, l) => n + l.length, 0) === want.length, `${what}: every point on a line`);
    if (crossing && lines.length === 2) {
      // The break between the two saturated states: both at the saturation temperature or
      // pressure, so the first line's last vertex and the second's first share x.
      const end = lines[0][lines[0].length - 1], start = lines[1][0];
      const k = want.findIndex((w) => w.row !== "point");
      check(lines[0].length === k + 1 && Math.abs(end[0] - start[0]) < 0.01 && Math.abs(end[1] - start[1]) > 1,
        `${what}: split at the saturated states (${end} | ${start})`);
    }
    // No segment of any line is vertical (the jump drawn as a line).
    const vertical = lines.some((l) => l.some((p, i) => i > 0 && Math.abs(p[0] - l[i - 1][0]) < 0.01));
    check(!vertical, `${what}: no vertical segment`);
    if (property === "mass_density" && kind === "isobar" && fixed === "10") {
      await page.$eval("#plot-box", (d) => d.scrollIntoView());
      await shot("30-plot-across-saturation");
    }
  }
}
// The cycle view on a fresh page: its title, button and a hint there before any calculation (no
// empty box), the cycle calculated at the first click.
async function cycleFirstView(browser, origin, problems, out) {
  const p = await openAt(browser, origin, problems, "");
  await p.setViewport({ width: 390, height: 844 });
  const collapsed = await p.evaluate(() => {
    const box = document.getElementById("cycle-box");
    const visible = (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== "hidden";
    // Elements on show with no content at all: an empty box.
    const empty = [...box.querySelectorAll("*")].filter((e) => visible(e) && e.children.length === 0 &&
      !["INPUT", "SELECT", "svg"].includes(e.tagName) && e.textContent.trim() === "").map((e) => e.id || e.tagName);
    return { title: document.getElementById("cycle-title").textContent, toggle: document.getElementById("cycle-toggle").textContent,
      hint: visible(document.getElementById("cycle-hint")) ? document.getElementById("cycle-hint").textContent : "", empty };
  });
  check(collapsed.title === "Холодильный цикл" && collapsed.toggle === "Показать" && /lg p-h/.test(collapsed.hint) &&
    collapsed.empty.length === 0, `the cycle before its first calculation: ${JSON.stringify(collapsed)}`);
  await p.$eval("#cycle-box", (b) => b.scrollIntoView());
  await p.screenshot({ path: path.join(out, "31-cycle-before-first.png") });
  await p.click("#cycle-toggle");
  await p.waitForFunction(() => document.querySelector("#cycle-figures td.num")?.dataset.value !== undefined,
    { timeout: WAIT_MS });
  const opened = await p.evaluate(() => ({ hint: document.getElementById("cycle-hint").hidden,
    svgs: document.querySelectorAll(".cycle-diagrams svg").length }));
  check(opened.hint && opened.svgs === 2, `the cycle at the first click: calculated, drawn, the hint gone (${JSON.stringify(opened)})`);
  await p.close();
}
// The cycle's form at phone and desktop widths in both languages: no label overlaps an input,
// runs out of its own box or leaves the viewport.
async function cycleFormLabels(browser, origin, problems, out) {
  const p = await openAt(browser, origin, problems, "");
  await p.click("#cycle-toggle");
  for (const [width, lang] of [[390, "ru"], [390, "en"], [1280, "ru"], [1280, "en"]]) {
    await p.setViewport({ width, height: 844 });
    await p.click(`#lang-${lang}`);
    await p.waitForFunction((l) => document.documentElement.lang === l, { timeout: WAIT_MS }, lang);
    const faults = await p.evaluate(() => {
      const form = document.getElementById("cycle-form");
      const box = (e) => e.getBoundingClientRect();
      const overlap = (a, b) => a.left < b.right - 0.5 && b.left < a.right - 0.5 && a.top < b.bottom - 0.5 && b.top < a.bottom - 0.5;
      const labels = [...form.querySelectorAll("label")], inputs = [...form.querySelectorAll("input, button")];
      const out = [];
      for (const l of labels) {
        const r = box(l);
        if (l.textContent.trim() === "") out.push(`${l.htmlFor}: no text`);
        if (r.left < 0 || r.right > document.documentElement.clientWidth) out.push(`${l.htmlFor}: outside the viewport`);
        if (l.scrollWidth > l.clientWidth + 1) out.push(`${l.htmlFor}: text wider than its box`);
        for (const i of inputs) if (overlap(r, box(i))) out.push(`${l.htmlFor} over ${i.id}`);
      }
      return out;
    });
    check(faults.length === 0, `the cycle's form at ${width} px in ${lang}: ${faults.join("; ")}`);
    if (width === 390) {
      await p.$eval("#cycle-box", (b) => b.scrollIntoView());
      await p.screenshot({ path: path.join(out, `31-cycle-form-${width}-${lang}.png`) });
    }
  }
  await p.close();
}
