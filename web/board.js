// The shared board, when the page is served by kelvado-board: its best games with a link to
// watch each, and after a game whose name was stored, one button that sends that game's demo.
// Nothing is ever sent without the click; served without a board, the page shows neither.
const kBoard = "/api/board?limit=20";
const kLastDemo = "/game/demos/last.demo";
const $ = (id) => document.getElementById(id);

function element(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
  e.append(...children);
  return e;
}

async function fetchBoard() {
  try {
    const response = await fetch(kBoard, {cache: "no-store"});
    if (!response.ok || !/json/.test(response.headers.get("Content-Type") || "")) return null;
    const board = await response.json();
    return board && Array.isArray(board.entries) ? board : null;
  } catch (error) {
    return null;
  }
}

function showBoard(section, board) {
  const body = element("tbody");
  for (const entry of board.entries) {
    const link = element("a", {href: `${location.pathname}?demo=/api/demos/${entry.id}`}, "Watch");
    body.append(element("tr", {"data-id": String(entry.id)},
        element("td", {}, String(entry.rank)), element("td", {}, entry.name),
        element("td", {}, String(entry.score)), element("td", {}, String(entry.date).slice(0, 10)),
        element("td", {}, link)));
  }
  const table = board.entries.length
    ? element("table", {},
        element("thead", {}, element("tr", {}, ...["Rank", "Name", "Score", "Date", ""].map(
            (title) => element("th", {}, title)))),
        body)
    : element("p", {}, "No games on the board yet.");
  section.replaceChildren(element("h2", {}, `The board (${board.total})`), table);
  section.hidden = false;
}

// The game's last demo, when it names the player whose score was stored.
function namedLastDemo() {
  try {
    const bytes = window.kelvado.FS.readFile(kLastDemo);
    const text = new TextDecoder().decode(bytes);
    return /^# name [A-Z0-9]+\r?$/m.test(text) ? text : null;
  } catch (error) {
    return null;
  }
}

async function submit(section, text) {
  const button = section.querySelector("button");
  const answer = section.querySelector("output");
  button.disabled = true;
  answer.textContent = "Sending...";
  try {
    const response = await fetch("/api/demos", {method: "POST", body: text,
                                               headers: {"Content-Type": "text/plain"}});
    const reply = await response.json().catch(() => ({}));
    if (response.status === 201 || response.status === 200) {
      answer.textContent = `On the board: rank ${reply.rank}, ${reply.name} with ${reply.score}.`;
    } else {
      answer.textContent = `Refused (${response.status}): ${reply.error || response.statusText}`;
      button.disabled = false;
    }
  } catch (error) {
    answer.textContent = `Not sent: ${error.message || error}`;
    button.disabled = false;
  }
}

async function startBoard() {
  const board = await fetchBoard();
  if (!board) return;
  const main = document.querySelector("main");
  const boardSection = element("section", {id: "board", hidden: ""});
  const submitSection = element("section", {id: "submit", hidden: ""},
      element("button", {type: "button"}, "Send this game to the board"), " ",
      element("output", {}));
  main.append(submitSection, boardSection);
  showBoard(boardSection, board);

  // The last demo as the page found it is a game of an earlier visit: only a game ended here
  // is offered.
  let seen = null, offered = null;
  const watch = setInterval(() => {
    if (!window.kelvado || !window.kelvado.FS) return;
    const text = namedLastDemo();
    if (seen === null) {
      seen = text || "";
      return;
    }
    if (text && text !== seen && text !== offered) {
      offered = text;
      submitSection.querySelector("output").textContent = "";
      submitSection.querySelector("button").disabled = false;
      submitSection.querySelector("button").onclick = async () => {
        await submit(submitSection, text);
        const now = await fetchBoard();
        if (now) showBoard(boardSection, now);
        $("canvas").focus();
      };
      submitSection.hidden = false;
    }
  }, 500);
  addEventListener("pagehide", () => clearInterval(watch));
}

startBoard();
