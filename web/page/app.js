// The page over the calculator's C interface compiled to WebAssembly. Every number, name, unit,
// phase name and refusal text comes from the library; the page only lays them out.
import createZeltra5 from "./zeltra5.js";

const TEXTS = {
  ru: {
    title: "Свойства аммиака", pair: "Параметры", superheat: "Перегретая жидкость",
    units: "Единицы", units_system: "Система", units_display: "бар, °C, кДж/кг (как в программе)",
    units_si: "СИ: Па, К, Дж/кг", units_si_celsius: "СИ с °C: Па, °C, Дж/кг",
    units_converted: "Введённые значения пересчитаны в новые единицы (состояние то же)",
    reference: "Отсчёт h, s", ref_default: "тройная точка", ref_iir: "МИХ (0 °C: 200 кДж/кг)",
    ref_ashrae: "ASHRAE (−40 °C)", ref_nbp: "нормальная точка кипения",
    model: "Модель (уравнение состояния)", model_line: "Модель",
    model_unknown: (name, choices, used) =>
      `Модель «${name}» из адреса страницы неизвестна (есть: ${choices}); расчёт по ${used}`,
    calculate: "Расчёт", tab_requested: "Состояние", tab_liquid: "Насыщенная жидкость",
    tab_vapour: "Насыщенный пар", copy_table: "Копировать таблицу", copy: "Копировать",
    more_fields: "Другие свойства",
    copied: "Скопировано", diagram: "Диаграмма lg p-h", tables_title: "Таблицы свойств",
    tables_kind: "Таблица", range_of: (name) => `${name}: от:до:шаг`,
    tables_make: "Построить", tables_download: "Скачать CSV", tables_copy: "Копировать таблицу",
    tables_columns: "Столбцы",
    too_many_rows: (n, max) => `Значений в диапазоне ${n}, а таблица на странице — не больше ${max} ` +
      "строк: увеличьте шаг или сократите диапазон (командная строка zeltra5-calc table даёт до 10000)",
    no_valid_row: "Ни одна строка таблицы не лежит в области расчёта",
    not_number: "— не число: введите цифры с точкой или запятой и, если нужно, порядок (2.9, 1e5, " +
      "без пробелов и букв); единицы выбираются в «Единицы»",
    too_large: "— слишком большое число: больше наибольшего, какое может быть в расчёте (около 1.8e308)",
    too_small: "— слишком малое число: не ноль, но меньше наименьшего, какое может быть в расчёте " +
      "(около 4.9e-324), и стало бы нулём; для нуля введите 0",
    superheat_refusal: "Перегретая жидкость",
    no_saturation: "Вкладки насыщенных состояний недоступны",
    full_digits: "Все знаки", digits_title: "Показать значения с 16 значащими цифрами вместо 6 " +
      "(копирование всегда даёт все знаки)",
    models_title: "Модели", citation: "Источник",
    loading: "Загрузка…",
  },
  en: {
    title: "Properties of ammonia", pair: "Given", superheat: "Superheated liquid",
    units: "Units", units_system: "System", units_display: "bar, °C, kJ/kg (as the program)",
    units_si: "SI: Pa, K, J/kg", units_si_celsius: "SI with °C: Pa, °C, J/kg",
    units_converted: "Entered values converted into the new units (the same state)",
    reference: "Reference of h, s", ref_default: "triple point", ref_iir: "IIR (0 °C: 200 kJ/kg)",
    ref_ashrae: "ASHRAE (−40 °C)", ref_nbp: "normal boiling point",
    model: "Model (equation of state)", model_line: "Model",
    model_unknown: (name, choices, used) =>
      `Unknown model "${name}" in the page's address (the choices: ${choices}); calculated with ${used}`,
    calculate: "Calculate", tab_requested: "State", tab_liquid: "Saturated liquid",
    tab_vapour: "Saturated vapour", copy_table: "Copy table", copy: "Copy",
    more_fields: "More properties",
    copied: "Copied", diagram: "log p-h diagram", tables_title: "Property tables",
    tables_kind: "Table", range_of: (name) => `${name}: from:to:step`,
    tables_make: "Make", tables_download: "Download CSV", tables_copy: "Copy table",
    tables_columns: "Columns",
    too_many_rows: (n, max) => `The range has ${n} values, and a table on the page at most ${max} ` +
      "rows: make the step larger or the range shorter (the command line's zeltra5-calc table gives up to 10000)",
    no_valid_row: "No row of the table lies within the domain",
    not_number: "is not a number: type digits with a point or comma and, if needed, an exponent " +
      "(2.9, 1e5; no blanks or letters); the units are chosen under Units",
    too_large: "is too large: beyond the largest number a calculation can hold (about 1.8e308)",
    too_small: "is too small: not zero, but below the smallest number a calculation can hold " +
      "(about 4.9e-324), so it would become zero; type 0 for zero",
    superheat_refusal: "Superheated liquid",
    no_saturation: "The saturated tabs are not available",
    full_digits: "Full precision", digits_title: "Show the values with 16 significant digits " +
      "instead of 6 (a copy always has every digit)",
    models_title: "Models", citation: "Source",
    loading: "Loading…",
  },
};
const COPY_ICON = '<svg viewBox="0 0 16 16" width="14" height="14" aria-hidden="true">' +
  '<rect x="5" y="5" width="9" height="9" rx="1" fill="none" stroke="currentColor"/>' +
  '<path d="M11 3V2H2v9h1" fill="none" stroke="currentColor"/></svg>';
const SIDES = { requested: 0, liquid: 1, vapour: 2 };
// The choice of units the library takes (units=display,p=kPa): a system, then the unit of each
// quantity with a choice, named as the library names them. The field of each key gives the
// unit's text in the page's language.
const UNIT_SYSTEMS = ["display", "si", "si-celsius"];
const UNIT_CHOICES = {
  p: ["Pa", "kPa", "MPa", "bar", "psi"],
  t: ["K", "degC", "degF"],
  h: ["J/kg", "kJ/kg"],
  s: ["J/(kg*K)", "kJ/(kg*K)", "kJ/(kg*degC)"],
};
const UNIT_FIELDS = { p: "pressure", t: "temperature", h: "specific_enthalpy", s: "specific_entropy" };
const $ = (id) => document.getElementById(id);

const M = await createZeltra5();
const FIELDS = M._zeltra5_field_count();
// Every field: the nineteen of the table, then the outputs the list below it shows.
const ALL_FIELDS = M._zeltra5_field_count_v2();
const ROWS = M._zeltra5_table_row_count();
const TEXT_SIZE = 1 << 16;
const heap = {
  values: M._malloc(8 * ALL_FIELDS), phase: M._malloc(8), text: M._malloc(TEXT_SIZE),
  x: M._malloc(8), y: M._malloc(8),
};
// Texts for the library, each in a buffer of its own ("pair", "options", ...) grown to fit: a
// text is never cut, so the library reads all that was typed, as the command line reads its
// argument, and refuses what it must. A NUL would end the C string early: it goes as U+FFFD,
// which no number contains.
const argBuffers = new Map();
function put(slot, s) {
  const text = s.replaceAll("\0", "\uFFFD");
  const size = M.lengthBytesUTF8(text) + 1;
  let buffer = argBuffers.get(slot);
  if (!buffer || buffer.size < size) {
    if (buffer) M._free(buffer.ptr);
    const ptr = M._malloc(size);
    if (!ptr) throw new Error(`no memory for a text of ${size} bytes`);
    buffer = { ptr, size };
    argBuffers.set(slot, buffer);
  }
  M.stringToUTF8(text, buffer.ptr, size);
  return buffer.ptr;
}
const str = (ptr) => (ptr ? M.UTF8ToString(ptr) : "");
// A text the library writes with the snprintf contract: write(buffer, size) answers the whole
// length, and a longer one is asked for again in a buffer of that size.
function libraryText(write) {
  const n = write(heap.text, TEXT_SIZE);
  if (n < TEXT_SIZE) return n > 0 ? str(heap.text) : "";
  const big = M._malloc(n + 1);
  if (!big) throw new Error(`no memory for a text of ${n + 1} bytes`);
  write(big, n + 1);
  const text = str(big);
  M._free(big);
  return text;
}
const f64 = (ptr) => M.HEAPF64[ptr >> 3];

// What the page's other modules (cycle.js) hook on: after each calculation of the state, after
// a change of units, reference, model or language (refresh), and around the first calculation.
const hooks = { afterRun: [], refresh: [], beforeStart: [], afterStart: [] };
const state = {
  lang: "ru", table: "requested", results: null, diagramKey: "", marker: null, units: "display",
  // The model the address named when the registry has none of that name (null: none such).
  unknownModel: null,
  // The values shown with 16 significant digits, not 6 (the address's digits=full).
  fullDigits: false,
  // The fields of the pair the inputs hold values of: kept across a change of pair where the
  // new pair has the same quantity.
  inputFields: [],
  // The property tables: the kind of the form, the columns chosen for each kind (by name), the
  // table on show ({ kind, csv, rows, options, model }) and whether a table or its refusal is on
  // show (then made again in new units, reference, model or language).
  tableKind: null, columns: {}, tableView: null, tableShown: false,
};

// --- what the library says ----------------------------------------------------------------
function optionsText(withSuperheat) {
  const superheat = withSuperheat && $("superheat").checked && !$("superheat").disabled ? 1 : 0;
  return `units=${unitsChoice()};reference=${$("reference").value};lang=${state.lang};` +
    `superheat=${superheat};model=${$("model").value}`;
}
// The unit a system gives a quantity, found by the library: the one whose text is the system's.
const systemUnitCache = new Map();
function systemUnit(system, key) {
  const id = `${system} ${key}`;
  if (!systemUnitCache.has(id)) {
    const field = M._zeltra5_field_index(put("name", UNIT_FIELDS[key]));
    const own = fieldUnit(field, `units=${system};lang=en`);
    systemUnitCache.set(id,
      UNIT_CHOICES[key].find((u) => fieldUnit(field, `units=${system},${key}=${u};lang=en`) === own));
  }
  return systemUnitCache.get(id);
}
// The units chosen on the page, as the library's choice: the system, then each quantity whose
// unit is not the system's ("display,p=kPa,t=K").
function unitsChoice() {
  const system = $("units").value;
  const items = Object.keys(UNIT_CHOICES)
    .filter((key) => $(`unit-${key}`).value !== systemUnit(system, key))
    .map((key) => `${key}=${$(`unit-${key}`).value}`);
  return [system, ...items].join(",");
}
// A number or a range typed in one choice of units, in another, by the library; null when the
// library would refuse the text (it is then kept as typed, and refused with its reason).
function convertValues(field, text, from, to) {
  const args = [field, put("convert", text), put("from", from), put("to", to)];
  const n = M._zeltra5_convert_values(...args, 0, 0);
  if (n < 0) return null;
  return libraryText((buffer, size) => M._zeltra5_convert_values(...args, buffer, size));
}
// The equations of state of the library's registry: [{ name, description }], and the index of
// the one a request without a choice gets.
function models() {
  return Array.from({ length: M._zeltra5_model_count() }, (_, i) => ({
    name: str(M._zeltra5_model_name(i)), description: str(M._zeltra5_web_model_description(i)),
    citation: str(M._zeltra5_web_model_citation(i)),
  }));
}
const MODELS = models();
const DEFAULT_MODEL = MODELS[M._zeltra5_web_default_model()].name;
function pairs() {
  const list = [];
  for (let i = 0; i < M._zeltra5_pair_count_v2(); i++) list.push(str(M._zeltra5_pair_name_v2(i)));
  return list;
}
// The fields of a pair's values: "p-h" gives p and h, "ts-liquid" t.
function pairFields(pair) {
  const symbols = pair.split("-");
  const first = symbols[0].replace(/s$/, "");
  const count = M._zeltra5_pair_value_count(put("pair", pair));
  const out = [M._zeltra5_field_index(put("name", first))];
  if (count === 2) out.push(M._zeltra5_field_index(put("name", symbols[1])));
  return out;
}
function rowName(row, options) {
  return str(M._zeltra5_table_row_name(row, put("options", options)));
}
function fieldUnit(field, options) {
  return str(M._zeltra5_field_unit(field, put("options", options)));
}
function fieldRow(field) {
  for (let r = 0; r < ROWS; r++) if (M._zeltra5_table_row_field(r) === field) return r;
  return -1;
}

// The names of the fields after the nineteen, by machine name: [Russian, English].
const MORE_FIELD_NAMES = {
  compressibility_factor: ["Коэффициент сжимаемости Z", "Compressibility factor Z"],
  joule_thomson_coefficient: ["Коэффициент Джоуля–Томсона", "Joule-Thomson coefficient"],
  isothermal_compressibility: ["Изотермическая сжимаемость", "Isothermal compressibility"],
  specific_gibbs_energy: ["Энергия Гиббса", "Gibbs energy"],
  specific_helmholtz_energy: ["Энергия Гельмгольца", "Helmholtz energy"],
  fugacity: ["Летучесть", "Fugacity"],
  fugacity_coefficient: ["Коэффициент летучести", "Fugacity coefficient"],
  ideal_gas_isobaric_heat_capacity: ["Теплоёмкость идеального газа cp0", "Ideal-gas heat capacity cp0"],
  second_virial_coefficient: ["Второй вириальный коэффициент", "Second virial coefficient"],
  third_virial_coefficient: ["Третий вириальный коэффициент", "Third virial coefficient"],
  saturation_pressure_slope: ["Наклон линии насыщения dp/dT", "Saturation slope dp/dT"],
  pressure_temperature_derivative: ["(∂p/∂T) при ρ = const", "(∂p/∂T) at constant density"],
  pressure_density_derivative: ["(∂p/∂ρ) при T = const", "(∂p/∂ρ) at constant temperature"],
  phase_identification_parameter: ["Параметр идентификации фазы", "Phase identification parameter"],
};

// The fields after the nineteen of a state the library gives by a pair and its values.
function moreValues(pair, first, second, options) {
  const status = M._zeltra5_calculate_fields(put("pair", pair), first, second,
    put("options", options), put("fields", ""), heap.values, ALL_FIELDS, heap.phase, heap.phase + 4);
  return Array.from({ length: ALL_FIELDS - FIELDS },
    (_, k) => (status === 0 ? f64(heap.values + 8 * (FIELDS + k)) : NaN));
}

// One state: the requested one (side 0) or the saturated liquid or vapour at its pressure.
function calculate(pair, first, second, options, side) {
  const pairArg = put("pair", pair);
  const optionsArg = put("options", options);
  const status = side === 0
    ? M._zeltra5_calculate(pairArg, first, second, optionsArg, heap.values, FIELDS,
      heap.phase, heap.phase + 4)
    : M._zeltra5_saturated(pairArg, first, second, optionsArg, side, heap.values, FIELDS,
      heap.phase, heap.phase + 4);
  const values = Array.from({ length: FIELDS }, (_, k) => f64(heap.values + 8 * k));
  const phase = M.HEAP32[heap.phase >> 2], detail = M.HEAP32[(heap.phase >> 2) + 1];
  let message = "", phaseName = "";
  if (status !== 0) {
    message = plainRefusal(libraryText((buffer, size) => (side === 0
      ? M._zeltra5_explain(pairArg, first, second, optionsArg, buffer, size)
      : M._zeltra5_explain_saturated(pairArg, first, second, optionsArg, side, buffer, size))));
  } else {
    phaseName = str(M._zeltra5_phase_name(phase, detail, optionsArg));
    // The saturated state's other outputs: the same state by its own pair and pressure.
    values.push(...(side === 0
      ? moreValues(pair, first, second, options)
      : moreValues(side === 1 ? "ps-liquid" : "ps-vapour", values[1], 0, options)));
  }
  return { status, values, phase, detail, phaseName, message };
}

// A refusal that only the superheated liquid brings: the library starts it with the option that
// asked for it ("with superheat=1: "), which the page names by its check box instead.
function plainRefusal(message) {
  const option = message.match(/^[^:]*\bsuperheat=1: /);
  return option ? `${TEXTS[state.lang].superheat_refusal}: ${message.slice(option[0].length)}` : message;
}

// A value with up to `digits` significant digits, as C's %g but written out without an
// exponent up to 1e15 (1000000 Pa, not 1e+06): 16 is the program's table (%.16g), 6 the page's
// default. Trailing zeros go, as %g drops them.
function formatDigits(v, digits) {
  if (!Number.isFinite(v)) return "";
  if (v === 0) return "0";
  const trim = (s) => (s.includes(".") ? s.replace(/0+$/, "").replace(/\.$/, "") : s);
  const [mantissa, exp] = v.toExponential(digits - 1).split("e");
  const e = Number(exp);
  if (e >= -4 && e < Math.max(digits, 15)) {
    // Below the digits' last place: the rounded number, a whole number a double holds exactly.
    return trim(e < digits ? v.toFixed(digits - 1 - e) : Number(v.toPrecision(digits)).toFixed(0));
  }
  return `${trim(mantissa)}e${e < 0 ? "-" : "+"}${String(Math.abs(e)).padStart(2, "0")}`;
}
const FULL_DIGITS = 16, SHORT_DIGITS = 6;
// A value as the page shows it (6 digits, or 16 at the switch) and as a copy gives it (16).
const formatValue = (v) => formatDigits(v, state.fullDigits ? FULL_DIGITS : SHORT_DIGITS);
const formatFull = (v) => formatDigits(v, FULL_DIGITS);
// Cells of numbers aligned on the decimal point: each text split into its whole part and the
// rest (".25", ".23457e-05"), each part padded to the column's widest (a monospace font, where
// a character is 1ch wide). Padding, not a box of its own: a cell stays one line of inline text,
// laid out at a fraction of the cost of two inline blocks.
// Text as it stands inside HTML.
const escapeHtml = (text) => String(text).replace(/[&<>"]/g, (c) =>
  ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]);
function alignNumbers(cells) {
  const parts = cells.map((td) => {
    const text = td.textContent;
    const at = /^[-+]?\d+$/.test(text) ? text.length : text.search(/[.e]/);
    return at < 0 ? null : [text.slice(0, at), text.slice(at)];
  });
  const widest = (k) => Math.max(0, ...parts.map((p) => (p ? p[k].length : 0)));
  const whole = widest(0), rest = widest(1);
  cells.forEach((td, i) => {
    if (!parts[i]) return;
    const spans = parts[i].map((text, k) => {
      const span = document.createElement("span");
      span.className = k === 0 ? "whole" : "rest";
      const pad = (k === 0 ? whole : rest) - text.length;
      if (pad > 0) span.style[k === 0 ? "paddingLeft" : "paddingRight"] = `${pad}ch`;
      span.textContent = text;
      return span;
    });
    td.replaceChildren(...spans);
  });
}

// --- the page -----------------------------------------------------------------------------
function applyTexts() {
  const t = TEXTS[state.lang];
  document.documentElement.lang = state.lang;
  document.querySelectorAll("[data-text]").forEach((el) => { el.textContent = t[el.dataset.text]; });
  document.title = `zeltra5 — ${t.title}`;
  $("copied").textContent = "";
  $("units-note").textContent = "";
  document.querySelectorAll(".lang button").forEach((b) =>
    b.setAttribute("aria-pressed", String(b.dataset.lang === state.lang)));
  showModelNote();
  showModels();
  $("full-digits").title = t.digits_title;
  updateInputs();
}
// The pairs' and the saturation table's choices in the page's language and units, from the
// library: "p-t: Давление, Температура", "ps-liquid: Давление — Насыщенная жидкость".
function labelChoices() {
  const options = optionsText(false);
  for (const option of $("pair").options) {
    const names = pairFields(option.value).map((f) => rowName(fieldRow(f), options));
    const side = option.value.match(/-(liquid|vapour)$/);
    const sideName = side
      ? ` — ${str(M._zeltra5_phase_name(side[1] === "liquid" ? 1 : 2, 0, put("options", options)))}`
      : "";
    option.textContent = `${option.value}: ${names.join(", ")}${sideName}`;
  }
  // The table's kinds by the library's titles, its value held and its range.
  for (const option of $("tables-kind").options) {
    const index = TABLE_KINDS.findIndex((k) => k.name === option.value);
    option.textContent = str(M._zeltra5_web_table_kind_title(index, put("lang", state.lang)));
  }
  const kind = tableKind();
  $("tables-fixed-box").hidden = isSaturation(kind);
  if (!isSaturation(kind)) {
    $("tables-fixed-label").textContent = rowName(fieldRow(kind.fixed), options);
    $("tables-fixed-unit").textContent = fieldUnit(kind.fixed, options);
  }
  $("tables-range-label").textContent = TEXTS[state.lang].range_of(rowName(fieldRow(kind.varied), options));
  $("tables-range-unit").textContent = fieldUnit(kind.varied, options);
  renderColumnChoice();
  // Each quantity's units by their texts in the page's language.
  const system = $("units").value;
  for (const [key, units] of Object.entries(UNIT_CHOICES)) {
    const field = M._zeltra5_field_index(put("name", UNIT_FIELDS[key]));
    $(`unit-${key}-label`).textContent = rowName(fieldRow(field), options);
    units.forEach((unit, i) => {
      $(`unit-${key}`).options[i].textContent =
        fieldUnit(field, `units=${system},${key}=${unit};lang=${state.lang}`);
    });
  }
}
function updateInputs() {
  labelChoices();
  $("model-description").textContent =
    MODELS.find((m) => m.name === $("model").value)?.description ?? "";
  const options = optionsText(false);
  const pair = $("pair").value;
  const fields = pairFields(pair);
  const single = fields.length === 1;
  $("second-box").hidden = single;
  $("second").required = !single;
  $("superheat").disabled = /^[pt]s-|^t-x$/.test(pair);
  ["first", "second"].forEach((id, i) => {
    if (i >= fields.length) return;
    $(`${id}-label`).textContent = rowName(fieldRow(fields[i]), options);
    $(`${id}-unit`).textContent = fieldUnit(fields[i], options);
  });
}
function readValue(id) {
  return readNumber($(id).value).value;
}
// A typed number: { value } or { value: NaN, problem } with problem "not_number", "too_large"
// (beyond the doubles: 1e400) or "too_small" (not zero, yet it rounds to zero: 1e-400).
function readNumber(typed) {
  const text = typed.trim().replace(",", ".");
  const match = text.match(/^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/);
  if (!match) return { value: NaN, problem: "not_number" };
  const value = Number(text);
  if (!Number.isFinite(value)) return { value: NaN, problem: "too_large" };
  if (value === 0 && /[1-9]/.test(match[1])) return { value: NaN, problem: "too_small" };
  return { value };
}
function showMessage(text) {
  $("message").textContent = text;
  $("message").hidden = text === "";
}

// No state on show: the tables blank, the marker hidden, the saturated tabs open, no message.
function clearResult(message = "") {
  state.results = null;
  renderTable();
  if (state.marker) state.marker.setAttribute("visibility", "hidden");
  showMessage(message);
}

function run() {
  const pair = $("pair").value;
  const fields = pairFields(pair);
  const ids = ["first", "second"].slice(0, fields.length);
  const read = ids.map((id) => readNumber($(id).value));
  const bad = read.findIndex((r) => r.problem);
  if (bad >= 0) {
    const id = ids[bad];
    clearResult(`${$(`${id}-label`).textContent}: «${$(id).value}» ${TEXTS[state.lang][read[bad].problem]}`);
    $(id).focus();
    return;
  }
  const first = read[0].value, second = fields.length === 2 ? read[1].value : 0;
  const options = optionsText(true);
  const results = {};
  for (const [name, side] of Object.entries(SIDES)) {
    results[name] = calculate(pair, first, second, options, side);
  }
  state.results = { ...results, options, model: $("model").value };
  showMessage(results.requested.message);
  renderTable();
  moveMarker(pair, first, second, results.requested);
  hooks.afterRun.forEach((f) => f());
}

// A new pair: a value of a quantity the new pair also has stays in that quantity's input (the
// pressure of p-t is the pressure of p-h), any other is cleared; the state on show goes.
function pairChanged() {
  const fields = pairFields($("pair").value);
  const typed = new Map(state.inputFields.map((f, i) => [f, $(["first", "second"][i]).value]));
  fields.forEach((f, i) => { $(["first", "second"][i]).value = typed.get(f) ?? ""; });
  if (fields.length === 1) $("second").value = "";
  state.inputFields = fields;
  $("units-note").textContent = "";
  updateInputs();
  clearResult();
}

function renderTable() {
  const options = optionsText(false);
  const body = $("table").tBodies[0];
  const t = TEXTS[state.lang];
  // A state without saturated states at its pressure (a supercritical one): their tabs are
  // closed, and a note gives the library's reason.
  const requested = state.results?.requested;
  const noSaturation = requested?.status === 0 && state.results.liquid.status !== 0;
  if (noSaturation && state.table !== "requested") state.table = "requested";
  for (const side of ["liquid", "vapour"]) $(`tab-${side}`).disabled = noSaturation;
  $("tabs-note").textContent = noSaturation ? `${t.no_saturation}: ${state.results.liquid.message}` : "";
  $("tabs-note").hidden = !noSaturation;
  const result = state.results && state.results[state.table];
  document.querySelectorAll(".tabs [role=tab]").forEach((b) =>
    b.setAttribute("aria-selected", String(b.dataset.table === state.table)));
  const rows = [];
  for (let r = 0; r < ROWS; r++) {
    const field = M._zeltra5_table_row_field(r);
    const tr = document.createElement("tr");
    let value = "", raw = "";
    if (result && result.status === 0) {
      if (field < 0) {
        value = result.phaseName;
      } else if (Number.isFinite(result.values[field])) {
        value = formatValue(result.values[field]);
        raw = String(result.values[field]);
      }
    }
    tr.innerHTML = "<th scope=row></th><td class=num></td><td class=unit></td><td class=copy></td>";
    tr.cells[0].textContent = rowName(r, options);
    tr.cells[1].textContent = value;
    if (raw) tr.cells[1].dataset.value = raw;
    tr.cells[2].textContent = field < 0 ? "" : fieldUnit(field, options);
    if (value) {
      const b = document.createElement("button");
      b.type = "button";
      b.innerHTML = COPY_ICON;
      b.title = `${t.copy}: ${tr.cells[0].textContent}`;
      b.setAttribute("aria-label", b.title);
      // A copy has every digit, whatever the table shows.
      const copied = raw ? formatFull(Number(raw)) : value;
      b.addEventListener("click", () => copyText(copied));
      tr.cells[3].append(b);
    }
    rows.push(tr);
  }
  alignNumbers(rows.filter((tr) => tr.cells[1].dataset.value).map((tr) => tr.cells[1]));
  body.replaceChildren(...rows);
  renderMoreTable(result, options);
  $("result-model").textContent = modelLine(state.results?.model ?? $("model").value);
}

// The outputs after the nineteen, below the table: a row each, blank where undefined.
function renderMoreTable(result, options) {
  const language = state.lang === "ru" ? 0 : 1;
  const rows = [];
  for (let k = FIELDS; k < ALL_FIELDS; k++) {
    const name = str(M._zeltra5_field_name_v2(k));
    const v = result && result.status === 0 ? result.values[k] : NaN;
    const tr = document.createElement("tr");
    tr.innerHTML = "<th scope=row></th><td class=num></td><td class=unit></td>";
    tr.cells[0].textContent = MORE_FIELD_NAMES[name][language];
    tr.cells[1].textContent = formatValue(v);
    if (Number.isFinite(v)) tr.cells[1].dataset.value = String(v);
    tr.cells[2].textContent = str(M._zeltra5_field_unit_v2(k, put("options", options)));
    rows.push(tr);
  }
  alignNumbers(rows.map((tr) => tr.cells[1]));
  $("more-table").tBodies[0].replaceChildren(...rows);
}

// The table as the spreadsheet takes it: name, value (every digit), unit, tab-separated, one
// row a line; a last line names the model that produced it.
function tableText() {
  const lines = Array.from($("table").rows, (tr) => {
    const raw = tr.cells[1].dataset.value;
    const value = raw ? formatFull(Number(raw)) : tr.cells[1].textContent;
    return [tr.cells[0].textContent, value, tr.cells[2].textContent].join("\t");
  });
  lines.push(`${TEXTS[state.lang].model_line}\t${state.results?.model ?? $("model").value}\t`);
  return lines.join("\n") + "\n";
}
async function copyText(text) {
  window.lastCopied = text;
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    const area = document.createElement("textarea");
    area.value = text;
    document.body.append(area);
    area.select();
    document.execCommand("copy");
    area.remove();
  }
  window.copiesDone = (window.copiesDone ?? 0) + 1;  // for a test that reads the clipboard after
  $("copied").textContent = TEXTS[state.lang].copied;
  setTimeout(() => { $("copied").textContent = ""; }, 1500);
}

// --- the diagram: drawn once per units, reference and language; the marker moves ----------
function drawDiagram() {
  const options = optionsText(false) + (hooks.diagramKey?.() ?? "");
  if (options === state.diagramKey) return;
  const started = performance.now();
  const type = put("type", "ph");
  const optionsArg = put("options", options);
  const text = hooks.diagramSvg ? hooks.diagramSvg()
    : libraryText((buffer, size) => M._zeltra5_diagram_svg(type, 0, 0, 0, optionsArg, buffer, size));
  window.diagramSvgMs = performance.now() - started;
  const svg = new DOMParser().parseFromString(text, "image/svg+xml").documentElement;
  svg.removeAttribute("width");
  svg.removeAttribute("height");
  const marker = document.createElementNS("http://www.w3.org/2000/svg", "circle");
  marker.id = "marker";
  for (const [k, v] of [["r", 6], ["fill", "#d00000"], ["stroke", "#ffffff"], ["stroke-width", 1.5]]) {
    marker.setAttribute(k, v);
  }
  marker.setAttribute("visibility", "hidden");
  svg.append(marker);
  $("diagram").replaceChildren(svg);
  $("diagram-model").textContent = modelLine($("model").value);
  state.marker = marker;
  state.diagramKey = options;
  hooks.diagramDrawn?.(svg);
  window.diagramDrawMs = performance.now() - started;
}
// The marker of a calculated state; hidden for a refused one. The library's diagrams take no
// superheated liquid (superheat=1): such a state is marked by its own pressure and enthalpy, the
// diagram's axes.
function moveMarker(pair, first, second, result) {
  drawDiagram();
  const point = (p, a, b, options) => (hooks.diagramPoint ? hooks.diagramPoint(p, a, b, options)
    : M._zeltra5_diagram_point(put("type", "ph"), put("pair", p), a, b, put("options", options),
      heap.x, heap.y) === 0);
  let placed = false;
  if (result.status === 0) {
    placed = point(pair, first, second, optionsText(true));
    if (!placed && optionsText(true) !== optionsText(false)) {
      const [p, h] = ["pressure", "specific_enthalpy"].map((name) =>
        result.values[M._zeltra5_field_index(put("name", name))]);
      placed = point("p-h", p, h, optionsText(false));
    }
  }
  const x = f64(heap.x), y = f64(heap.y);
  const shown = placed && Number.isFinite(x) && Number.isFinite(y);
  state.marker.setAttribute("visibility", shown ? "visible" : "hidden");
  if (shown) {
    state.marker.setAttribute("cx", x.toFixed(2));
    state.marker.setAttribute("cy", y.toFixed(2));
  }
  hooks.stateShown?.(pair, first, second, result);
}

let csvUrl = "";
// --- the property tables ------------------------------------------------------------------
// The library's kinds of table: name as zeltra5_table_csv takes it, and the fields of the value
// held (-1 for the saturation tables) and of the values run over.
const TABLE_KINDS = Array.from({ length: M._zeltra5_web_table_kind_count() }, (_, i) => ({
  index: i, name: str(M._zeltra5_web_table_kind_name(i)),
  fixed: M._zeltra5_web_table_kind_fixed_field(i), varied: M._zeltra5_web_table_kind_varied_field(i),
}));
const tableKind = () => TABLE_KINDS.find((k) => k.name === $("tables-kind").value);
const isSaturation = (kind) => kind.fixed < 0;
// The most values a table on the page runs over (its rows; an isotherm or isobar gains the two
// saturated states where it crosses the saturation line): beyond, the page says so and builds
// nothing. The command line and the CSV of the C library take up to 10000.
const MAX_TABLE_ROWS = 1000;
// The columns in the order a table shows them, by the library's machine names, and the ones a
// kind shows until others are chosen. A saturation table shows a field for the liquid (′) and
// the vapour (″), except the pressure, temperature and latent heat, one for both, and a field
// defined on one side only (the surface tension, the liquid's).
const TABLE_ORDER = ["pressure", "temperature", "relative_enthalpy", "mass_density",
  "specific_volume", "specific_enthalpy", "latent_heat", "specific_internal_energy",
  "specific_entropy", "isobaric_heat_capacity", "isochoric_heat_capacity",
  "isentropic_coefficient", "speed_of_sound", "dynamic_viscosity", "kinematic_viscosity",
  "thermal_conductivity", "prandtl_number", "surface_tension", "expansion_coefficient"];
const SATURATION_COLUMNS = ["pressure", "temperature", "mass_density", "specific_enthalpy",
  "latent_heat", "specific_entropy"];
const POINT_COLUMNS = ["pressure", "temperature", "relative_enthalpy", "mass_density",
  "specific_enthalpy", "specific_entropy", "isobaric_heat_capacity", "speed_of_sound"];
const SATURATION_SHARED = ["pressure", "temperature", "latent_heat"];
// The values a kind starts with, in display units (the library converts them into the page's):
// [the value held, the range].
const TABLE_DEFAULTS = {
  "saturation-t": [null, "-70:130:10"], "saturation-p": [null, "1:100:*1.5"],
  isotherm: ["25", "1:100:*1.5"], isobar: ["10", "-50:200:10"], isochore: ["100", "-50:300:10"],
};
const fieldOf = (name) => M._zeltra5_field_index(put("name", name));
const fieldName = (field) => str(M._zeltra5_field_name(field));
// The fields a kind can show as columns: all but the one its rows run over (the first column)
// and, for the saturation tables, the quality (0 and 1).
function tableFields(kind) {
  return TABLE_ORDER.filter((name) => fieldOf(name) !== kind.varied &&
    !(isSaturation(kind) && name === "relative_enthalpy"));
}
// The columns chosen for a kind: its family's defaults less the value held, until changed.
function chosenColumns(kind) {
  if (!state.columns[kind.name]) {
    const defaults = isSaturation(kind) ? SATURATION_COLUMNS : POINT_COLUMNS;
    state.columns[kind.name] = new Set(defaults.filter((n) => fieldOf(n) !== kind.fixed));
  }
  return state.columns[kind.name];
}

// A CSV text as rows of cells: cells quoted with doubled quotes where they hold a comma, a quote
// or a line end (the library's writer), lines ended by '\n'.
function parseCsv(text) {
  const rows = [];
  let row = [], cell = "", quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') { cell += '"'; i++; } else if (c === '"') quoted = false;
      else cell += c;
    } else if (c === '"') {
      quoted = true;
    } else if (c === ",") {
      row.push(cell);
      cell = "";
    } else if (c === "\n") {
      row.push(cell);
      rows.push(row);
      row = [];
      cell = "";
    } else {
      cell += c;
    }
  }
  if (cell !== "" || row.length > 0) rows.push([...row, cell]);
  return rows;
}

// The library's CSV of a table, asked for once in a buffer sized for its rows (again when the
// text is longer).
function tableCsv(type, fixed, range, optionsArg, count) {
  let size = (2 * count + 4) * 1024;
  for (;;) {
    const buffer = M._malloc(size);
    if (!buffer) throw new Error(`no memory for a CSV of ${size} bytes`);
    const n = M._zeltra5_table_csv(type, fixed, range, optionsArg, buffer, size);
    const text = n >= 0 && n < size ? str(buffer) : null;
    M._free(buffer);
    if (n < 0) return null;
    if (text !== null) return text;
    size = n + 1;
  }
}

// The table of the form: the library's CSV (the download), laid out in the columns chosen. A
// value held that is no number, a range the library refuses or one beyond the page's rows is
// said in plain words instead; a table whose every row lies outside the domain is shown with
// the first row's reason above it.
function makeTable() {
  const t = TEXTS[state.lang];
  const kind = tableKind();
  const options = optionsText(false);
  state.tableShown = true;
  let fixed = 0;
  if (!isSaturation(kind)) {
    const read = readNumber($("tables-fixed").value);
    if (read.problem) {
      showTableRefusal(`${$("tables-fixed-label").textContent}: «${$("tables-fixed").value}» ${t[read.problem]}`);
      return;
    }
    fixed = read.value;
  }
  const type = put("type", kind.name);
  const range = put("range", $("tables-range").value);
  const optionsArg = put("options", options);
  const explain = () => libraryText((buffer, size) =>
    M._zeltra5_explain_table(type, fixed, range, optionsArg, buffer, size));
  const count = M._zeltra5_web_range_size(range);
  if (count < 0) {
    showTableRefusal(explain());
    return;
  }
  if (count > MAX_TABLE_ROWS) {
    showTableRefusal(t.too_many_rows(count, MAX_TABLE_ROWS));
    return;
  }
  const started = performance.now();
  const text = tableCsv(type, fixed, range, optionsArg, count);
  window.tableLibraryMs = performance.now() - started;
  if (text === null) {
    showTableRefusal(explain());
    return;
  }
  const model = $("model").value;
  const csv = csvNamingModel(text, model);
  if (csvUrl) URL.revokeObjectURL(csvUrl);
  csvUrl = URL.createObjectURL(new Blob([csv], { type: "text/csv;charset=utf-8" }));
  const link = $("tables-download");
  link.href = csvUrl;
  link.download = `${kind.name}.csv`;
  link.hidden = false;
  $("tables-copy").hidden = false;
  $("tables-model").textContent = modelLine(model);
  $("tables-model").hidden = false;
  window.lastCsv = csv;
  state.tableView = { kind, csv, rows: parseCsv(text), options, model };
  renderTableView();
  window.tableMs = performance.now() - started;
}
function showTableRefusal(text) {
  clearTable();
  state.tableShown = true;
  $("tables-message").textContent = text;
  $("tables-message").hidden = false;
}
// No table on show: nothing to download or copy, no message.
function clearTable() {
  state.tableView = null;
  state.tableShown = false;
  $("tables-message").hidden = true;
  $("tables-download").hidden = true;
  $("tables-copy").hidden = true;
  $("tables-model").hidden = true;
  $("tables-table").replaceChildren();
}

// The rows of the library's CSV as the page lays them out: { value, lines } each, value the
// varied quantity's (the state's, or as given where refused), lines the CSV lines of the row
// (the liquid and the vapour of a saturation table at one value, else one).
function tableRows(view) {
  const header = view.rows[0];
  const at = (line, name) => line[header.indexOf(name)];
  const varied = fieldName(view.kind.varied);
  const lines = view.rows.slice(2).map((cells) => ({
    kind: at(cells, "row"), valid: at(cells, "status") === "0", cells,
    get: (name) => at(cells, name),
  }));
  const valueOf = (line) => {
    if (line.valid) return line.get(varied);
    const k = pairFields(line.get("pair")).indexOf(view.kind.varied);
    return line.get(k === 1 ? "second_value" : "first_value");
  };
  const out = [];
  for (let i = 0; i < lines.length; i++) {
    const pair = isSaturation(view.kind) && lines[i].kind === "liquid" && lines[i + 1]?.kind === "vapour";
    const group = pair ? [lines[i], lines[++i]] : [lines[i]];
    out.push({ value: valueOf(group[0]), lines: group, inserted: !isSaturation(view.kind) && group[0].kind !== "point" });
  }
  return out;
}
// The columns of a view: { name, side (0 liquid or the row, 1 vapour), head, title, unit }.
function tableColumns(view) {
  const chosen = chosenColumns(view.kind);
  const columns = [];
  const head = (field) => str(M._zeltra5_field_symbol(field));
  for (const name of tableFields(view.kind).filter((n) => chosen.has(n))) {
    const field = fieldOf(name);
    const title = rowName(fieldRow(field), view.options);
    const unit = fieldUnit(field, view.options);
    if (!isSaturation(view.kind)) {
      columns.push({ name, side: 0, head: head(field), title, unit });
      continue;
    }
    const liquid = M._zeltra5_field_defined(1, 0, field) === 1;
    const vapour = M._zeltra5_field_defined(2, 0, field) === 1;
    if (SATURATION_SHARED.includes(name) || !(liquid && vapour)) {
      columns.push({ name, side: liquid ? 0 : 1, head: head(field), title, unit });
    } else {
      columns.push({ name, side: 0, head: `${head(field)}′`, title, unit },
        { name, side: 1, head: `${head(field)}″`, title, unit });
    }
  }
  return columns;
}
// A refused row's reason in the page's language: the library's explanation of the single
// request the row is (the CSV's own is in English).
function rowRefusal(line, options) {
  const pair = line.get("pair");
  if (!pair) return line.get("error");
  const args = [put("pair", pair), Number(line.get("first_value")), Number(line.get("second_value")),
    put("options", options)];
  return libraryText((buffer, size) => M._zeltra5_explain(...args, buffer, size)) || line.get("error");
}
function numberCell(tag, raw) {
  const cell = document.createElement(tag);
  cell.className = "num";
  if (raw !== undefined && raw !== "") {
    cell.textContent = formatValue(Number(raw));
    cell.dataset.value = raw;
  }
  return cell;
}
function renderTableView() {
  const view = state.tableView;
  if (!view) return;
  const t = TEXTS[state.lang];
  const rows = tableRows(view);
  const columns = tableColumns(view);
  const points = !isSaturation(view.kind);
  // Each head names its column's field and side (for the copy's readers and the test).
  const headCell = (text, title, unit, field, side = "") => {
    const th = document.createElement("th");
    th.scope = "col";
    th.title = title;
    th.dataset.field = field;
    th.dataset.side = side;
    const name = document.createElement("span");
    name.textContent = text;
    const u = document.createElement("span");
    u.className = "unit";
    u.textContent = unit;
    th.append(name, u);
    return th;
  };
  const head = document.createElement("tr");
  const varied = view.kind.varied;
  head.append(headCell(str(M._zeltra5_field_symbol(varied)), rowName(fieldRow(varied), view.options),
    fieldUnit(varied, view.options), fieldName(varied)));
  const sideName = (c) => (points ? "" : c.side === 0 ? "liquid" : "vapour");
  for (const c of columns) head.append(headCell(c.head, c.title, c.unit, c.name, sideName(c)));
  if (points) head.append(headCell(rowName(0, view.options), "", "", "phase_name"));
  const thead = document.createElement("thead");
  thead.append(head);
  // The body as one text (a 200-row table has some 9,000 elements: built one by one they cost
  // several times the library's time). Each number cell is split at its decimal point, the parts
  // padded to the column's widest, as alignNumbers does for the result table.
  const shown = rows.map((row) => ({
    row,
    texts: row.lines.some((l) => l.valid)
      ? [row.value, ...columns.map((c) => {
        const line = row.lines[Math.min(c.side, row.lines.length - 1)];
        return line.valid ? line.get(c.name) : "";
      })]
      : [row.value],
  }));
  const formatted = (raw) => (raw !== undefined && raw !== "" ? formatValue(Number(raw)) : "");
  const split = (text) => {
    const at = /^[-+]?\d+$/.test(text) ? text.length : text.search(/[.e]/);
    return at < 0 ? null : [text.slice(0, at), text.slice(at)];
  };
  const parts = shown.map((r) => r.texts.map((raw) => split(formatted(raw))));
  const widths = Array.from({ length: columns.length + 1 }, (_, k) => [0, 1].map((side) =>
    Math.max(0, ...parts.map((p) => (p[k] ? p[k][side].length : 0)))));
  const padding = (side, n) => (n > 0 ? ` style="padding-${side}: ${n}ch"` : "");
  const cell = (tag, raw, p, k, extra = "") => {
    if (raw === undefined || raw === "") return `<${tag} class="num"${extra}></${tag}>`;
    const inner = p ? `<span class="whole"${padding("left", widths[k][0] - p[0].length)}>${escapeHtml(p[0])}</span>` +
      `<span class="rest"${padding("right", widths[k][1] - p[1].length)}>${escapeHtml(p[1])}</span>` : escapeHtml(formatted(raw));
    return `<${tag} class="num"${extra} data-value="${escapeHtml(raw)}">${inner}</${tag}>`;
  };
  let valid = 0, firstReason = "";
  const html = shown.map(({ row, texts }, r) => {
    const open = row.inserted ? '<tr class="inserted">' : "<tr>";
    const first = cell("th", texts[0], parts[r][0], 0, ' scope="row"');
    if (texts.length === 1) {
      const reason = rowRefusal(row.lines[0], view.options);
      if (!firstReason) firstReason = reason;
      return `${open}${first}<td class="refusal" colspan="${columns.length + (points ? 1 : 0)}">${escapeHtml(reason)}</td></tr>`;
    }
    valid++;
    const cells = texts.slice(1).map((raw, k) => cell("td", raw, parts[r][k + 1], k + 1)).join("");
    const phase = points ? `<td class="phase">${escapeHtml(row.lines[0].get("phase_name"))}</td>` : "";
    return `${open}${first}${cells}${phase}</tr>`;
  }).join("");
  const body = document.createElement("tbody");
  body.innerHTML = html;
  $("tables-table").replaceChildren(thead, body);
  const message = $("tables-message");
  message.hidden = valid > 0;
  message.textContent = valid > 0 ? "" : `${t.no_valid_row}: ${firstReason}`;
}
// The table as shown, for a spreadsheet: a header of symbols and units, a line per row with
// every digit (a refused row: its value and reason), tab-separated; a last line names the model.
function tablesText() {
  const view = state.tableView;
  if (!view) return "";
  const table = $("tables-table");
  const lines = [Array.from(table.tHead.rows[0].cells, (th) => {
    const [name, unit] = th.children;
    return unit.textContent ? `${name.textContent}, ${unit.textContent}` : name.textContent;
  }).join("\t")];
  for (const tr of table.tBodies[0].rows) {
    lines.push(Array.from(tr.cells, (cell) => (cell.dataset.value !== undefined
      ? formatFull(Number(cell.dataset.value)) : cell.textContent)).join("\t"));
  }
  lines.push(`${TEXTS[state.lang].model_line}\t${view.model}`);
  return lines.join("\n") + "\n";
}
// The column choice of the kind on show: a box for each field it can show, named by its symbol
// and the library's name.
function renderColumnChoice() {
  const kind = tableKind();
  const options = optionsText(false);
  const chosen = chosenColumns(kind);
  const boxes = tableFields(kind).map((name) => {
    const field = fieldOf(name);
    const label = document.createElement("label");
    label.className = "check";
    const box = document.createElement("input");
    box.type = "checkbox";
    box.value = name;
    box.checked = chosen.has(name);
    box.addEventListener("change", () => {
      if (box.checked) chosen.add(name); else chosen.delete(name);
      renderTableView();
    });
    label.append(box, ` ${str(M._zeltra5_field_symbol(field))} — ${rowName(fieldRow(field), options)}`);
    return label;
  });
  $("tables-columns-list").replaceChildren(...boxes);
}
// A new kind: the range kept where the kind runs over the same quantity, the value held where
// it holds the same one, else the kind's own in the page's units; the table on show goes.
function tableKindChanged() {
  const before = state.tableKind, kind = tableKind();
  const [fixedText, rangeText] = TABLE_DEFAULTS[kind.name] ?? [null, ""];
  const inUnits = (field, text) => convertValues(field, text, "display", unitsChoice()) ?? text;
  if (before.varied !== kind.varied) $("tables-range").value = inUnits(kind.varied, rangeText);
  if (!isSaturation(kind) && before.fixed !== kind.fixed && fixedText !== null) {
    $("tables-fixed").value = inUnits(kind.fixed, fixedText);
  }
  state.tableKind = kind;
  clearTable();
  updateInputs();
}
// The CSV names the model that made it: a last column "model" (blank on the units line), unless
// the library's CSV has that column already.
function csvNamingModel(csv, model) {
  const lines = csv.split("\n");
  if (lines[0].split(",").includes("model")) return csv;
  return lines.map((line, i) => (line === "" ? line
    : `${line},${i === 0 ? "model" : i === 1 ? "" : model}`)).join("\n");
}

// --- units --------------------------------------------------------------------------------
// New units: the values typed in the old ones are converted by the library into the new ones,
// so the page shows the same state (and the same saturation table), and says so beside the
// form. A text that is no number, or a range the library refuses, is kept as typed.
function unitsChanged() {
  const from = state.units, to = unitsChoice();
  state.units = to;
  if (from === to) return;
  const fromOptions = `units=${from};lang=${state.lang}`;
  const toOptions = optionsText(false);
  const fields = pairFields($("pair").value);
  const changes = [];
  const kind = tableKind();
  for (const [id, field] of [["first", fields[0]], ["second", fields[1]],
    ["tables-fixed", kind.fixed], ["tables-range", kind.varied]]) {
    if (field === undefined || field < 0) continue;
    const typed = $(id).value.trim();
    const number = readValue(id);
    const text = id === "tables-range" ? typed : Number.isFinite(number) ? String(number) : null;
    const fromUnit = fieldUnit(field, fromOptions), toUnit = fieldUnit(field, toOptions);
    if (text === null || fromUnit === toUnit) continue;
    const converted = convertValues(field, text, from, to);
    if (converted === null) continue;
    $(id).value = converted;
    changes.push(`${typed} ${fromUnit} → ${converted} ${toUnit}`);
  }
  $("units-note").textContent =
    changes.length > 0 ? `${TEXTS[state.lang].units_converted}: ${changes.join("; ")}` : "";
  updateInputs();
  refresh();
}
// The state on show, or the refusal, again in the new units, reference, model or language
// (none after a change of pair: the inputs wait for Enter). A saturation table on show follows
// them too.
function refresh() {
  if (state.results !== null || !$("message").hidden) run();
  if (state.tableShown) makeTable();
  hooks.refresh.forEach((f) => f());
}

// --- the model ------------------------------------------------------------------------------
// The line above each result: "Модель: gao2023".
function modelLine(model) {
  return `${TEXTS[state.lang].model_line}: ${model}`;
}
// The model the page's address names (?model=gao2023); the default when it names none. A name
// the registry does not have gives the default too, and a note under the form says so.
function modelFromAddress() {
  const asked = new URLSearchParams(window.location.search).get("model");
  if (asked === null) return DEFAULT_MODEL;
  if (MODELS.some((m) => m.name === asked)) return asked;
  state.unknownModel = asked;
  return DEFAULT_MODEL;
}
// The address keeps the model chosen (replaced, not a step of the history): the page opened at
// it shows the same model.
function keepModelInAddress() {
  const url = new URL(window.location.href);
  url.searchParams.set("model", $("model").value);
  window.history.replaceState(null, "", url);
}
function showModelNote() {
  const note = $("model-note");
  note.hidden = state.unknownModel === null;
  note.textContent = state.unknownModel === null ? ""
    : TEXTS[state.lang].model_unknown(state.unknownModel, MODELS.map((m) => m.name).join(", "),
      $("model").value);
}
// The switch of 6 or 16 digits, kept in the address as digits=full (absent: 6).
function digitsFromAddress() {
  return new URLSearchParams(window.location.search).get("digits") === "full";
}
function digitsChanged() {
  state.fullDigits = $("full-digits").checked;
  const url = new URL(window.location.href);
  if (state.fullDigits) url.searchParams.set("digits", "full");
  else url.searchParams.delete("digits");
  window.history.replaceState(null, "", url);
  renderTable();
  renderTableView();
}
// Each model of the registry under the form: its name, the registry's description and its
// source (the web build's citation of it).
function showModels() {
  const t = TEXTS[state.lang];
  const items = MODELS.map(({ name, description, citation }) => {
    const li = document.createElement("li");
    const b = document.createElement("b");
    b.textContent = name;
    li.append(b, `: ${description}. ${t.citation}: ${citation}`);
    return li;
  });
  $("models-list").replaceChildren(...items);
}
function modelChanged() {
  state.unknownModel = null;
  showModelNote();
  keepModelInAddress();
  updateInputs();
  refresh();
}

// --- wiring -------------------------------------------------------------------------------
function init() {
  const select = $("pair");
  for (const name of pairs()) select.add(new Option(name, name));
  for (const { name, description } of MODELS) {
    const option = new Option(name, name);
    option.title = description;
    $("model").add(option);
  }
  $("model").value = modelFromAddress();
  // An unknown model in the address: the address names the model the page uses instead.
  if (state.unknownModel !== null) keepModelInAddress();
  for (const [key, units] of Object.entries(UNIT_CHOICES)) {
    for (const unit of units) $(`unit-${key}`).add(new Option(unit, unit));
    $(`unit-${key}`).value = systemUnit($("units").value, key);
    $(`unit-${key}`).addEventListener("change", unitsChanged);
  }
  state.units = unitsChoice();
  select.value = "p-t";
  $("first").value = "10";
  $("second").value = "25";
  state.inputFields = pairFields("p-t");
  state.fullDigits = digitsFromAddress();
  $("full-digits").checked = state.fullDigits;
  $("full-digits").addEventListener("change", digitsChanged);
  $("version").textContent = `zeltra5 ${str(M._zeltra5_version())}`;
  $("state").addEventListener("submit", (e) => { e.preventDefault(); run(); });
  select.addEventListener("change", pairChanged);
  $("reference").addEventListener("change", () => { updateInputs(); refresh(); });
  $("model").addEventListener("change", modelChanged);
  // A system sets each quantity to its own unit.
  $("units").addEventListener("change", () => {
    for (const key of Object.keys(UNIT_CHOICES)) {
      $(`unit-${key}`).value = systemUnit($("units").value, key);
    }
    unitsChanged();
  });
  for (const kind of TABLE_KINDS) $("tables-kind").add(new Option(kind.name, kind.name));
  state.tableKind = tableKind();
  $("tables-kind").addEventListener("change", tableKindChanged);
  document.querySelectorAll(".lang button").forEach((b) => b.addEventListener("click", () => {
    state.lang = b.dataset.lang;
    applyTexts();
    refresh();
  }));
  document.querySelectorAll(".tabs [role=tab]").forEach((b) => b.addEventListener("click", () => {
    state.table = b.dataset.table;
    renderTable();
  }));
  $("copy-table").addEventListener("click", () => copyText(tableText()));
  $("tables-form").addEventListener("submit", (e) => {
    e.preventDefault();
    makeTable();
    window.tablesMade = (window.tablesMade ?? 0) + 1;  // for a test that waits for the table
  });
  $("tables-copy").addEventListener("click", () => copyText(tablesText()));
  applyTexts();
  // The first calculation waits for the page's other modules (loaded after this one, each
  // importing it): they may take their part of the state from the address first.
  setTimeout(() => {
    hooks.beforeStart.forEach((f) => f());
    run();
    hooks.afterStart.forEach((f) => f());
    window.readyMs = performance.now();  // since the navigation began, for the benchmark
    document.body.dataset.ready = "1";
  }, 0);
}
// For the browser test and benchmark: the library without the page around it.
window.zeltra5 = {
  calculate, formatValue, formatDigits, drawDiagram, tableText, tablesText, systemUnit, unitsChoice, convertValues, models,
  rowFields: () => Array.from({ length: ROWS }, (_, r) => M._zeltra5_table_row_field(r)),
  fieldIndex: (name) => M._zeltra5_field_index(put("name", name)),
  hooks, page: null,
};

// The page's parts for its other modules: the diagram workbench (workbench.js, which draws the
// diagram's window through the hooks) and the cycle view (cycle.js).
export const page = {
  M, heap, hooks, state, TEXTS, UNIT_SYSTEMS, UNIT_CHOICES, put, str, libraryText, f64, optionsText,
  unitsChoice, systemUnit, convertValues, fieldUnit, fieldRow, rowName, pairFields, pairs,
  readNumber, formatValue, formatFull, alignNumbers, applyTexts, updateInputs, modelLine, run,
  showMessage, DEFAULT_MODEL, moveMarker, tableCsv, parseCsv, keepModelInAddress, $,
};
window.zeltra5.page = page;

init();
