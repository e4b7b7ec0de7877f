// The diagram as a workbench: p-h or T-s, full width, zoom and pan (each window drawn again by
// the library for what is on show), the state under the pointer, a click that calculates it,
// the session's states as numbered marks, and a property plotted along an isobar or isotherm.
// Every number comes from the library; this file only lays out what it answers.
import "./app.js";

const { hooks, page } = window.zeltra5;
const { M, heap, put, str, f64, libraryText, optionsText, state, TEXTS, $ } = page;

const WB_TEXTS = {
  ru: {
    diagram_ph: "Диаграмма lg p-h", diagram_ts: "Диаграмма T-s", zoom_in: "Крупнее",
    zoom_out: "Мельче", zoom_reset: "Весь масштаб", wide: "На всю ширину", narrow: "Обычная ширина",
    readout_hint: "Наведите указатель на диаграмму: свойства точки; щелчок — расчёт этой точки",
    outside_plot: "Вне поля диаграммы", outside_domain: "Вне области расчёта",
    history: "Состояния сеанса", history_empty: "Пока нет рассчитанных состояний",
    remove: "Удалить", restore: "Восстановить",
    plot_title: "Свойство вдоль линии", plot_kind: "Линия", plot_property: "Свойство",
    plot_make: "Построить график", plot_none: "Ни одна точка не лежит в области расчёта",
    plot_too_many: (n, max) => `Точек ${n}, а график — не больше ${max}`,
    plot_gaps: (n) => `Точек вне области расчёта или без значения: ${n} (разрывы линии)`,
    diagram_type: "Вид диаграммы",
  },
  en: {
    diagram_ph: "log p-h diagram", diagram_ts: "T-s diagram", zoom_in: "Zoom in",
    zoom_out: "Zoom out", zoom_reset: "Whole diagram", wide: "Full width", narrow: "Normal width",
    readout_hint: "Point at the diagram for the state there; a click calculates it",
    outside_plot: "Outside the plot", outside_domain: "Outside the domain",
    history: "States of the session", history_empty: "No state calculated yet",
    remove: "Remove", restore: "Restore",
    plot_title: "A property along a line", plot_kind: "Line", plot_property: "Property",
    plot_make: "Plot", plot_none: "No point lies within the domain",
    plot_too_many: (n, max) => `${n} points, and a plot takes at most ${max}`,
    plot_gaps: (n) => `Points outside the domain or without a value: ${n} (gaps in the line)`,
    diagram_type: "Kind of diagram",
  },
};
const wt = () => WB_TEXTS[state.lang];
const fieldOf = (name) => M._zeltra5_field_index(put("name", name));
const SVG_NS = "http://www.w3.org/2000/svg";
// Each diagram's axes: the pair of its point (the page calculates it) and its fields x, y.
const TYPES = {
  ph: { pair: "p-h", x: "specific_enthalpy", y: "pressure" },
  ts: { pair: "t-s", x: "specific_entropy", y: "temperature" },
};
const ZOOM_STEP = 1.5;
const MAX_HISTORY = 30;
const MAX_PLOT_POINTS = 1000;

const wb = {
  type: "ph",
  // The window on show: [x_min, x_max, y_min, y_max] in the units of `windowOf` (null: the
  // whole diagram), and the zoom's depth (steps in minus steps out).
  window: null, windowOf: "", depth: 0,
  frame: [0, 0],  // the plot frame asked for (0, 0: the library's default)
  history: [], counter: 0, current: 0,
  plotShown: false,
};
// The options a window's numbers are in (the language changes no number).
const numberOptions = () => optionsText(false).replace(/;lang=[a-z]+/, "");
function windowArgs() {
  // New units, reference or model: the whole diagram again (the window's numbers were in the
  // old ones).
  if (wb.window !== null && wb.windowOf !== numberOptions()) {
    wb.window = null;
    wb.depth = 0;
  }
  const w = wb.window ?? [NaN, NaN, NaN, NaN];
  return [...w, ...wb.frame];
}

// --- the diagram's window, drawn by the library ------------------------------------------------
hooks.diagramKey = () => `|${wb.type}|${windowArgs().join(",")}`;
// The last few drawings of the page's options by their window: back to a window seen (the
// whole diagram after a zoom, p-h after T-s) without drawing it again. New options forget them.
const drawings = new Map();
const MAX_DRAWINGS = 6;
let drawingsOf = "";
hooks.diagramSvg = () => {
  const type = put("wtype", wb.type), options = put("woptions", optionsText(false));
  const args = windowArgs();
  if (drawingsOf !== optionsText(false)) drawings.clear();
  drawingsOf = optionsText(false);
  const key = hooks.diagramKey();
  let text = drawings.get(key);
  if (text === undefined) {
    text = libraryText((buffer, size) =>
      M._zeltra5_web_diagram_svg(type, 0, 0, 0, ...args, options, buffer, size));
  }
  drawings.delete(key);
  if (text !== "") drawings.set(key, text);
  if (drawings.size > MAX_DRAWINGS) drawings.delete(drawings.keys().next().value);
  if (text !== "" || wb.window === null) return text;
  wb.window = null;  // a window the library cannot draw: the whole diagram instead
  return hooks.diagramSvg();
};
hooks.diagramPoint = (pair, a, b, options) => M._zeltra5_web_diagram_point(put("wtype", wb.type),
  put("pair", pair), a, b, ...windowArgs(), put("options", options), heap.x, heap.y) === 0;
hooks.diagramDrawn = (svg) => {
  const rect = svg.querySelector("clipPath rect");
  wb.plotRect = rect ? ["x", "y", "width", "height"].map((k) => Number(rect.getAttribute(k))) : null;
  const marks = document.createElementNS(SVG_NS, "g");
  marks.id = "history-marks";
  svg.insertBefore(marks, state.marker);
  wb.svg = svg;
  drawMarks();
  $("zoom-reset").disabled = wb.window === null;
};
hooks.stateShown = (pair, first, second, result) => {
  wb.shown = [pair, first, second, result];
  if (result.status === 0 && !wb.redrawing) addHistory(pair, first, second, result);
};

// Draws the diagram again for the current window and puts the state on show back on it.
function redraw() {
  const started = performance.now();
  state.diagramKey = "";
  window.zeltra5.drawDiagram();
  if (state.results !== null && wb.shown) {
    wb.redrawing = true;
    page.moveMarker(...wb.shown);
    wb.redrawing = false;
  }
  window.zoomStepMs = performance.now() - started;
  showType();
}
// Zooms by `factor` about a point of the drawing (its plot's centre by default) and pans by
// (dx, dy) drawing units.
function view(factor, centre, dx = 0, dy = 0) {
  const c = centre ?? (wb.plotRect ? [wb.plotRect[0] + wb.plotRect[2] / 2,
    wb.plotRect[1] + wb.plotRect[3] / 2] : [0, 0]);
  const ends = M._malloc(32);
  const status = M._zeltra5_web_diagram_view(put("wtype", wb.type), ...windowArgs(),
    put("woptions", optionsText(false)), c[0], c[1], factor, dx, dy, ends);
  const next = Array.from({ length: 4 }, (_, k) => f64(ends + 8 * k));
  M._free(ends);
  if (status !== 0) return false;
  wb.window = next;
  wb.windowOf = numberOptions();
  redraw();
  return true;
}
// The window on show with the whole diagram's ends resolved: [x_min, x_max, y_min, y_max].
function windowEnds() {
  const ends = M._malloc(32);
  M._zeltra5_web_diagram_view(put("wtype", wb.type), ...windowArgs(),
    put("woptions", optionsText(false)), 0, 0, 1, 0, 0, ends);
  const out = Array.from({ length: 4 }, (_, k) => f64(ends + 8 * k));
  M._free(ends);
  return out;
}
function zoom(steps, centre) {
  // Out no further than twice the whole diagram, in no deeper than 12 steps.
  const depth = Math.max(-2, Math.min(12, wb.depth + steps));
  if (depth === wb.depth) return;
  if (view(ZOOM_STEP ** (depth - wb.depth), centre)) wb.depth = depth;
}
function resetView() {
  wb.window = null;
  wb.depth = 0;
  redraw();
}
function setType(type) {
  if (type === wb.type) return;
  wb.type = type;
  wb.window = null;
  wb.depth = 0;
  redraw();
}
function showType() {
  const t = wt();
  document.querySelector("#diagram-box h2").textContent = wb.type === "ph" ? t.diagram_ph : t.diagram_ts;
  for (const type of Object.keys(TYPES)) {
    $(`diagram-${type}`).setAttribute("aria-pressed", String(type === wb.type));
  }
}

// The drawing's coordinates of a pointer event.
function svgPoint(event) {
  const svg = wb.svg;
  if (!svg || !svg.isConnected) return null;
  const p = new DOMPoint(event.clientX, event.clientY).matrixTransform(svg.getScreenCTM().inverse());
  return [p.x, p.y];
}
// The diagram's axes' values at a point of the drawing: [x, y] in the page's units, or null
// outside the plot.
function locate(at) {
  const status = M._zeltra5_web_diagram_locate(put("wtype", wb.type), ...windowArgs(),
    put("woptions", optionsText(false)), at[0], at[1], heap.x, heap.y);
  return status === 0 ? [f64(heap.x), f64(heap.y)] : null;
}
// The pair's values of a point of the diagram: p-h takes (p, h), t-s (t, s).
function pairValues(xy) {
  return [xy[1], xy[0]];
}

// --- the state under the pointer ---------------------------------------------------------------
const READOUT_FIELDS = ["pressure", "specific_enthalpy", "temperature", "specific_entropy"];
function readout(at) {
  const t = wt();
  const xy = at ? locate(at) : null;
  const out = $("diagram-readout");
  if (xy === null) {
    out.textContent = at ? t.outside_plot : t.readout_hint;
    out.dataset.status = "none";
    return;
  }
  const options = optionsText(false);
  const [a, b] = pairValues(xy);
  const result = window.zeltra5.calculate(TYPES[wb.type].pair, a, b, options, 0);
  const unitOf = (field) => page.fieldUnit(field, options);
  const symbol = (name) => str(M._zeltra5_field_symbol(fieldOf(name)));
  out.dataset.status = String(result.status);
  out.dataset.x = String(xy[0]);
  out.dataset.y = String(xy[1]);
  if (result.status !== 0) {
    const shown = [TYPES[wb.type].y, TYPES[wb.type].x].map((name, k) =>
      `${symbol(name)} = ${page.formatValue(k === 0 ? xy[1] : xy[0])} ${unitOf(fieldOf(name))}`);
    out.textContent = `${shown.join(", ")}: ${t.outside_domain}. ${result.message}`;
    return;
  }
  const parts = READOUT_FIELDS.map((name) => {
    const f = fieldOf(name);
    return `${symbol(name)} = ${page.formatValue(result.values[f])} ${unitOf(f)}`.trim();
  });
  const x = result.values[fieldOf("relative_enthalpy")];
  parts.push(x >= 0 && x <= 1 ? `x = ${page.formatValue(x)}` : result.phaseName);
  out.textContent = parts.join(", ");
}

// --- click to calculate ------------------------------------------------------------------------
// The pair of the diagram's axes with the values at the point, in the inputs; then calculated
// as Enter would (the stable state: the superheated liquid is not asked for).
function calculateAt(at) {
  const xy = locate(at);
  if (xy === null) return;
  const [a, b] = pairValues(xy);
  setInputs(TYPES[wb.type].pair, String(a), String(b));
  $("superheat").checked = false;
  page.run();
}
function setInputs(pair, first, second) {
  $("pair").value = pair;
  state.inputFields = page.pairFields(pair);
  $("first").value = first;
  $("second").value = second;
  $("units-note").textContent = "";
  page.updateInputs();
}

// --- pointer: readout, drag to pan, click, wheel ------------------------------------------------
let drag = null, pending = null;
function wirePointer() {
  const box = $("diagram");
  box.addEventListener("pointermove", (e) => {
    if (drag) {
      const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
      if (Math.hypot(dx, dy) > 4) drag.moved = true;
      if (drag.moved) wb.svg.style.transform = `translate(${dx}px, ${dy}px)`;
      return;
    }
    pending = e;
    requestAnimationFrame(() => {
      if (pending) readout(svgPoint(pending));
      pending = null;
    });
  });
  // A move's readout still waiting for its frame is dropped: the pointer has left.
  box.addEventListener("pointerleave", () => {
    pending = null;
    if (!drag) readout(null);
  });
  box.addEventListener("pointerdown", (e) => {
    if (e.button !== 0) return;
    drag = { x: e.clientX, y: e.clientY, at: svgPoint(e), moved: false, id: e.pointerId };
    box.setPointerCapture(e.pointerId);
  });
  const finish = (e, cancelled) => {
    if (!drag) return;
    const d = drag;
    drag = null;
    wb.svg.style.transform = "";
    if (cancelled) return;
    if (!d.moved) {
      if (d.at) calculateAt(d.at);
      return;
    }
    const end = svgPoint(e);
    if (d.at && end) view(1, null, end[0] - d.at[0], end[1] - d.at[1]);
  };
  box.addEventListener("pointerup", (e) => finish(e, false));
  box.addEventListener("pointercancel", (e) => finish(e, true));
  // A wheel's (or a touchpad's) events in one frame: one step, about the pointer.
  let wheel = null;
  box.addEventListener("wheel", (e) => {
    e.preventDefault();
    if (wheel === null) {
      requestAnimationFrame(() => {
        if (wheel.delta !== 0) zoom(wheel.delta < 0 ? 1 : -1, wheel.at);
        wheel = null;
      });
      wheel = { delta: 0, at: svgPoint(e) };
    }
    wheel.delta += e.deltaY;
  }, { passive: false });
}

// --- the session's states ----------------------------------------------------------------------
// A state as the inputs had it, with the choices it was calculated on, and its t and density in
// SI (its place on any diagram, whatever the units then).
function addHistory(pair, first, second, result) {
  const ctx = {
    units: $("units").value, p: $("unit-p").value, t: $("unit-t").value, h: $("unit-h").value,
    s: $("unit-s").value, reference: $("reference").value, model: $("model").value,
    superheat: $("superheat").checked && !$("superheat").disabled,
  };
  const inputs = [String(first), String(second)].slice(0, page.pairFields(pair).length);
  const value = (name) => result.values[fieldOf(name)];
  const si = (name) => Number(window.zeltra5.convertValues(fieldOf(name), String(value(name)),
    page.unitsChoice(), "si"));
  const [t, rho] = [si("temperature"), si("mass_density")];
  // The same state again (restored, or shown in new units or on another reference): not listed
  // twice.
  const close = (a, b) => Math.abs(a - b) <= 1e-9 * Math.max(Math.abs(a), Math.abs(b));
  const same = wb.history.find((h) => h.pair === pair && h.ctx.model === ctx.model &&
    h.ctx.superheat === ctx.superheat && close(h.t, t) && close(h.rho, rho));
  if (same) {
    wb.current = same.n;
    renderHistory();
    drawMarks();
    return;
  }
  wb.counter += 1;
  wb.history.push({ n: wb.counter, pair, inputs, ctx, units: page.unitsChoice(),
    shown: HISTORY_FIELDS.map(value), t, rho });
  if (wb.history.length > MAX_HISTORY) wb.history.shift();
  wb.current = wb.counter;
  renderHistory();
  drawMarks();
}
const HISTORY_FIELDS = ["temperature", "pressure", "specific_enthalpy"];
// An entry's inputs and results in the units it was calculated in, named in the page's language.
function historyText(h) {
  const options = `units=${h.units};lang=${state.lang}`;
  const text = (f, v, symbol) =>
    `${symbol ? `${str(M._zeltra5_field_symbol(f))} = ` : ""}${page.formatValue(v)} ${page.fieldUnit(f, options)}`.trim();
  const typed = page.pairFields(h.pair).map((f, k) => text(f, Number(h.inputs[k]), false));
  const shown = HISTORY_FIELDS.map((name, k) => text(fieldOf(name), h.shown[k], true));
  return `${h.n}. ${h.pair}: ${typed.join(", ")} → ${shown.join(", ")}`;
}
function renderHistory() {
  const t = wt();
  const list = $("history-list");
  $("history-empty").hidden = wb.history.length > 0;
  list.replaceChildren(...wb.history.map((h) => {
    const li = document.createElement("li");
    li.dataset.n = String(h.n);
    if (h.n === wb.current) li.className = "current";
    const restore = document.createElement("button");
    restore.type = "button";
    restore.className = "restore";
    restore.title = t.restore;
    restore.textContent = historyText(h);
    restore.addEventListener("click", () => restoreHistory(h.n));
    const remove = document.createElement("button");
    remove.type = "button";
    remove.className = "remove";
    remove.textContent = "×";
    remove.title = t.remove;
    remove.setAttribute("aria-label", `${t.remove} ${h.n}`);
    remove.addEventListener("click", () => removeHistory(h.n));
    li.append(restore, remove);
    return li;
  }));
}
function removeHistory(n) {
  wb.history = wb.history.filter((h) => h.n !== n);
  renderHistory();
  drawMarks();
}
// The entry's choices of units, reference and model, its pair and inputs; then calculated.
function restoreHistory(n) {
  const h = wb.history.find((e) => e.n === n);
  if (!h) return;
  $("units").value = h.ctx.units;
  for (const key of ["p", "t", "h", "s"]) $(`unit-${key}`).value = h.ctx[key];
  state.units = page.unitsChoice();
  wb.plotUnits = state.units;
  $("reference").value = h.ctx.reference;
  if ($("model").value !== h.ctx.model) {
    $("model").value = h.ctx.model;
    page.keepModelInAddress();
  }
  setInputs(h.pair, h.inputs[0], h.inputs[1] ?? "");
  $("superheat").checked = h.ctx.superheat;
  page.run();
}
// Each state of the session as a small numbered mark where its t and density put it.
function drawMarks() {
  const marks = wb.svg?.querySelector("#history-marks");
  if (!marks) return;
  const units = page.unitsChoice(), options = optionsText(false);
  const children = [];
  for (const h of wb.history) {
    const t = Number(window.zeltra5.convertValues(fieldOf("temperature"), String(h.t), "si", units));
    const rho = Number(window.zeltra5.convertValues(fieldOf("mass_density"), String(h.rho), "si", units));
    if (!hooks.diagramPoint("t-rho", t, rho, options)) continue;
    const x = f64(heap.x), y = f64(heap.y);
    const g = document.createElementNS(SVG_NS, "g");
    g.setAttribute("class", "history-mark");
    g.dataset.n = String(h.n);
    const c = document.createElementNS(SVG_NS, "circle");
    for (const [k, v] of [["cx", x.toFixed(2)], ["cy", y.toFixed(2)], ["r", 4], ["fill", "#ffffff"],
      ["stroke", "#5a2d82"], ["stroke-width", 1.5]]) c.setAttribute(k, v);
    const label = document.createElementNS(SVG_NS, "text");
    for (const [k, v] of [["x", (x + 6).toFixed(2)], ["y", (y - 6).toFixed(2)], ["font-size", 14],
      ["fill", "#5a2d82"], ["font-weight", "bold"], ["stroke", "#ffffff"], ["stroke-width", 3],
      ["paint-order", "stroke"]]) label.setAttribute(k, v);
    label.textContent = String(h.n);
    g.append(c, label);
    children.push(g);
  }
  marks.replaceChildren(...children);
}

// --- a property along an isobar or isotherm ---------------------------------------------------
const PLOT_KINDS = ["isobar", "isotherm"];
const PLOT_DEFAULTS = { isobar: ["10", "-50:150:5"], isotherm: ["25", "0.5:100:*1.1"] };
const PLOT_PROPERTIES = ["isobaric_heat_capacity", "isochoric_heat_capacity", "mass_density",
  "specific_volume", "specific_enthalpy", "specific_entropy", "specific_internal_energy",
  "speed_of_sound", "dynamic_viscosity", "kinematic_viscosity", "thermal_conductivity",
  "prandtl_number", "isentropic_coefficient", "expansion_coefficient", "relative_enthalpy",
  "temperature", "pressure"];
const plotKind = () => {
  const name = $("plot-kind").value;
  const i = Array.from({ length: M._zeltra5_web_table_kind_count() },
    (_, k) => str(M._zeltra5_web_table_kind_name(k))).indexOf(name);
  return { name, fixed: M._zeltra5_web_table_kind_fixed_field(i),
    varied: M._zeltra5_web_table_kind_varied_field(i), index: i };
};
function plotLabels() {
  const options = optionsText(false);
  const kind = plotKind();
  const label = (field) => page.rowName(page.fieldRow(field), options);
  $("plot-fixed-label").textContent = label(kind.fixed);
  $("plot-fixed-unit").textContent = page.fieldUnit(kind.fixed, options);
  $("plot-range-label").textContent = TEXTS[state.lang].range_of(label(kind.varied));
  $("plot-range-unit").textContent = page.fieldUnit(kind.varied, options);
  const select = $("plot-property");
  const chosen = select.value || "isobaric_heat_capacity";
  select.replaceChildren(...PLOT_PROPERTIES.filter((n) => fieldOf(n) !== kind.varied && fieldOf(n) !== kind.fixed)
    .map((n) => new Option(label(fieldOf(n)), n)));
  select.value = [...select.options].some((o) => o.value === chosen) ? chosen : "isobaric_heat_capacity";
  for (const o of $("plot-kind").options) {
    o.textContent = str(M._zeltra5_web_table_kind_title(plotKindIndex(o.value), put("wlang", state.lang)));
  }
}
const plotKindIndex = (name) => Array.from({ length: M._zeltra5_web_table_kind_count() },
  (_, k) => str(M._zeltra5_web_table_kind_name(k))).indexOf(name);
function setPlotDefaults() {
  const kind = plotKind();
  const [fixed, range] = PLOT_DEFAULTS[kind.name];
  const units = page.unitsChoice();
  $("plot-fixed").value = window.zeltra5.convertValues(kind.fixed, fixed, "display", units) ?? fixed;
  $("plot-range").value = window.zeltra5.convertValues(kind.varied, range, "display", units) ?? range;
}
// The points from the library's table (its CSV, as the page's tables): [x, y, phase] with y NaN
// where the row is refused or has no value of the property.
function plotPoints() {
  const kind = plotKind();
  const options = optionsText(true);
  const property = $("plot-property").value;
  const fixedText = $("plot-fixed").value.trim().replace(",", ".");
  const fixed = Number(fixedText);
  const range = $("plot-range").value;
  const count = M._zeltra5_web_range_size(put("wrange", range));
  if (fixedText === "" || !Number.isFinite(fixed)) {
    return { error: `${$("plot-fixed-label").textContent}: «${$("plot-fixed").value}» ${TEXTS[state.lang].not_number}` };
  }
  if (count < 0 || count > MAX_PLOT_POINTS) {
    const optionsArg = put("woptions", options);
    const why = count < 0 ? libraryText((buffer, size) => M._zeltra5_explain_table(put("wkind", kind.name),
      fixed, put("wrange", range), optionsArg, buffer, size)) : wt().plot_too_many(count, MAX_PLOT_POINTS);
    return { error: why };
  }
  const csv = page.tableCsv(put("wkind", kind.name), fixed, put("wrange", range), put("woptions", options), count);
  if (csv === null) {
    return { error: libraryText((buffer, size) => M._zeltra5_explain_table(put("wkind", kind.name),
      fixed, put("wrange", range), put("woptions", options), buffer, size)) };
  }
  const rows = page.parseCsv(csv);
  const head = rows[0], units = rows[1];
  const xc = head.indexOf(str(M._zeltra5_field_name(kind.varied))), yc = head.indexOf(property);
  const status = head.indexOf("status"), phase = head.indexOf("phase");
  const points = rows.slice(2).filter((r) => r.length > yc).map((r) => {
    const x = r[xc] === "" ? NaN : Number(r[xc]);
    const y = r[status] === "0" && r[yc] !== "" ? Number(r[yc]) : NaN;
    return [x, y, r[phase]];
  });
  // The units in the page's language (the CSV's own line is the command line's).
  const unit = (field) => page.fieldUnit(field, optionsText(false));
  return { points, xUnit: unit(kind.varied), yUnit: unit(fieldOf(property)), csv };
}
// Liquid on one side, vapour on the other (the library's phase codes: 1 liquid, 2 vapour).
const phaseJump = (a, b) => (a === "1" && b === "2") || (a === "2" && b === "1");
// Round steps of an axis: about `n` ticks over [a, b].
function ticks(a, b, n) {
  const raw = (b - a) / n;
  const mag = 10 ** Math.floor(Math.log10(raw));
  const step = [1, 2, 5, 10].map((k) => k * mag).find((s) => s >= raw) ?? raw;
  const out = [];
  for (let v = Math.ceil(a / step) * step; v <= b + step * 1e-9; v += step) out.push(Math.abs(v) < step * 1e-9 ? 0 : v);
  return { list: out, step };
}
const tickText = (v, step) => {
  const decimals = Math.max(0, -Math.floor(Math.log10(step) + 1e-9));
  return decimals > 6 || Math.abs(v) >= 1e6 ? v.toExponential(2) : v.toFixed(decimals);
};
function makePlot() {
  const made = plotPoints();
  const message = $("plot-message");
  message.hidden = !made.error;
  message.textContent = made.error ?? "";
  wb.plotShown = true;
  wb.plotUnits = page.unitsChoice();
  const figure = $("property-plot");
  if (made.error) {
    figure.replaceChildren();
    return;
  }
  const valid = made.points.filter(([x, y]) => Number.isFinite(x) && Number.isFinite(y));
  const gaps = made.points.length - valid.length;
  $("plot-note").textContent = gaps > 0 ? wt().plot_gaps(gaps) : "";
  if (valid.length === 0) {
    message.hidden = false;
    message.textContent = wt().plot_none;
    figure.replaceChildren();
    return;
  }
  const W = 640, H = 380, L = 78, R = 16, T = 16, B = 56;
  const xs = valid.map((p) => p[0]), ys = valid.map((p) => p[1]);
  let [x0, x1] = [Math.min(...xs), Math.max(...xs)], [y0, y1] = [Math.min(...ys), Math.max(...ys)];
  if (x1 === x0) { x0 -= 1; x1 += 1; }
  if (y1 === y0) { const d = Math.abs(y0) * 0.05 || 1; y0 -= d; y1 += d; }
  const pad = (y1 - y0) * 0.05;
  y0 -= pad; y1 += pad;
  const px = (x) => L + (x - x0) / (x1 - x0) * (W - L - R);
  const py = (y) => T + (y1 - y) / (y1 - y0) * (H - T - B);
  const options = optionsText(false);
  const kind = plotKind();
  const name = (field) => page.rowName(page.fieldRow(field), options);
  const unitText = (u) => (u ? `, ${u}` : "");
  let svg = `<svg xmlns="${SVG_NS}" viewBox="0 0 ${W} ${H}" font-family="Liberation Sans, Arial, sans-serif" font-size="13">`;
  svg += `<rect x="0" y="0" width="${W}" height="${H}" fill="#fff"/>`;
  const xt = ticks(x0, x1, 8), yt = ticks(y0, y1, 6);
  for (const v of xt.list) {
    svg += `<line x1="${px(v).toFixed(1)}" x2="${px(v).toFixed(1)}" y1="${T}" y2="${H - B}" stroke="#e3e6ea"/>` +
      `<text x="${px(v).toFixed(1)}" y="${H - B + 17}" text-anchor="middle">${tickText(v, xt.step)}</text>`;
  }
  for (const v of yt.list) {
    svg += `<line x1="${L}" x2="${W - R}" y1="${py(v).toFixed(1)}" y2="${py(v).toFixed(1)}" stroke="#e3e6ea"/>` +
      `<text x="${L - 6}" y="${(py(v) + 4).toFixed(1)}" text-anchor="end">${tickText(v, yt.step)}</text>`;
  }
  svg += `<rect x="${L}" y="${T}" width="${W - L - R}" height="${H - T - B}" fill="none" stroke="#333"/>`;
  // One polyline per stretch of valid points: a refused point breaks the line, and so does the
  // step from liquid to vapour (the saturated liquid and vapour of an isobar or isotherm, the
  // same x and two values: no state lies on a line joining them). A line into or out of the
  // two-phase region (an isochore's) or across the critical temperature stays whole.
  let stretch = [];
  const stretches = [];
  let before = "";
  for (const [x, y, phase] of made.points) {
    if (!Number.isFinite(x) || !Number.isFinite(y)) {
      if (stretch.length > 0) { stretches.push(stretch); stretch = []; }
      continue;
    }
    if (stretch.length > 0 && phaseJump(before, phase)) { stretches.push(stretch); stretch = []; }
    stretch.push(`${px(x).toFixed(2)},${py(y).toFixed(2)}`);
    before = phase;
  }
  if (stretch.length > 0) stretches.push(stretch);
  for (const s of stretches) {
    svg += `<polyline class="plot-line" points="${s.join(" ")}" fill="none" stroke="#cc4c00" stroke-width="1.8"/>`;
  }
  for (const [x, y] of valid) {
    svg += `<circle class="plot-point" cx="${px(x).toFixed(2)}" cy="${py(y).toFixed(2)}" r="2.2" fill="#cc4c00"` +
      ` data-x="${x}" data-y="${y}"/>`;
  }
  const esc = (s) => s.replace(/&/g, "&amp;").replace(/</g, "&lt;");
  svg += `<text id="plot-x-title" x="${(L + W - R) / 2}" y="${H - 14}" text-anchor="middle">${esc(name(kind.varied) + unitText(made.xUnit))}</text>`;
  svg += `<text id="plot-y-title" transform="translate(16 ${(T + H - B) / 2}) rotate(-90)" text-anchor="middle">` +
    `${esc(name(fieldOf($("plot-property").value)) + unitText(made.yUnit))}</text>`;
  svg += "</svg>";
  const doc = new DOMParser().parseFromString(svg, "image/svg+xml").documentElement;
  $("plot-caption").textContent = `${$("plot-kind").selectedOptions[0].textContent}: ` +
    `${$("plot-fixed-label").textContent} = ${$("plot-fixed").value} ${$("plot-fixed-unit").textContent}`;
  figure.replaceChildren(document.importNode(doc, true));
}

// --- texts, and following the page's choices ---------------------------------------------------
function applyTexts() {
  const t = wt();
  document.querySelectorAll("[data-wb-text]").forEach((e) => { e.textContent = t[e.dataset.wbText]; });
  $("zoom-in").setAttribute("aria-label", t.zoom_in);
  $("zoom-out").setAttribute("aria-label", t.zoom_out);
  $("zoom-in").title = t.zoom_in;
  $("zoom-out").title = t.zoom_out;
  $("diagram-wide").textContent = document.querySelector("main").classList.contains("wide-diagram") ? t.narrow : t.wide;
  showType();
  readout(null);
  renderHistory();
  plotLabels();
}
// New units: the plot's typed values in the new units (the library converts them).
function unitsFollowed() {
  const to = page.unitsChoice();
  if (wb.plotUnits && wb.plotUnits !== to) {
    const kind = plotKind();
    for (const [id, field] of [["plot-fixed", kind.fixed], ["plot-range", kind.varied]]) {
      const converted = window.zeltra5.convertValues(field, $(id).value.trim(), wb.plotUnits, to);
      if (converted !== null) $(id).value = converted;
    }
  }
  wb.plotUnits = to;
}
function followPage() {
  unitsFollowed();
  plotLabels();
  readout(null);
  drawMarks();
  renderHistory();
  if (wb.plotShown) makePlot();
}

// A phone's narrow column: a smaller plot frame, so that the drawing's texts stay readable;
// true when the frame changed.
function fitFrame() {
  const width = $("diagram").clientWidth;
  const frame = width > 0 && width < 500 ? [480, 440] : [0, 0];
  if (frame.join() === wb.frame.join()) return false;
  wb.frame = frame;
  return true;
}

function init() {
  for (const type of Object.keys(TYPES)) $(`diagram-${type}`).addEventListener("click", () => setType(type));
  $("zoom-in").addEventListener("click", () => zoom(1));
  $("zoom-out").addEventListener("click", () => zoom(-1));
  $("zoom-reset").addEventListener("click", resetView);
  $("diagram-wide").addEventListener("click", () => {
    const main = document.querySelector("main");
    const wide = main.classList.toggle("wide-diagram");
    $("diagram-wide").setAttribute("aria-pressed", String(wide));
    $("diagram-wide").textContent = wide ? wt().narrow : wt().wide;
  });
  for (const name of PLOT_KINDS) $("plot-kind").add(new Option(name, name));
  $("plot-kind").addEventListener("change", () => { plotLabels(); setPlotDefaults(); });
  $("plot-form").addEventListener("submit", (e) => {
    e.preventDefault();
    const started = performance.now();
    makePlot();
    window.plotMs = performance.now() - started;
    window.plotsMade = (window.plotsMade ?? 0) + 1;
  });
  // After the page's own handlers (registered first): the page's choices are in place.
  for (const id of ["units", "unit-p", "unit-t", "unit-h", "unit-s", "reference", "model"]) {
    $(id).addEventListener("change", followPage);
  }
  document.querySelectorAll(".lang button").forEach((b) => b.addEventListener("click", () => {
    applyTexts();
    if (wb.plotShown) makePlot();
  }));
  fitFrame();
  window.addEventListener("resize", () => { if (fitFrame()) redraw(); });
  wirePointer();
  setPlotDefaults();
  wb.plotUnits = page.unitsChoice();
  // The page's start may take other units from its address (cycle.js): the plot's values follow.
  hooks.afterStart.push(() => { unitsFollowed(); plotLabels(); });
  applyTexts();
  // The whole p-h diagram the page drew first is this one's first window, unless a phone's
  // frame asks for another; the state on show again, through the hooks now: its marker, and
  // the first of the session.
  const first = $("diagram").querySelector("svg");
  if (first && wb.frame[0] === 0) {
    state.diagramKey = optionsText(false) + hooks.diagramKey();
    hooks.diagramDrawn(first);
  }
  if (state.results !== null) page.run();
  else redraw();
  window.workbenchReadyMs = performance.now();
  document.body.dataset.workbench = "1";
}
// For the browser test: the window on show and the history.
window.zeltra5.workbench = { wb, zoom, resetView, setType, locate, windowEnds };
init();
