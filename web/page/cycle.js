// The refrigeration cycle view and the page's address, over the page of app.js.
// The cycle: zeltra5_cycle's figures and four states, drawn by zeltra5_diagram_cycle_svg on the
// p-h and T-s diagrams, in the page's model, reference state, units, language and digits; a
// refusal in the library's words (zeltra5_explain_cycle) with nothing else on show.
// The address holds the whole state once a person calculated, or once it was opened holding one
// (?pair=p-t&first=10&second=25&units=display&model=tr1993&reference=default&lang=ru, then
// superheat=1, digits=full and, with the cycle shown, view=cycle and the cycle's inputs): the
// page opened at it calculates that state; a value it does not understand gets the default and a
// note says so.
import { page } from "./app.js";

const { M, hooks, state, TEXTS, put, str, libraryText } = page;
const $ = (id) => document.getElementById(id);

Object.assign(TEXTS.ru, {
  cycle_title: "Холодильный цикл", cycle_show: "Показать", cycle_hide: "Скрыть",
  cycle_evaporating: "Температура кипения t0", cycle_condensing: "Температура конденсации tc",
  cycle_superheat: "Перегрев пара на всасывании", cycle_subcooling: "Переохлаждение жидкости",
  cycle_efficiency: "Изоэнтропный КПД компрессора", cycle_capacity: "Холодопроизводительность Q0",
  cycle_calculate: "Рассчитать цикл", cycle_figures: "Показатели цикла", cycle_states: "Точки цикла",
  cycle_point: "Точка", cycle_state: "Состояние",
  cycle_ph: "Цикл на диаграмме lg p-h", cycle_ts: "Цикл на диаграмме T-s",
  cycle_hint: "Одноступенчатый парокомпрессионный цикл по температурам кипения и конденсации: " +
    "его показатели, четыре точки и цикл на диаграммах lg p-h и T-s",
  address_note: (items) => `В адресе страницы не распознано: ${items}`,
  address_item: (item, used) => `«${item}» (взято ${used})`,
});
Object.assign(TEXTS.en, {
  cycle_title: "Refrigeration cycle", cycle_show: "Show", cycle_hide: "Hide",
  cycle_evaporating: "Evaporating temperature t0", cycle_condensing: "Condensing temperature tc",
  cycle_superheat: "Suction superheat", cycle_subcooling: "Liquid subcooling",
  cycle_efficiency: "Isentropic efficiency of the compressor",
  cycle_capacity: "Refrigerating capacity Q0",
  cycle_calculate: "Calculate the cycle", cycle_figures: "Figures of the cycle",
  cycle_states: "States of the cycle", cycle_point: "Point", cycle_state: "State",
  cycle_ph: "The cycle on the log p-h diagram", cycle_ts: "The cycle on the T-s diagram",
  cycle_hint: "A single-stage vapour-compression cycle from its evaporating and condensing " +
    "temperatures: its figures, its four states and the cycle on the log p-h and T-s diagrams",
  address_note: (items) => `Not understood in the page's address: ${items}`,
  address_item: (item, used) => `"${item}" (${used} taken instead)`,
});

// --- the cycle ----------------------------------------------------------------------------
const FIGURES = M._zeltra5_cycle_figure_count();
const STATES = 4;
const FIELDS = M._zeltra5_field_count();
const buffers = { figures: M._malloc(8 * FIGURES), states: M._malloc(8 * FIELDS * STATES) };
const TEMPERATURE = M._zeltra5_field_index(put("name", "temperature"));
// The inputs in zeltra5_cycle's order: the address's key, the kind of value (a temperature, a
// difference of temperatures, a number, the capacity in kW, empty for none) and the default in
// the program's units (°C).
const INPUTS = [
  { id: "cycle-evaporating", key: "evaporating", kind: "t", initial: "-10" },
  { id: "cycle-condensing", key: "condensing", kind: "t", initial: "35" },
  { id: "cycle-superheat", key: "suction_superheat", kind: "dt", initial: "5" },
  { id: "cycle-subcooling", key: "subcooling", kind: "dt", initial: "3" },
  { id: "cycle-efficiency", key: "efficiency", kind: "", initial: "0.75" },
  { id: "cycle-capacity", key: "capacity", kind: "kw", initial: "100" },
];
// The states' columns, by the library's machine names.
const STATE_FIELDS = ["pressure", "temperature", "specific_enthalpy", "specific_entropy",
  "mass_density", "specific_volume", "relative_enthalpy"].map((name) => ({
  name, field: M._zeltra5_field_index(put("name", name)),
}));
const cycle = {
  shown: false,
  // Calculated or refused at least once since shown: new units, reference, model or language
  // calculate it again.
  asked: false,
  result: null,  // { status, figures, states, options, model } of a valid cycle
  units: "display",  // the units the inputs are typed in
  inputs: null,  // the values of the last cycle calculated or refused, as the address gives them
};

function cycleOptions() {
  return page.optionsText(false);
}
// A typed value in other units: a temperature by the library; a difference of temperatures by
// the library's difference of two temperatures a thousand degrees apart (1 K is 1.8 °F).
function convertInput(input, text, from, to) {
  if (input.kind === "t") return page.convertValues(TEMPERATURE, text, from, to);
  if (input.kind !== "dt") return text;
  const pair = page.convertValues(TEMPERATURE, "0,1000", from, to);
  const read = page.readNumber(text);
  if (pair === null || read.problem) return null;
  const [a, b] = pair.split(",").map(Number);
  return String(Number((read.value * ((b - a) / 1000)).toPrecision(15)));
}
// The unit of an input in a choice of units ("display,t=K").
function unitOf(input, units) {
  const options = `units=${units};lang=${state.lang}`;
  if (input.kind === "t") return page.fieldUnit(TEMPERATURE, options);
  if (input.kind === "dt") {
    // K, or the Fahrenheit degree with t=degF.
    const fahrenheit = page.fieldUnit(TEMPERATURE, `units=${units};lang=en`) === "°F";
    return page.fieldUnit(TEMPERATURE, `units=si${fahrenheit ? ",t=degF" : ""};lang=${state.lang}`);
  }
  if (input.kind === "kw") return str(M._zeltra5_cycle_figure_unit(12, put("options", options)));
  return "";
}
function labelCycle() {
  for (const input of INPUTS) $(`${input.id}-unit`).textContent = unitOf(input, page.unitsChoice());
  const t = TEXTS[state.lang];
  // The view's own texts: the page put its texts in place before this module added these.
  $("cycle-box").querySelectorAll("[data-text]").forEach((e) => { e.textContent = t[e.dataset.text]; });
  $("cycle-hint").hidden = cycle.shown;
  $("cycle-toggle").textContent = cycle.shown ? t.cycle_hide : t.cycle_show;
  $("cycle-toggle").setAttribute("aria-expanded", String(cycle.shown));
}
// The inputs read as numbers ({ values } or { problem: the message }); an empty capacity is none.
function readInputs() {
  const values = [];
  for (const input of INPUTS) {
    const typed = $(input.id).value;
    if (input.kind === "kw" && typed.trim() === "") {
      values.push(0);
      continue;
    }
    const read = page.readNumber(typed);
    if (read.problem) {
      const label = document.querySelector(`label[for=${input.id}]`).textContent;
      return { problem: `${label}: «${typed}» ${TEXTS[state.lang][read.problem]}` };
    }
    values.push(read.value);
  }
  return { values };
}
function showCycleMessage(text) {
  $("cycle-message").textContent = text;
  $("cycle-message").hidden = text === "";
}
function calculateCycle() {
  const started = performance.now();
  cycle.asked = true;
  cycle.result = null;
  const read = readInputs();
  if (read.problem) {
    cycle.inputs = null;
    showCycleMessage(read.problem);
    renderCycle();
    return;
  }
  cycle.inputs = INPUTS.map((input, i) =>
    (input.kind === "kw" && $(input.id).value.trim() === "" ? "" : String(read.values[i])));
  const [t0, tc, superheat, subcooling, efficiency, capacity] = read.values;
  const options = cycleOptions();
  const status = M._zeltra5_cycle(t0, tc, superheat, subcooling, efficiency, capacity,
    put("options", options), buffers.figures, FIGURES, buffers.states, FIELDS * STATES);
  if (status !== 0) {
    showCycleMessage(libraryText((buffer, size) => M._zeltra5_explain_cycle(t0, tc, superheat,
      subcooling, efficiency, capacity, put("options", options), buffer, size)));
    renderCycle();
    window.cycleMs = performance.now() - started;
    return;
  }
  const f64 = (ptr, k) => M.HEAPF64[(ptr >> 3) + k];
  cycle.result = {
    status, options, model: $("model").value,
    figures: Array.from({ length: FIGURES }, (_, k) => f64(buffers.figures, k)),
    states: Array.from({ length: STATES }, (_, s) =>
      Array.from({ length: FIELDS }, (_, k) => f64(buffers.states, s * FIELDS + k))),
    svg: ["ph", "ts"].map((type) => libraryText((buffer, size) => M._zeltra5_diagram_cycle_svg(
      put("type", type), t0, tc, superheat, subcooling, efficiency, put("options", options),
      buffer, size))),
  };
  showCycleMessage("");
  renderCycle();
  window.cycleMs = performance.now() - started;  // calculation, both drawings, the tables
}
function numberCell(tag, v) {
  const cell = document.createElement(tag);
  cell.className = "num";
  if (Number.isFinite(v)) {
    cell.textContent = page.formatValue(v);
    cell.dataset.value = String(v);
  }
  return cell;
}
// The figures, the states and the drawings of the cycle on show; names and units only, every
// value blank and no drawing, when none is.
function renderCycle() {
  const result = cycle.result;
  const options = result?.options ?? cycleOptions();
  const optionsArg = () => put("options", options);
  const t = TEXTS[state.lang];
  const figureRows = [];
  for (let k = 0; k < FIGURES; k++) {
    const tr = document.createElement("tr");
    tr.dataset.figure = str(M._zeltra5_cycle_figure_name(k));
    const name = document.createElement("th");
    name.scope = "row";
    name.textContent = str(M._zeltra5_web_cycle_figure_title(k, put("lang", state.lang)));
    const unit = document.createElement("td");
    unit.className = "unit";
    unit.textContent = str(M._zeltra5_cycle_figure_unit(k, optionsArg()));
    tr.append(name, numberCell("td", result ? result.figures[k] : NaN), unit);
    figureRows.push(tr);
  }
  page.alignNumbers(figureRows.map((tr) => tr.cells[1]).filter((td) => td.dataset.value));
  $("cycle-figures").tBodies[0].replaceChildren(...figureRows);

  const head = document.createElement("tr");
  const headCell = (text, title, unit, field) => {
    const th = document.createElement("th");
    th.scope = "col";
    th.title = title;
    if (field) th.dataset.field = field;
    const u = document.createElement("span");
    u.className = "unit";
    u.textContent = unit;
    th.append(text, u);
    return th;
  };
  head.append(headCell(t.cycle_point, "", ""), headCell(t.cycle_state, "", ""));
  for (const { name, field } of STATE_FIELDS) {
    head.append(headCell(str(M._zeltra5_field_symbol(field)),
      page.rowName(page.fieldRow(field), options), page.fieldUnit(field, options), name));
  }
  const columns = STATE_FIELDS.map(() => []);
  const rows = Array.from({ length: STATES }, (_, s) => {
    const tr = document.createElement("tr");
    const point = document.createElement("th");
    point.scope = "row";
    point.textContent = String(s + 1);
    const name = document.createElement("td");
    name.textContent = str(M._zeltra5_web_cycle_state_name(s, put("lang", state.lang)));
    tr.append(point, name);
    STATE_FIELDS.forEach(({ field }, k) => {
      const td = numberCell("td", result ? result.states[s][field] : NaN);
      columns[k].push(td);
      tr.append(td);
    });
    return tr;
  });
  columns.forEach((cells) => page.alignNumbers(cells.filter((td) => td.dataset.value)));
  $("cycle-states").tHead.replaceChildren(head);
  $("cycle-states").tBodies[0].replaceChildren(...rows);

  ["ph", "ts"].forEach((type, i) => {
    const box = $(`cycle-${type}`);
    if (!result || !result.svg[i]) {
      box.replaceChildren();
      return;
    }
    const svg = new DOMParser().parseFromString(result.svg[i], "image/svg+xml").documentElement;
    svg.removeAttribute("width");
    svg.removeAttribute("height");
    const caption = document.createElement("figcaption");
    caption.textContent = t[`cycle_${type}`];
    box.replaceChildren(svg, caption);
  });
  $("cycle-model").textContent = page.modelLine(result?.model ?? $("model").value);
}
function setInputs(values, units) {
  INPUTS.forEach((input, i) => { $(input.id).value = values[i]; });
  cycle.units = units;
}
// The inputs' defaults, in the page's units.
function initialInputs() {
  return INPUTS.map((input) => convertInput(input, input.initial, "display", page.unitsChoice()) ??
    input.initial);
}
function showCycle(shown) {
  cycle.shown = shown;
  $("cycle").hidden = !shown;
  document.body.classList.toggle("cycle-shown", shown);
  labelCycle();
  if (shown && !cycle.asked) calculateCycle();
}
// New units: the typed values converted into them (the same cycle), and said under the form as
// the state's are.
function cycleUnitsChanged() {
  const to = page.unitsChoice();
  const from = cycle.units;
  if (from === to) return;
  const changes = [];
  for (const input of INPUTS) {
    const typed = $(input.id).value.trim();
    if (!input.kind || input.kind === "kw" || page.readNumber(typed).problem) continue;
    const converted = convertInput(input, String(page.readNumber(typed).value), from, to);
    const before = unitOf(input, from), after = unitOf(input, to);
    if (converted === null || before === after) continue;
    $(input.id).value = converted;
    changes.push(`${typed} ${before} → ${converted} ${after}`);
  }
  cycle.units = to;
  if (changes.length > 0) {
    const note = $("units-note");
    const t = TEXTS[state.lang];
    note.textContent = note.textContent
      ? `${note.textContent}; ${changes.join("; ")}` : `${t.units_converted}: ${changes.join("; ")}`;
  }
}

// --- the address --------------------------------------------------------------------------
const CYCLE_KEYS = INPUTS.map((input) => input.key);
// The address's keys of the state besides model= and digits=, which app.js reads itself: an
// address with none of them is kept as it is until a person calculates.
const STATE_KEYS = ["pair", "first", "second", "superheat", "units", "reference", "lang", "view",
  ...CYCLE_KEYS];
const address = {
  full: false,  // the address holds the whole state (written after each calculation)
  shown: null,  // the state last calculated: { pair, values, superheat, units }
  notes: [],  // what the address held and the page did not understand: [{ item, used }]
};
const encode = (v) => encodeURIComponent(v).replace(/%2C/gi, ",").replace(/%3D/gi, "=")
  .replace(/%2F/gi, "/");
const query = (items) => items.map(([k, v]) => `${k}=${encode(v)}`).join("&");

// A choice of units as the address holds it, "display,p=kPa,t=K" (a system first, then a unit
// per quantity, each at most once), read into the page's lists; null when it is not one.
function parseUnits(text) {
  const items = text.split(",");
  const system = page.UNIT_SYSTEMS.includes(items[0]) ? items.shift() : "si";
  const units = {};
  for (const item of items) {
    const [key, unit, extra] = item.split("=");
    if (extra !== undefined || !(key in page.UNIT_CHOICES) || key in units ||
        !page.UNIT_CHOICES[key].includes(unit)) return null;
    units[key] = unit;
  }
  return { system, units };
}
function setUnits({ system, units }) {
  $("units").value = system;
  for (const key of Object.keys(page.UNIT_CHOICES)) {
    $(`unit-${key}`).value = units[key] ?? page.systemUnit(system, key);
  }
  state.units = page.unitsChoice();
}
// The state the address holds, set on the page before the first calculation.
function readAddress() {
  const params = new URLSearchParams(window.location.search);
  if (!STATE_KEYS.some((k) => params.has(k))) return;
  address.full = true;
  const bad = (key, value, used) => address.notes.push({ item: value === null ? key : `${key}=${value}`, used });
  const lang = params.get("lang");
  if (lang !== null) {
    if (Object.hasOwn(TEXTS, lang)) state.lang = lang;
    else bad("lang", lang, `lang=${state.lang}`);
  }
  const units = params.get("units");
  if (units !== null) {
    const parsed = parseUnits(units);
    if (parsed) setUnits(parsed);
    else bad("units", units, "units=display");
  }
  const reference = params.get("reference");
  if (reference !== null) {
    if (Array.from($("reference").options, (o) => o.value).includes(reference)) {
      $("reference").value = reference;
    } else {
      bad("reference", reference, "reference=default");
    }
  }
  const superheat = params.get("superheat");
  if (superheat !== null && superheat !== "0" && superheat !== "1") bad("superheat", superheat, "superheat=0");
  $("superheat").checked = superheat === "1";
  const digits = params.get("digits");
  if (digits !== null && digits !== "full" && digits !== "6") bad("digits", digits, "6");
  readStateFromAddress(params, bad);
  const view = params.get("view");
  if (view !== null && view !== "cycle" && view !== "state") bad("view", view, "view=state");
  const values = initialInputs();
  INPUTS.forEach((input, i) => {
    const text = params.get(input.key);
    if (text === null) return;
    const empty = input.kind === "kw" && text.trim() === "";
    const read = page.readNumber(text);
    if (empty) values[i] = "";
    else if (read.problem) bad(input.key, text, `${input.key}=${values[i]}`);
    else values[i] = String(read.value);
  });
  setInputs(values, page.unitsChoice());
  page.applyTexts();
  if (view === "cycle") showCycle(true);
}
// The pair and its values; any of them missing or not understood gives the page's first state
// (p-t, 10 bar, 25 °C in the address's units).
function readStateFromAddress(params, bad) {
  const [pair, first, second] = ["pair", "first", "second"].map((k) => params.get(k));
  if (pair === null && first === null && second === null) {
    // The page's first state, typed in the program's units, in the address's.
    page.pairFields($("pair").value).forEach((field, i) => {
      const id = ["first", "second"][i];
      $(id).value = page.convertValues(field, $(id).value, "display", page.unitsChoice()) ?? $(id).value;
    });
    return;
  }
  const known = page.pairs().includes(pair);
  const fields = known ? page.pairFields(pair) : [];
  const texts = [first, second].slice(0, fields.length);
  const read = texts.map((text) => (text === null ? null : page.readNumber(text)));
  const wrong = !known ? ["pair", pair]
    : read.map((r, i) => [["first", "second"][i], texts[i], r]).find(([, , r]) => r === null || r.problem);
  let values;
  if (wrong) {
    const fallback = [["pair", "p-t"], ...[["first", "10"], ["second", "25"]].map(([k, v], i) =>
      [k, page.convertValues(page.pairFields("p-t")[i], v, "display", page.unitsChoice()) ?? v])];
    bad(wrong[0], wrong[1], query(fallback));
    values = { pair: "p-t", texts: fallback.slice(1).map(([, v]) => v) };
  } else {
    values = { pair, texts: read.map((r) => String(r.value)) };
  }
  $("pair").value = values.pair;
  state.inputFields = page.pairFields(values.pair);
  $("first").value = values.texts[0];
  $("second").value = values.texts[1] ?? "";
}
function showAddressNote() {
  const note = $("address-note");
  const t = TEXTS[state.lang];
  note.hidden = address.notes.length === 0;
  note.textContent = address.notes.length === 0 ? ""
    : t.address_note(address.notes.map(({ item, used }) => t.address_item(item, used)).join("; "));
}
// After each calculation of the state: what it was, in the units it was typed in.
function stateCalculated() {
  const pair = $("pair").value;
  const count = page.pairFields(pair).length;
  address.shown = {
    pair, values: ["first", "second"].slice(0, count).map((id) => String(page.readNumber($(id).value).value)),
    superheat: $("superheat").checked && !$("superheat").disabled, units: page.unitsChoice(),
  };
  writeAddress();
}
// The whole state into the address (replaced: no step of the history, no reload).
function writeAddress() {
  if (!address.full) return;
  const units = page.unitsChoice();
  const items = [];
  const shown = address.shown;
  if (shown) {
    const fields = page.pairFields(shown.pair);
    items.push(["pair", shown.pair]);
    shown.values.forEach((v, i) => {
      const value = shown.units === units ? v : page.convertValues(fields[i], v, shown.units, units) ?? v;
      items.push([["first", "second"][i], value]);
    });
    if (shown.superheat) items.push(["superheat", "1"]);
  }
  items.push(["units", units], ["model", $("model").value], ["reference", $("reference").value],
    ["lang", state.lang]);
  if (state.fullDigits) items.push(["digits", "full"]);
  if (cycle.shown) {
    items.push(["view", "cycle"]);
    const values = cycle.inputs ?? INPUTS.map((input) => $(input.id).value);
    INPUTS.forEach((input, i) => items.push([input.key, values[i]]));
  }
  // Only when it changes: a browser limits how often a page may replace its address.
  const search = `?${query(items)}`;
  if (search !== window.location.search) window.history.replaceState(null, "", search + window.location.hash);
}

// --- wiring -------------------------------------------------------------------------------
hooks.beforeStart.push(() => {
  setInputs(initialInputs(), page.unitsChoice());
  readAddress();
  labelCycle();
  renderCycle();
  showAddressNote();
});
hooks.afterRun.push(stateCalculated);
hooks.afterStart.push(writeAddress);
hooks.refresh.push(() => {
  cycleUnitsChanged();
  labelCycle();
  if (cycle.shown && cycle.asked) {
    calculateCycle();
  } else {
    renderCycle();
  }
  showAddressNote();
  writeAddress();
});
// A calculation asked for: the address holds the whole state from then on, and what it held
// before (and was noted) no longer matters.
const asked = () => {
  address.full = true;
  address.notes = [];
  showAddressNote();
};
$("state").addEventListener("submit", () => {
  asked();
  writeAddress();
});
$("cycle-form").addEventListener("submit", (e) => {
  e.preventDefault();
  calculateCycle();
  asked();
  writeAddress();
});
$("cycle-toggle").addEventListener("click", () => {
  showCycle(!cycle.shown);
  asked();
  writeAddress();
});
$("full-digits").addEventListener("change", () => {
  renderCycle();
  writeAddress();
});
// For the browser test and benchmark.
window.zeltra5Cycle = { calculateCycle, parseUnits, address, writeAddress, stateCalculated };
