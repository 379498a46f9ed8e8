// The HTML, CSS and script of the server's pages. The script only fetches JSON and fills tables.
#include "server/pages.h"

#include "grading/class_report.h"

namespace {

const char kStyle[] = R"(
body{font:15px/1.45 system-ui,"Segoe UI",Roboto,"DejaVu Sans",sans-serif;color:#1d2330;max-width:1100px;
 margin:24px auto;padding:0 20px}
h1{font-size:24px;margin:0 0 4px}h2{font-size:17px;margin:22px 0 8px}
.sub{color:#596376;margin:0 0 16px}
table{border-collapse:collapse;width:100%;font-size:14px}
th{text-align:left;border-bottom:2px solid #97a2b2;padding:5px 8px}
td{border-bottom:1px solid #e1e5ea;padding:5px 8px}
td.num{text-align:right;font-variant-numeric:tabular-nums}
.panel{border:1px solid #d6dce4;border-radius:6px;background:#f7f9fb;padding:12px 16px;margin:0 0 16px}
input,textarea,select,button{font:inherit}
textarea{width:100%;height:8em}
button{padding:3px 12px;margin:2px}
.error{color:#9b1010;min-height:1.4em}
.pending{color:#7a6400}
.code{font:700 22px/1.2 ui-monospace,monospace;letter-spacing:2px}
.panel h2{margin-top:0}summary{font-weight:600;cursor:pointer}
table.standings{max-width:760px}table.standings td:first-child{width:4em}
table.standings th:nth-child(3){text-align:right}
)";

const char kTeacherBody[] = R"(<h1>Trussmill contests</h1>
<p class="sub" id="who"></p>
<form id="login" class="panel" hidden>
 <h2>Teacher login</h2>
 <label>Name <input id="name" autocomplete="username" required></label>
 <label>Password <input id="password" type="password" autocomplete="current-password" required></label>
 <button>Log in</button>
</form>
<div id="main" hidden>
 <div class="panel">
  <label>Contest <select id="contests"></select></label>
  <button id="logout" type="button">Log out</button>
 </div>
 <div id="contest" hidden>
  <p>Class code <span class="code" id="code"></span> &mdash; students open <a id="link"></a>
   <span id="closed"></span></p>
  <p><a id="report" target="_blank">Class report</a> &middot; <a id="zip">Download every team's best (.zip)</a>
   &middot; <button id="close" type="button">Close the contest</button></p>
  <h2>Teams</h2>
  <table><thead><tr><th>#</th><th>Name</th><th>Shown as</th><th>Rank</th><th>Best (kips)</th><th></th></tr></thead>
   <tbody id="teams"></tbody></table>
  <h2>Submissions</h2>
  <table><thead><tr><th>Id</th><th>Team</th><th>Time</th><th>Verdict</th><th>Weight (kips)</th><th></th></tr></thead>
   <tbody id="submissions"></tbody></table>
 </div>
 <details class="panel" id="new"><summary>New contest</summary>
 <form id="create">
  <p>Choose an assignment file (.trussmill-assignment) or paste its text.</p>
  <input type="file" id="file" accept=".trussmill-assignment,text/plain">
  <textarea id="assignment" placeholder="title = Spring bridge contest"></textarea>
  <button>Create contest</button>
 </form></details>
</div>
<p class="error" id="error" role="alert"></p>
)";

const char kTeacherScript[] = R"(
const $ = id => document.getElementById(id);
let csrf = sessionStorage.getItem('csrf') || '';
let current = '';
async function api(method, url, body) {
  const options = {method, headers: {}, credentials: 'same-origin'};
  if (method !== 'GET') options.headers['X-CSRF-Token'] = csrf;
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = JSON.stringify(body);
  }
  const response = await fetch(url, options);
  const data = await response.json().catch(() => ({}));
  if (!response.ok) throw new Error(data.error || response.statusText);
  return data;
}
function show(error) { $('error').textContent = error ? error.message : ''; }
function cell(row, text, className) {
  const td = row.insertCell();
  td.textContent = text === null || text === undefined ? '' : String(text);
  if (className) td.className = className;
  return td;
}
function button(td, label, action) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = label;
  b.onclick = () => action().then(refresh).catch(show);
  td.appendChild(b);
}
async function start() {
  try {
    const session = await api('GET', '/api/session');
    csrf = session.csrf;
    sessionStorage.setItem('csrf', csrf);
    $('who').textContent = 'Logged in as ' + session.name;
    $('login').hidden = true;
    $('main').hidden = false;
    await loadContests();
  } catch (e) {
    $('login').hidden = false;
    $('main').hidden = true;
  }
}
async function loadContests(select) {
  const contests = await api('GET', '/api/contests');
  const list = $('contests');
  list.textContent = '';
  for (const c of contests) {
    const option = new Option(c.title + ' (' + c.code + (c.closed ? ', closed' : '') + ')', c.code);
    list.add(option);
  }
  $('new').open = contests.length === 0;
  if (select) list.value = select;
  else if (current && contests.some(c => c.code === current)) list.value = current;
  current = list.value;
  await refresh();
}
async function refresh() {
  $('contest').hidden = !current;
  if (!current) return;
  const info = await api('GET', '/api/contests/' + current);
  $('code').textContent = info.code;
  const link = location.origin + '/c/' + info.code;
  $('link').href = link;
  $('link').textContent = link;
  $('closed').textContent = info.closed ? '(closed)' : '';
  $('close').disabled = info.closed;
  $('report').href = '/teacher/contests/' + info.code + '/report';
  $('zip').href = '/teacher/contests/' + info.code + '/files.zip';
  const teams = await api('GET', '/api/contests/' + current + '/teams');
  const tbody = $('teams');
  tbody.textContent = '';
  for (const t of teams) {
    const row = tbody.insertRow();
    cell(row, t.number, 'num');
    cell(row, t.name);
    cell(row, t.approved ? t.shown : t.shown + ' (waiting for approval)', t.approved ? '' : 'pending');
    cell(row, t.rank, 'num');
    cell(row, t.best_weight === null ? '' : t.best_weight.toFixed(2), 'num');
    const actions = cell(row, '');
    if (!t.approved) button(actions, 'Approve', () => api('POST', '/api/contests/' + current + '/teams/' + t.number + '/approve'));
    button(actions, 'Remove', () => confirm('Remove team ' + t.name + ' and all its submissions?')
      ? api('DELETE', '/api/contests/' + current + '/teams/' + t.number) : Promise.resolve());
  }
  const submissions = await api('GET', '/api/contests/' + current + '/submissions');
  const sbody = $('submissions');
  sbody.textContent = '';
  for (const s of submissions.reverse()) {
    const row = sbody.insertRow();
    cell(row, s.id, 'num');
    cell(row, s.team);
    cell(row, s.time.replace('T', ' ').replace('Z', ' UTC'));
    cell(row, s.verdict + (s.best ? ' (best)' : ''));
    cell(row, s.weight.toFixed(2), 'num');
    button(cell(row, ''), 'Delete', () => api('DELETE', '/api/contests/' + current + '/submissions/' + s.id));
  }
}
$('login').onsubmit = async event => {
  event.preventDefault();
  try {
    const answer = await api('POST', '/api/login', {name: $('name').value, password: $('password').value});
    csrf = answer.csrf;
    sessionStorage.setItem('csrf', csrf);
    $('password').value = '';
    show(null);
    await start();
  } catch (e) { show(e); }
};
$('file').onchange = async () => {
  const file = $('file').files[0];
  if (file) $('assignment').value = await file.text();
};
$('create').onsubmit = async event => {
  event.preventDefault();
  try {
    const answer = await api('POST', '/api/contests', {assignment: $('assignment').value});
    $('assignment').value = '';
    show(null);
    await loadContests(answer.code);
  } catch (e) { show(e); }
};
$('contests').onchange = () => { current = $('contests').value; refresh().catch(show); };
$('close').onclick = () => confirm('Close the contest? Teams can no longer submit.') &&
  api('POST', '/api/contests/' + current + '/close').then(() => loadContests()).catch(show);
$('logout').onclick = () => api('POST', '/api/logout').then(() => { sessionStorage.removeItem('csrf'); start(); })
  .catch(show);
setInterval(() => { if (!$('main').hidden) refresh().catch(show); }, 10000);
start();
)";

const char kStandingsScript[] = R"(
const code = document.body.dataset.code;
async function refresh() {
  try {
    const response = await fetch('/api/contests/' + code + '/standings');
    const rows = await response.json();
    const tbody = document.getElementById('standings');
    tbody.textContent = '';
    for (const r of rows) {
      const row = tbody.insertRow();
      for (const [text, numeric] of [[r.rank, true], [r.team, false],
           [r.weight === null ? 'no passing design yet' : r.weight.toFixed(2), r.weight !== null],
           [r.submitted ? new Date(r.submitted).toLocaleTimeString() : '', false]]) {
        const td = row.insertCell();
        td.textContent = text === null ? '' : String(text);
        if (numeric) td.className = 'num';
      }
    }
    document.getElementById('updated').textContent = 'Updated ' + new Date().toLocaleTimeString();
  } catch (e) {
    document.getElementById('updated').textContent = 'Cannot reach the server; trying again.';
  }
}
refresh();
setInterval(refresh, 10000);
)";

std::string page(const std::string& title, const std::string& bodyAttributes, const std::string& body,
                 const char* script) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           title + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body" + bodyAttributes + ">\n" + body +
           "<script>" + script + "</script>\n</body>\n</html>\n";
}

}  // namespace

std::string teacherPageHtml() {
    return page("Trussmill contests", "", kTeacherBody, kTeacherScript);
}

std::string standingsPageHtml(const ContestRecord& contest) {
    std::string title;
    appendHtmlText(title, contest.title);
    // The code is of the class-code alphabet alone, so it needs no escaping.
    std::string body =
        "<h1>" + title + "</h1>\n<p class=\"sub\">Class code <span class=\"code\">" + contest.code +
        "</span>" + (contest.closed ? " &mdash; the contest is closed" : "") +
        ". <a href=\"/?contest=" + contest.code + "#contest=" + contest.code +
        "\">Open Trussmill to design and submit your bridge</a></p>\n"
        "<table class=\"standings\"><thead><tr><th>Rank</th><th>Team</th><th>Weight "
        "(kips)</th><th>Submitted</th></tr>"
        "</thead><tbody id=\"standings\"></tbody></table>\n<p class=\"sub\" id=\"updated\"></p>\n";
    return page(title + " &mdash; standings", " data-code=\"" + contest.code + "\"", body, kStandingsScript);
}
