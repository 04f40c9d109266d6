'use strict';
// The page keeps nothing but the token of its session; the session itself is a cookie scripts cannot
// read. Every change is a POST with the token in a header.
let token = '';
let timer = 0;
const $ = (id) => document.getElementById(id);

function say(text) { $('message').textContent = text; }

function show(loggedIn) {
  $('login').hidden = loggedIn;
  $('panel').hidden = !loggedIn;
  clearInterval(timer);
  if (loggedIn) timer = setInterval(refresh, 5000);
}

function fill(list, items) {
  list.replaceChildren(...items.map((text) => {
    const li = document.createElement('li');
    li.textContent = text;
    return li;
  }));
}

async function refresh() {
  const reply = await fetch('/api/status', { credentials: 'same-origin' }).catch(() => null);
  if (!reply) { say('无法连接'); return; }
  if (reply.status === 401) { token = ''; show(false); return; }
  const s = await reply.json();
  token = s.token;
  fill($('next'), s.next.length ? s.next : ['今天没有了']);
  $('table').textContent = s.table || '（无）';
  $('reason').textContent = s.reason;
  $('playing').textContent = s.playing || '没有播音';
  $('emergency-on').hidden = !s.emergency;
  $('emergency').hidden = s.emergency;
  $('emergency-end').hidden = !s.emergency;
  show(true);
}

async function post(path, body) {
  const reply = await fetch(path, {
    method: 'POST',
    credentials: 'same-origin',
    headers: { 'Content-Type': 'application/json', 'X-Quel-Token': token },
    body: JSON.stringify(body || {}),
  }).catch(() => null);
  if (!reply) { say('无法连接'); return null; }
  const answer = await reply.json().catch(() => ({ ok: false, message: '' }));
  if (reply.status === 401) show(false);
  return answer;
}

async function act(name, body) {
  const answer = await post('/api/' + name, body);
  if (!answer) return;
  say(answer.message || (answer.ok ? '完成' : '未完成'));
  refresh();
}

$('login-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  $('login-button').disabled = true;
  const answer = await post('/api/login', { password: $('password').value });
  $('login-button').disabled = false;
  $('password').value = '';
  if (answer && answer.ok) {
    token = answer.token;
    say('');
    refresh();
  } else if (answer) {
    say(answer.message);
  }
});

document.querySelectorAll('[data-action]').forEach((button) => {
  button.addEventListener('click', () =>
    act(button.dataset.action, { female: button.dataset.female === 'true' }));
});

$('broadcast-form').addEventListener('submit', (event) => {
  event.preventDefault();
  act('broadcast', { list: $('list').value, random: $('random').checked });
});

$('emergency').addEventListener('click', () => { $('confirm').hidden = false; });
$('confirm-no').addEventListener('click', () => { $('confirm').hidden = true; });
$('confirm-yes').addEventListener('click', () => {
  $('confirm').hidden = true;
  act('emergency', { on: true, confirmed: true });
});
$('emergency-end').addEventListener('click', () => act('emergency', { on: false }));

$('logout').addEventListener('click', async () => {
  await post('/api/logout');
  token = '';
  say('已退出');
  show(false);
});

refresh();
