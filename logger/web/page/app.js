'use strict';
// The station's page: the values now, the barograph and the records, kept up to date by the
// server's events. Values come in hPa, °C and m; the units chosen here are only for showing.

const Pressure = { hPa: [1, 1], inHg: [33.8639, 2], mmHg: [1.333224, 1], kPa: [10, 2] };
const Length = { m: [1, 0], ft: [0.3048, 0] };
const units = Object.assign({ pressure: 'hPa', temperature: 'C', altitude: 'm' },
  JSON.parse(localStorage.getItem('corvasine.units') || '{}'));
let current = null;
let span = '24h';
let historyData = null;
let historyFetched = 0;
const charts = {};

function convert(kind, v) {
  if (v === null || v === undefined) return null;
  switch (kind) {
    case 'pressure': return v / Pressure[units.pressure][0];
    case 'pressure-change': return v / Pressure[units.pressure][0];
    case 'temperature': return units.temperature === 'F' ? v * 9 / 5 + 32 : v;
    case 'altitude': return v / Length[units.altitude][0];
    default: return v;
  }
}
function digits(kind) {
  if (kind.startsWith('pressure')) return Pressure[units.pressure][1];
  if (kind === 'altitude') return Length[units.altitude][1];
  return 1;
}
// A value that rounds to zero is shown as 0, never as -0.
function show(kind, v) {
  const c = convert(kind, v);
  return c === null ? '–' : c.toFixed(digits(kind)).replace(/^-(0\.?0*)$/, '$1');
}
function unitText(kind) {
  if (kind === 'pressure') return units.pressure;
  if (kind === 'temperature') return units.temperature === 'F' ? '°F' : '°C';
  return units.altitude;
}
function dateText(seconds) {
  return seconds ? new Date(seconds * 1000).toLocaleString() : '–';
}
const $ = (id) => document.getElementById(id);

function renderUnits() {
  for (const kind of ['pressure', 'temperature', 'altitude']) {
    document.querySelectorAll('.u-' + kind).forEach((e) => { e.textContent = unitText(kind); });
    $('unit-' + kind).value = units[kind];
  }
}

function renderState(doc) {
  const s = doc.state;
  let text = s.present ? 'Module on ' + (s.port || '?') + ' since ' + dateText(s.foundSince)
    : s.searching ? 'Searching for the module' : 'No module';
  if (!s.present && s.lostSince) text += ', lost since ' + dateText(s.lostSince);
  if (doc.age !== null) text += '; last reading ' + doc.age + ' s ago';
  $('state').textContent = text;
  $('station').textContent = doc.station;
}

function renderCurrent() {
  const doc = current;
  if (!doc) return;
  renderState(doc);
  document.querySelectorAll('.values [id^="v-"]').forEach((e) => {
    e.textContent = show(e.dataset.kind, doc[e.id.slice(2)] ?? null);
  });
  $('time').textContent = dateText(doc.time);
  $('age').textContent = doc.age ?? '–';
  const picture = $('weather-picture');
  picture.hidden = !(doc.weatherClass >= 1);
  if (!picture.hidden) picture.src = '/weather/' + doc.weather + '.svg';
  picture.alt = doc.weather;
  $('weather-class').textContent = doc.weather ?? '–';
  const trend = $('trend-picture');
  trend.hidden = !(doc.trend >= 0 && doc.trend <= 4);
  if (!trend.hidden) trend.src = '/trend/' + doc.trendName.replace(' ', '_') + '.svg';
  $('trend').textContent = doc.trendName ?? '–';
  const t = doc.tendency || {};
  $('tendency-words').textContent = t.words ?? '–';
  $('tendency-code').textContent = t.characteristic ?? '–';
  $('tendency-amount').textContent = show('pressure-change', t.amount ?? null);
  $('storm').hidden = !doc.stormAlarm;
}

// The points of one curve: a null wherever the buckets leave a gap, so no line crosses it.
function series(buckets, step, quantity, field) {
  const points = [];
  let end = null;
  const kind = quantity === 'humidity' ? 'humidity'
    : quantity === 'temperature' ? 'temperature' : 'pressure';
  for (const b of buckets) {
    if (end !== null && b.start - end >= step) points.push({ x: end, y: null });
    const q = b[quantity];
    points.push({ x: b.start + b.seconds / 2, y: q ? convert(kind, q[field]) : null });
    end = b.start + b.seconds;
  }
  return points;
}

function chartOptions(from, to) {
  const style = getComputedStyle(document.documentElement);
  const fg = style.getPropertyValue('--fg').trim();
  return {
    animation: false, responsive: true, maintainAspectRatio: false, spanGaps: false,
    parsing: false, normalized: true,
    plugins: { legend: { labels: { color: fg } } },
    scales: {
      x: { type: 'linear', min: from, max: to, ticks: { color: fg, maxTicksLimit: 7,
        callback: (v) => new Date(v * 1000).toLocaleString([], span === '24h'
          ? { hour: '2-digit', minute: '2-digit' } : { month: 'short', day: 'numeric' }) } },
      y: { ticks: { color: fg } },
    },
  };
}

// A point with no value on either side draws no line: it is shown as a dot instead.
function dotIfAlone(ctx) {
  const d = ctx.dataset.data, i = ctx.dataIndex;
  const has = (k) => k >= 0 && k < d.length && d[k].y !== null;
  return has(i) && !has(i - 1) && !has(i + 1) ? 3 : 0;
}

function drawChart(id, quantity, label, doc) {
  const style = getComputedStyle(document.documentElement);
  const line = style.getPropertyValue('--line').trim();
  const band = style.getPropertyValue('--band').trim();
  const data = { datasets: [
    { label: label, data: series(doc.buckets, doc.step, quantity, 'mean'), borderColor: line,
      backgroundColor: line, pointRadius: dotIfAlone, borderWidth: 2 },
    { label: 'lowest', data: series(doc.buckets, doc.step, quantity, 'min'), borderWidth: 0,
      pointRadius: 0, fill: false },
    { label: 'highest', data: series(doc.buckets, doc.step, quantity, 'max'), borderWidth: 0,
      pointRadius: 0, fill: '-1', backgroundColor: band },
  ] };
  if (charts[id]) charts[id].destroy();
  charts[id] = new Chart($(id), { type: 'line', data: data, options: chartOptions(doc.from, doc.to) });
}

function renderHistory() {
  const doc = historyData;
  if (!doc || typeof Chart === 'undefined') return;
  drawChart('chart-pressure', 'qfe', 'QFE (' + units.pressure + ')', doc);
  drawChart('chart-temperature', 'temperature', 'Temperature (' + unitText('temperature') + ')', doc);
  drawChart('chart-humidity', 'humidity', 'Humidity (%)', doc);
  document.body.dataset.historyBuckets = doc.buckets.length;
}

async function getJson(url) {
  const r = await fetch(url, { cache: 'no-store' });
  const body = await r.json();
  if (!r.ok) throw new Error(body.error || r.statusText);
  return body;
}

function showCharts(on) {
  document.querySelectorAll('.history figure').forEach((f) => { f.hidden = !on; });
}

async function loadHistory() {
  historyFetched = Date.now();
  try {
    historyData = await getJson('/api/v1/history?span=' + span + '&points=500');
    showCharts(true);
    $('history-note').textContent = typeof Chart === 'undefined' ? 'No chart library' : '';
    renderHistory();
  } catch (e) {
    showCharts(false);
    $('history-note').textContent = e.message === 'no archive' ? 'No archive' : e.message;
  }
}

function recordCell(kind, q, which) {
  return q ? show(kind, q[which]) + ' ' + (kind === 'humidity' ? '%' : unitText(kind)) +
    ' (' + dateText(q[which + 'Time']) + ')' : '–';
}

async function loadRecords() {
  try {
    const doc = await getJson('/api/v1/records');
    const names = { today: 'Today', month: 'This month', year: 'This year', all: 'All time' };
    const quantities = [['qfe', 'QFE', 'pressure'], ['qnh', 'QNH', 'pressure'],
      ['temperature', 'Temperature', 'temperature'], ['humidity', 'Humidity', 'humidity']];
    const rows = [];
    for (const key of Object.keys(names))
      for (const [q, label, kind] of quantities) {
        const s = doc[key].quantities[q];
        if (!s) continue;
        const tr = document.createElement('tr');
        for (const text of [names[key], label, recordCell(kind, s, 'min'), recordCell(kind, s, 'max')]) {
          const td = document.createElement('td');
          td.textContent = text;
          tr.appendChild(td);
        }
        rows.push(tr);
      }
    document.querySelector('#records tbody').replaceChildren(...rows);
    $('records-note').textContent = '';
  } catch (e) {
    $('records-note').textContent = e.message === 'no archive' ? 'No archive' : e.message;
  }
}

function chooseUnit(kind, value) {
  units[kind] = value;
  localStorage.setItem('corvasine.units', JSON.stringify(units));
  renderUnits();
  renderCurrent();
  renderHistory();
  loadRecords();
}

function listen() {
  const events = new EventSource('/api/v1/events');
  events.onmessage = (m) => {
    current = JSON.parse(m.data);
    document.body.dataset.updates = Number(document.body.dataset.updates || 0) + 1;
    renderCurrent();
    if (Date.now() - historyFetched > 60000) { loadHistory(); loadRecords(); }
  };
}

function start() {
  for (const kind of ['pressure', 'temperature', 'altitude'])
    $('unit-' + kind).addEventListener('change', (e) => chooseUnit(kind, e.target.value));
  document.querySelectorAll('.spans button').forEach((b) => b.addEventListener('click', () => {
    span = b.dataset.span;
    document.querySelectorAll('.spans button').forEach((o) => o.setAttribute('aria-pressed', String(o === b)));
    loadHistory();
  }));
  // The charts take their colours when drawn: drawn again when the system turns light or dark.
  matchMedia('(prefers-color-scheme: dark)').addEventListener('change', renderHistory);
  renderUnits();
  getJson('/api/v1/current').then((doc) => { current = doc; renderCurrent(); }).catch(() => {});
  loadHistory();
  loadRecords();
  listen();
}
start();
