// The page side of the browser shell (web_bridge.h declares these functions for the C++ side): the
// board canvas and its pointer and key input, the menu bar, the member table and the picture window
// beside the board, the dialogs, files in and out, printing, sound, the clipboard, help, the
// single-instance lock and the page's own notices. It keeps no program
// behaviour of its own: it shows what the program draws and queues what the user does, and the
// program takes the queue one item at a time. Functions that wait return promises to Asyncify.

var TrussmillLibrary = {
  $TM__deps: ['$FS', '$Asyncify'],
  $TM__postset: 'TM.init();',
  $TM: {
    // ---- Page state
    input: [],           // [kind, a, b, c, path] records for tm_poll_input
    wakeInput: null,     // resolves tm_wait_input
    board: null,         // the canvas, backing store exactly the board's pixels
    context: null,
    boardWidth: 0,
    boardHeight: 0,
    dragging: false,     // the left button (or a finger or pen) is down on the board
    modal: 0,            // dialogs up; while any is, the menu bar and the board take nothing
    unsaved: false,
    menu: null,          // built from the program's menu table, see buildMenu
    zoom: 1,             // the board's scale on top of the screen's own
    audio: null,         // an AudioContext, made at the user's first gesture
    clips: {},
    playing: null,
    slots: [],           // per folder /files/N: {handle} of the file the user picked there
    releaseLock: null,
    stats: {firstFrame: 0, waitLate: []},  // for measuring the page; nothing depends on them

    // Input record kinds; the same numbers as web_shell.cpp.
    COMMAND: 1, MOVE: 2, DOWN: 3, UP: 4, DROP: 5, KEY: 6,
    ROW_SELECTED: 7, SIZE_CHOSEN: 8, ROW_OPENED: 9, TABLE_CLOSED: 10,
    // The keys the board takes, as the program numbers them (KeyName).
    BOARD_KEYS: {ArrowLeft: 1, ArrowRight: 2, ArrowUp: 3, ArrowDown: 4, Enter: 5, Escape: 6, Tab: 7},
    escapedOnBoard: false,  // the board's last key was Escape: a Tab now leaves the board
    table: null,         // the member table's panel and state, see showTable
    contestProbe: null,  // a promise of whether a contest server served the page

    init: function() {
      if (location.protocol === 'file:') {
        // Browsers do not let a page opened from a file load the program's code.
        TM.hasStopped = true;
        TM.ending('Trussmill needs a web server',
                  'This page was opened as a file. Open it through a web server instead: see "In the browser" ' +
                  'in the README (scripts/web serves it on this computer).', true);
        return;
      }
      Module['onAbort'] = function(what) { TM.stopped(String(what)); };
      window.addEventListener('error', function(e) {
        if (e.error instanceof WebAssembly.RuntimeError) TM.stopped(e.error.message);
      });
      window.addEventListener('unhandledrejection', function(e) {
        if (e.reason instanceof WebAssembly.RuntimeError) TM.stopped(e.reason.message);
      });
      window.addEventListener('beforeunload', function(e) {
        if (!TM.unsaved) return;
        e.preventDefault();
        e.returnValue = '';
      });
      // Browsers let a page make sound only after the user has done something on it.
      var startAudio = function() {
        if (TM.audio) return;
        var AudioContext = window.AudioContext || window.webkitAudioContext;
        if (AudioContext) TM.audio = new AudioContext();
      };
      window.addEventListener('pointerdown', startAudio, true);
      window.addEventListener('keydown', startAudio, true);
      document.addEventListener('dragover', function(e) {
        e.preventDefault();
        e.dataTransfer.dropEffect = TM.modal || !TM.board ? 'none' : 'copy';
      });
      document.addEventListener('drop', function(e) {
        e.preventDefault();
        if (!TM.modal && TM.board) TM.dropped(e.dataTransfer);
      });
      window.addEventListener('keydown', function(e) { TM.keyDown(e); });
      window.addEventListener('keyup', function(e) { TM.keyUp(e); });
      // A bridge file opened with the installed program (its file handler) is opened as a dropped
      // one is, once the program runs.
      TM.started = new Promise(function(resolve) { TM.startedNow = resolve; });
      if ('launchQueue' in window) {
        window.launchQueue.setConsumer(function(launch) {
          if (!launch.files || !launch.files.length) return;
          var handle = launch.files[0];
          TM.started.then(function() { return handle.getFile(); }).then(function(file) {
            return TM.storeFile(file, TM.maxBytes, handle);
          }).then(function(path) { TM.queue([TM.DROP, 0, 0, 0, path]); }, function(e) {
            TM.notice(handle.name + ' could not be opened: ' + (e.message || String(e)) + '.');
          });
        });
      }
      TM.probeContestServer();
      if ('serviceWorker' in navigator && location.protocol !== 'file:') {
        navigator.serviceWorker.register('service-worker.js').catch(function() {});
      }
      TM.setState('loading');
    },

    setState: function(state) {
      document.body.dataset.state = state;
    },

    element: function(tag, className, text) {
      var e = document.createElement(tag);
      if (className) e.className = className;
      if (text !== undefined) e.textContent = text;
      return e;
    },

    // ---- Input

    queue: function(record) {
      var last = TM.input[TM.input.length - 1];
      // Moves the program has not taken yet are replaced by the newest one.
      if (record[0] === TM.MOVE && last && last[0] === TM.MOVE && last[3] === record[3]) {
        TM.input[TM.input.length - 1] = record;
      } else {
        TM.input.push(record);
      }
      if (TM.wakeInput) {
        var wake = TM.wakeInput;
        TM.wakeInput = null;
        wake();
      }
    },

    boardPixel: function(e) {
      var r = TM.board.getBoundingClientRect();
      return [Math.floor((e.clientX - r.left) * TM.boardWidth / r.width),
              Math.floor((e.clientY - r.top) * TM.boardHeight / r.height)];
    },

    pointerDown: function(e) {
      if (TM.modal || e.button !== 0 || TM.dragging) return;
      TM.closeMenus();
      e.preventDefault();  // which also keeps the browser from moving the focus: the board takes it
      TM.board.focus({preventScroll: true});
      TM.board.setPointerCapture(e.pointerId);
      TM.dragging = e.pointerId;
      var p = TM.boardPixel(e);
      TM.queue([TM.MOVE, p[0], p[1], 0]);
      TM.queue([TM.DOWN, p[0], p[1], 1]);
    },

    pointerMove: function(e) {
      if (TM.modal) return;
      var down = TM.dragging === e.pointerId;
      if (!down && e.pointerType === 'touch') return;  // a finger only counts while it is down
      var p = TM.boardPixel(e);
      TM.queue([TM.MOVE, p[0], p[1], down ? 1 : 0]);
    },

    pointerUp: function(e) {
      if (TM.dragging !== e.pointerId) return;
      TM.dragging = false;
      var p = TM.boardPixel(e);
      TM.queue([TM.UP, p[0], p[1], 0]);
    },

    // ---- The board

    // Device pixels across a board pixel at a zoom: the screen's whole scale times the zoom.
    devicePixelsAt: function(zoom) {
      return zoom * Math.max(1, Math.floor((window.devicePixelRatio || 1) + 1e-6));
    },

    // The board at its zoom, or, where the page is narrower (a phone, a split screen), at the largest
    // whole number of device pixels per board pixel that fits its width; where not even one does, it
    // is scaled smoothly to the width.
    fitBoard: function() {
      if (!TM.board) return;
      var ratio = window.devicePixelRatio || 1;
      var room = document.documentElement.clientWidth;
      var scale = TM.devicePixelsAt(TM.zoom);
      while (scale > 1 && TM.boardWidth * scale / ratio > room) --scale;
      var width = TM.boardWidth * scale / ratio;
      var smooth = width > room;
      if (smooth) width = room;
      TM.board.classList.toggle('smooth', smooth);
      TM.board.style.width = width + 'px';
      TM.board.style.height = (width * TM.boardHeight / TM.boardWidth) + 'px';
      document.getElementById('window').style.width = TM.board.style.width;
      TM.placePanels();
      TM.fitPicture();
      // A move to a screen of another scale changes the fit.
      if (TM.ratioQuery) TM.ratioQuery.removeEventListener('change', TM.fitBoard);
      TM.ratioQuery = window.matchMedia('(resolution: ' + ratio + 'dppx)');
      TM.ratioQuery.addEventListener('change', TM.fitBoard);
    },

    // ---- Help and the member table, beside the board

    // Each level with the board when it sits beside it; below it, a height of its own.
    placePanels: function() {
      var board = document.getElementById('window');
      ['help', 'members'].forEach(function(id) {
        var panel = document.getElementById(id);
        if (!panel || panel.hidden || (panel.tagName === 'DIALOG' && !panel.open)) return;
        panel.style.height = '';
        if (Math.abs(panel.offsetTop - board.offsetTop) < 2) panel.style.height = board.offsetHeight + 'px';
      });
    },

    helpOpen: function() {
      var help = document.getElementById('help');
      return !!(help && help.open);
    },

    closeHelp: function() {
      var help = document.getElementById('help');
      if (!help || !help.open) return;
      var hadFocus = help.contains(document.activeElement);
      help.close();
      if (hadFocus) document.activeElement.blur();
    },

    helpKey: function(e) {
      if (e.key !== 'Escape') return;
      e.preventDefault();
      e.stopPropagation();
      TM.closeHelp();
    },

    // ---- The menu bar, from the program's menu table

    // "&File": F is the mnemonic, "&&" a literal ampersand.
    label: function(text) {
      var span = TM.element('span', 'label');
      var key = '';
      for (var i = 0; i < text.length; ++i) {
        var c = text[i];
        if (c === '&' && i + 1 < text.length) {
          c = text[++i];
          if (c !== '&') {
            key = c.toLowerCase();
            span.appendChild(TM.element('u', '', c));
            continue;
          }
        }
        span.appendChild(document.createTextNode(c));
      }
      return {span: span, key: key};
    },

    // Separators with nothing visible between them, or at either end, are hidden.
    tidySeparators: function(list) {
      var previous = null;
      Array.prototype.forEach.call(list.children, function(child) {
        if (child.classList.contains('separator')) {
          child.hidden = previous === null || previous.classList.contains('separator');
          if (!child.hidden) previous = child;
        } else if (!child.hidden) {
          previous = child;
        }
      });
      if (previous && previous.classList.contains('separator')) previous.hidden = true;
    },

    buildMenu: function(table) {
      var bar = document.getElementById('menubar');
      bar.textContent = '';
      var menu = {bar: bar, tops: [], items: {}, open: [], keys: []};
      var makeList = function(items, parentItem) {
        var list = TM.element('div', 'menu');
        list.setAttribute('role', 'menu');
        list.entries = [];
        items.forEach(function(entry) {
          if (!entry.items && !entry.id) {
            list.appendChild(TM.element('div', 'separator')).setAttribute('role', 'separator');
            return;
          }
          var item = TM.element('div', 'item');
          item.hidden = !entry.text;  // the recent files' items until they have names
          var text = TM.label(entry.text);
          item.key = text.key;
          item.tabIndex = -1;
          item.appendChild(TM.element('span', 'check'));
          item.appendChild(text.span);
          item.appendChild(TM.element('span', 'keys', entry.keys || (entry.items ? '\u25b8' : '')));
          item.list = list;
          if (entry.items) {
            item.setAttribute('role', 'menuitem');
            item.setAttribute('aria-haspopup', 'menu');
            item.setAttribute('aria-expanded', 'false');
            item.submenu = makeList(entry.items, item);
            item.appendChild(item.submenu);
          } else {
            // A command; an option becomes a menuitemcheckbox with its first check mark.
            item.setAttribute('role', 'menuitem');
            item.command = entry.id;
            menu.items[entry.id] = item;
            if (entry.keys) menu.keys.push({keys: entry.keys, id: entry.id});
          }
          list.entries.push(item);
          list.appendChild(item);
        });
        list.owner = parentItem;
        list.setAttribute('aria-label', parentItem.textContent.replace(/\u25b8/g, '').trim());
        TM.tidySeparators(list);
        return list;
      };
      table.menus.forEach(function(entry, index) {
        var top = TM.element('div', 'top');
        var text = TM.label(entry.text);
        top.key = text.key;
        top.index = index;
        top.tabIndex = -1;
        top.setAttribute('role', 'menuitem');
        top.setAttribute('aria-haspopup', 'menu');
        top.setAttribute('aria-expanded', 'false');
        top.appendChild(text.span);
        top.submenu = makeList(entry.items, top);
        top.appendChild(top.submenu);
        bar.appendChild(top);
        menu.tops.push(top);
      });
      table.hidden.forEach(function(shortcut) { menu.keys.push(shortcut); });
      bar.setAttribute('role', 'menubar');
      // Whatever opens or closes a menu, its title or item says so to a screen reader.
      new MutationObserver(function(changes) {
        changes.forEach(function(change) {
          var e = change.target;
          if (e.hasAttribute('aria-haspopup')) e.setAttribute('aria-expanded', String(e.classList.contains('open')));
        });
      }).observe(bar, {attributes: true, attributeFilter: ['class'], subtree: true});
      // The whole page's presses first: one outside an open menu only closes it.
      document.addEventListener('pointerdown', TM.menuPointerDown, true);
      document.addEventListener('pointermove', TM.menuPointerMove);
      document.addEventListener('pointerup', TM.menuPointerUp);
      document.addEventListener('pointercancel', function() { menu.press = null; });
      TM.menu = menu;
    },

    // ---- The menu bar by mouse, pen and finger, as on a desktop: a click on a title opens its
    // menu and a click on an item runs it; a press on a title dragged to an item runs it on release;
    // a press outside closes the menus and does nothing else. Items are found under the pointer, not
    // from the event's target, because a finger's events all go to the element it first touched.

    menuPartAt: function(x, y) {
      var at = document.elementFromPoint(x, y);
      if (!at || !TM.menu.bar.contains(at)) return {outside: true};
      var item = at.closest('.item');
      if (item && item.hidden) item = null;
      return {item: item, top: item ? null : at.closest('.top')};
    },

    menuPointerDown: function(e) {
      var menu = TM.menu;
      if (TM.modal || !TM.board || !e.isPrimary) return;
      var part = TM.menuPartAt(e.clientX, e.clientY);
      if (part.outside) {
        if (!menu.open.length) return;
        TM.closeMenus();
        e.preventDefault();
        e.stopPropagation();
        return;
      }
      e.preventDefault();  // keeps the focus where the menus put it, and selects no text
      if (e.target.hasPointerCapture && e.target.hasPointerCapture(e.pointerId)) {
        e.target.releasePointerCapture(e.pointerId);
      }
      if (e.button !== 0) return;
      menu.press = {id: e.pointerId, top: part.top, moved: false};
      if (part.item) {
        TM.highlight(part.item, false);
      } else if (part.top) {
        if (menu.open.length && menu.open[0] === part.top) {
          TM.closeMenus();
          menu.press = null;
        } else {
          TM.openTop(part.top, false);
        }
      }
    },

    menuPointerMove: function(e) {
      var menu = TM.menu;
      if (TM.modal || !menu.open.length) return;
      var pressed = menu.press && menu.press.id === e.pointerId;
      if (!pressed && e.pointerType === 'touch') return;
      if (pressed) menu.press.moved = true;
      var part = TM.menuPartAt(e.clientX, e.clientY);
      if (part.item) TM.highlight(part.item, false);
      else if (part.top && part.top !== menu.open[0]) TM.openTop(part.top, false);
    },

    menuPointerUp: function(e) {
      var menu = TM.menu;
      var press = menu.press;
      if (!press || press.id !== e.pointerId) return;
      menu.press = null;
      if (TM.modal || !menu.open.length) return;
      var part = TM.menuPartAt(e.clientX, e.clientY);
      if (part.item) {
        TM.activate(part.item, false);
      } else if (part.outside && press.moved) {
        TM.closeMenus();  // dragged off the menus: nothing chosen
      }
    },

    // Opens a menu of the bar; withKeyboard highlights its first item.
    openTop: function(top, withKeyboard) {
      TM.closeMenus();
      TM.showList(top);
      TM.menu.open = [top];
      TM.menu.barFocus = null;
      if (withKeyboard) TM.highlight(top.submenu.entries[0], true);
      else top.focus();
    },

    closeMenus: function() {
      if (!TM.menu) return;
      TM.menu.bar.querySelectorAll('.open,.highlight').forEach(function(e) {
        e.classList.remove('open', 'highlight');
      });
      TM.menu.open = [];
      TM.menu.barFocus = null;
    },

    // Highlights an item, opening the path to it; its own submenu opens only when asked.
    highlight: function(item, fromKeyboard) {
      if (!item) return;
      var path = [];
      for (var list = item.list; list && list.owner; list = list.owner.list) path.unshift(list.owner);
      var open = TM.menu.open;
      open.slice(path.length).forEach(function(e) { e.classList.remove('open'); });
      TM.menu.open = path;
      path.forEach(function(e) { e.classList.add('open'); });
      item.list.entries.forEach(function(e) { e.classList.toggle('highlight', e === item); });
      item.focus();
      if (!fromKeyboard && item.submenu) {
        TM.showList(item);
        TM.menu.open.push(item);
      }
    },

    // Opens the list of a title or an item, kept inside the page's width: a submenu that would run
    // off the right goes to the left of its item, and any list still too wide is moved in.
    showList: function(owner) {
      var list = owner.submenu;
      owner.classList.add('open');
      list.classList.remove('leftward');
      list.style.transform = '';
      var room = document.documentElement.clientWidth;
      var r = list.getBoundingClientRect();
      if (r.right > room && owner.list) {
        list.classList.add('leftward');
        r = list.getBoundingClientRect();
      }
      var shift = r.right > room ? room - r.right : 0;
      if (r.left + shift < 0) shift = -r.left;
      if (shift) list.style.transform = 'translateX(' + shift + 'px)';
    },

    // Runs an item's command, or opens its submenu (from the keyboard with its first item highlighted).
    activate: function(item, fromKeyboard) {
      if (item.classList.contains('disabled')) return;
      if (item.submenu) {
        if (fromKeyboard === false) {
          TM.highlight(item, false);
          return;
        }
        TM.showList(item);
        if (TM.menu.open[TM.menu.open.length - 1] !== item) TM.menu.open.push(item);
        TM.highlight(item.submenu.entries[0], true);
        return;
      }
      TM.closeMenus();
      TM.queue([TM.COMMAND, item.command, 0, 0]);
    },

    // The keys of an open menu: arrows, Enter, Escape and mnemonics.
    menuKey: function(e) {
      var menu = TM.menu;
      var top = menu.open[0];
      var current = document.activeElement;
      var list = current && current.list ? current.list : top.submenu;
      var entries = list.entries;
      var index = entries.indexOf(current);
      var step = function(by) {
        var i = index < 0 ? (by > 0 ? -1 : 0) : index;
        TM.highlight(entries[(i + by + entries.length) % entries.length], true);
      };
      var nextTop = function(by) {
        TM.openTop(menu.tops[(top.index + by + menu.tops.length) % menu.tops.length], true);
      };
      // Left and Escape close a submenu, back to its item; true when there was one to close.
      var closeSubmenu = function() {
        if (!list.owner || !list.owner.list) return false;
        list.owner.classList.remove('open');
        menu.open.pop();
        TM.highlight(list.owner, true);
        return true;
      };
      switch (e.key) {
        case 'ArrowDown': step(1); break;
        case 'ArrowUp': step(-1); break;
        case 'ArrowRight':
          if (current && current.submenu && current.list) TM.activate(current);
          else nextTop(1);
          break;
        case 'ArrowLeft':
          if (!closeSubmenu()) nextTop(-1);
          break;
        case 'Enter':
        case ' ':
          if (current && current.list) TM.activate(current);
          break;
        case 'Escape':
          if (!closeSubmenu()) TM.closeMenus();
          break;
        case 'Alt':
        case 'F10':
          TM.closeMenus();
          break;
        default:
          var key = e.key.length === 1 ? e.key.toLowerCase() : '';
          var found = entries.filter(function(item) { return key && item.key === key; })[0];
          if (found) TM.activate(found);
          else return false;
      }
      return true;
    },

    // The menu bar itself holds the keyboard (after Alt or F10): left, right, down, Enter, mnemonics.
    barKey: function(e) {
      var menu = TM.menu;
      var at = menu.barFocus;
      var key = e.key.length === 1 ? e.key.toLowerCase() : '';
      var move = function(by) {
        at.classList.remove('highlight');
        menu.barFocus = menu.tops[(at.index + by + menu.tops.length) % menu.tops.length];
        menu.barFocus.classList.add('highlight');
      };
      if (e.key === 'ArrowRight') move(1);
      else if (e.key === 'ArrowLeft') move(-1);
      else if (e.key === 'ArrowDown' || e.key === 'Enter' || e.key === ' ') TM.openTop(at, true);
      else if (e.key === 'Escape' || e.key === 'Alt' || e.key === 'F10') TM.closeMenus();
      else {
        var found = menu.tops.filter(function(top) { return key && top.key === key; })[0];
        if (found) TM.openTop(found, true);
        else return false;
      }
      return true;
    },

    // "Ctrl+Shift+S" as the keydown event that means it.
    matchesKeys: function(keys, e) {
      var parts = keys.split('+');
      var name = parts.pop();
      var want = {Ctrl: false, Shift: false, Alt: false};
      parts.forEach(function(p) { want[p] = true; });
      if ((e.ctrlKey || e.metaKey) !== want.Ctrl || e.shiftKey !== want.Shift || e.altKey !== want.Alt) {
        return false;
      }
      return name.length === 1 ? e.key.toUpperCase() === name : e.key === name;
    },

    keyDown: function(e) {
      var menu = TM.menu;
      if (!menu || TM.modal || !TM.board) return;
      if (e.key !== 'Alt') TM.altAlone = false;
      var handled = false;
      if (menu.open.length) {
        handled = TM.menuKey(e);
      } else if (menu.barFocus) {
        handled = TM.barKey(e);
      } else if (e.key === 'Escape' && TM.helpOpen()) {
        TM.closeHelp();
        handled = true;
      } else if (e.key === 'Escape' && TM.pictureOpen()) {
        TM.closePicture();
        handled = true;
      } else if (e.key === 'Alt' && !e.ctrlKey && !e.shiftKey) {
        TM.altAlone = true;  // Alt pressed and released alone takes the keyboard to the menu bar
      } else if (e.key === 'F10' && !e.ctrlKey && !e.altKey && !e.shiftKey) {
        menu.barFocus = menu.tops[0];
        menu.barFocus.classList.add('highlight');
        handled = true;
      } else if (e.altKey && !e.ctrlKey && !e.metaKey && e.key.length === 1) {
        var key = e.code.indexOf('Key') === 0 ? e.code.slice(3).toLowerCase() : e.key.toLowerCase();
        var top = menu.tops.filter(function(t) { return t.key === key; })[0];
        if (top) {
          TM.openTop(top, true);
          handled = true;
        }
      } else {
        var shortcut = menu.keys.filter(function(s) { return TM.matchesKeys(s.keys, e); })[0];
        if (shortcut) {
          var item = menu.items[shortcut.id];
          if (!item || !item.classList.contains('disabled')) TM.queue([TM.COMMAND, shortcut.id, 0, 0]);
          handled = true;
        } else {
          handled = TM.boardKey(e);
        }
      }
      if (handled) e.preventDefault();
    },

    // The board has the keyboard when the focus is on it, nowhere in particular, or left on the
    // menu bar once its menus closed; not in the table, the help, a dialog or any control.
    boardHasKeyboard: function() {
      var at = document.activeElement;
      return !at || at === document.body || at === document.documentElement || at === TM.board ||
             TM.menu.bar.contains(at);
    },

    // A key of the board's goes to the program as a Key message. One a dialog already took (Enter
    // pressing its default button, which has closed it by now) is not the board's. Tab jumps between
    // joints, so Escape then Tab is the way off the board: the browser then moves the focus on from
    // the board to the member table and the help.
    boardKey: function(e) {
      var key = TM.BOARD_KEYS[e.key];
      if (!key || e.defaultPrevented || e.isComposing || e.ctrlKey || e.altKey || e.metaKey) return false;
      if (!TM.boardHasKeyboard()) return false;
      var leaving = key === TM.BOARD_KEYS.Tab && TM.escapedOnBoard;
      TM.escapedOnBoard = key === TM.BOARD_KEYS.Escape;
      if (leaving) {
        if (document.activeElement !== TM.board) TM.board.focus();
        return false;
      }
      TM.queue([TM.KEY, key, e.shiftKey ? 1 : 0, 0]);
      return true;
    },

    keyUp: function(e) {
      if (e.key !== 'Alt' || !TM.altAlone || !TM.menu || TM.modal) return;
      TM.altAlone = false;
      e.preventDefault();
      if (TM.menu.open.length || TM.menu.barFocus) {
        TM.closeMenus();
        return;
      }
      TM.menu.barFocus = TM.menu.tops[0];
      TM.menu.barFocus.classList.add('highlight');
    },

    // ---- The class contest: a page served by a contest server may send bridges to it. Whether it
    // was is asked once, while the program loads; the class code comes from the contest's link
    // (?contest=CODE or #contest=CODE).

    probeContestServer: function() {
      if (!TM.contestProbe) {
        var controller = new AbortController();
        var timer = setTimeout(function() { controller.abort(); }, 3000);
        TM.contestProbe = fetch('api/', {cache: 'no-store', signal: controller.signal})
            .then(function(r) { return r.ok ? r.json() : null; })
            .then(function(answer) { return !!answer && answer.server === 'trussmill-server'; })
            .catch(function() { return false; })
            .then(function(served) { clearTimeout(timer); return served; });
      }
      return TM.contestProbe;
    },

    contestCodeOfPage: function() {
      return new URLSearchParams(location.search).get('contest') ||
             new URLSearchParams(location.hash.slice(1)).get('contest') || '';
    },

    // Asks for the class code, the team's name and its PIN; resolves to [code, team, pin] or null.
    contestDialog: function(code, team, pin) {
      var body = TM.element('div', 'body save');
      var fields = [['Class code', code || TM.contestCodeOfPage(), 'text', 12],
                    ['Team name', team, 'text', 40],
                    ['Team PIN (4 to 12 digits)', pin, 'password', 12]].map(function(f, i) {
        var label = body.appendChild(TM.element('label', 'field', f[0] + ' '));
        var input = label.appendChild(TM.element('input'));
        input.type = f[2];
        input.value = f[1];
        input.maxLength = f[3];
        input.spellcheck = false;
        input.autocomplete = 'off';
        if (i === 2) input.inputMode = 'numeric';
        return input;
      });
      body.appendChild(TM.element('p', 'hint', 'The bridge goes to your class contest, which checks and tests it. ' +
                                               'Your team\'s first submission sets its PIN.'));
      var empty = fields.filter(function(f) { return !f.value; })[0] || fields[0];
      empty.setAttribute('autofocus', '');
      return TM.dialog('Submit to Contest', body, [['Submit', true], ['Cancel', false]], 0, false).then(function(send) {
        return send ? fields.map(function(f) { return f.value; }) : null;
      });
    },

    // Posts the submission and resolves to the answer as the program reads it: lines of reached,
    // status, error, verdict, weight, rank, best, the broken rules and the similar teams (each list
    // separated by U+001F).
    submitToContest: function(code, team, pin, bridge) {
      var line = function(text) { return String(text === null || text === undefined ? '' : text).replace(/[\r\n\x1f]/g, ' '); };
      var list = function(items) { return Array.isArray(items) ? items.map(line).join('\x1f') : ''; };
      var controller = new AbortController();
      var timer = setTimeout(function() { controller.abort(); }, 30000);
      return fetch('api/contests/' + encodeURIComponent(code) + '/submissions', {
        method: 'POST', headers: {'Content-Type': 'application/json'}, cache: 'no-store', signal: controller.signal,
        body: JSON.stringify({team: team, pin: pin, bridge: bridge})
      }).then(function(r) {
        return r.json().catch(function() { return {error: 'the answer could not be read (' + r.status + ')'}; })
            .then(function(a) {
              return ['1', r.status, line(a.error), line(a.verdict), Number(a.weight) || 0, a.rank || 0, a.best ? 1 : 0,
                      list(a.rules), list(a.similar_to)].join('\n');
            });
      }, function(e) {
        return ['0', 0, e.name === 'AbortError' ? 'no answer within 30 seconds' : line(e.message || e)].join('\n');
      }).then(function(answer) { clearTimeout(timer); return answer; });
    },

    // ---- The member table: a panel beside the board with one row per member, sorted by the page
    // (each cell's sort key, numerically) and selected, opened and given sizes by the user, who is
    // answered by the program with the table anew. TM.table holds the panel's parts, the contents
    // as last shown, the sort ({column, descending}, column -1 for member order) and the selection.

    makeTable: function() {
      var panel = TM.element('section', 'panel');
      panel.id = 'members';
      var scroll = panel.appendChild(TM.element('div', 'scroll'));
      var table = scroll.appendChild(TM.element('table'));
      var caption = table.appendChild(TM.element('caption'));
      caption.id = 'members-caption';
      panel.setAttribute('aria-labelledby', caption.id);
      var head = table.appendChild(TM.element('thead'));
      var body = table.appendChild(TM.element('tbody'));
      var buttons = panel.appendChild(TM.element('div', 'buttons'));
      [['Copy', TM.copyTable], ['Close', function() { TM.closeTable(true); }]].forEach(function(b) {
        var button = buttons.appendChild(TM.element('button', '', b[0]));
        button.type = 'button';
        button.addEventListener('click', b[1]);
      });
      head.addEventListener('click', function(e) {
        var th = e.target.closest('th');
        if (!th) return;
        var sort = TM.table.sort;
        sort.descending = sort.column === th.column && !sort.descending;
        sort.column = th.column;
        TM.fillTable();
      });
      body.addEventListener('click', function(e) {
        var row = e.target.closest('tr');
        if (!row) return;
        TM.selectRow(row.member, true);
        if (e.target.tagName !== 'SELECT') row.focus({preventScroll: true});
      });
      body.addEventListener('dblclick', function(e) {
        var row = e.target.closest('tr');
        if (row && e.target.tagName !== 'SELECT') TM.queue([TM.ROW_OPENED, row.member, 0, 0]);
      });
      body.addEventListener('change', function(e) {
        var row = e.target.closest('tr');
        var value = Number(e.target.value);
        // The cell shows the size the program gives it, when it gives one.
        e.target.value = e.target.shown;
        TM.queue([TM.SIZE_CHOSEN, row.member, value, 0]);
      });
      panel.addEventListener('keydown', TM.tableKey);
      document.getElementById('desk').appendChild(panel);
      TM.table = {panel: panel, scroll: scroll, caption: caption, head: head, body: body, contents: null,
                  sort: {column: -1, descending: false}, selected: 0, editor: TM.element('select'),
                  editorCell: null};
    },

    // Up and Down move the selection, Enter opens the row, Ctrl+C copies the table; the size's list
    // and the buttons keep their own keys.
    tableKey: function(e) {
      var onRow = e.target.tagName === 'TR';
      var handled = true;
      if ((e.ctrlKey || e.metaKey) && !e.altKey && e.key.toLowerCase() === 'c') {
        TM.copyTable();
      } else if (onRow && (e.key === 'ArrowUp' || e.key === 'ArrowDown') && !e.ctrlKey && !e.altKey) {
        var rows = TM.table.body.rows;
        var at = Math.min(rows.length - 1, Math.max(0, e.target.sectionRowIndex + (e.key === 'ArrowUp' ? -1 : 1)));
        TM.selectRow(rows[at].member, true);
        rows[at].focus({preventScroll: true});
      } else if (onRow && e.key === 'Enter') {
        TM.queue([TM.ROW_OPENED, e.target.member, 0, 0]);
      } else {
        handled = false;
      }
      if (!handled) return;
      e.preventDefault();
      e.stopPropagation();  // not the menus' shortcut for the same keys
    },

    // The members in the order shown.
    sortedMembers: function() {
      var rows = TM.table.contents.rows;
      var sort = TM.table.sort;
      var members = rows.map(function(row, i) { return i + 1; });
      if (sort.column < 0) return members;
      var key = function(member) {
        var cell = rows[member - 1][sort.column];
        return cell && cell[1] !== null ? cell[1] : -Infinity;
      };
      return members.sort(function(a, b) {
        var order = key(a) < key(b) ? -1 : key(a) > key(b) ? 1 : 0;
        return (sort.descending ? -order : order) || a - b;
      });
    },

    // Builds the headings and the rows from TM.table.contents, keeping the scroll and the focus.
    fillTable: function() {
      var t = TM.table;
      var contents = t.contents;
      var focus = t.panel.contains(document.activeElement) ? document.activeElement : null;
      var refocus = focus && (focus.tagName === 'TR' ? ['tr', focus.member]
                            : focus.tagName === 'SELECT' ? ['select', focus.closest('tr').member]
                            : focus.closest('th') ? ['th', focus.closest('th').column] : null);
      var scrolled = [t.scroll.scrollLeft, t.scroll.scrollTop];
      if (t.sort.column >= contents.headings.length) t.sort = {column: -1, descending: false};
      t.caption.textContent = contents.title;
      var headings = TM.element('tr');
      contents.headings.forEach(function(text, column) {
        var th = headings.appendChild(TM.element('th'));
        th.scope = 'col';
        th.column = column;
        var button = th.appendChild(TM.element('button', '', text));
        button.type = 'button';
        var arrow = button.appendChild(TM.element('span', 'arrow'));
        arrow.setAttribute('aria-hidden', 'true');
        if (column === t.sort.column) {
          th.setAttribute('aria-sort', t.sort.descending ? 'descending' : 'ascending');
          arrow.textContent = t.sort.descending ? '\u25bc' : '\u25b2';
        }
      });
      t.head.replaceChildren(headings);
      // One list of the sizes, in the selected row's size cell (see selectRow): a list in every
      // row would take most of the time a large table takes to show.
      if (t.editor.options.length !== contents.sizeChoices.length) {
        t.editor.replaceChildren();
        contents.sizeChoices.forEach(function(text, i) {
          t.editor.appendChild(TM.element('option', '', text)).value = i + 1;
        });
      }
      t.editorCell = null;
      var rows = TM.sortedMembers().map(function(member) {
        var row = TM.element('tr');
        row.member = member;
        contents.rows[member - 1].forEach(function(cell, column) {
          var td = row.appendChild(TM.element('td', '', cell[0]));
          if (cell[0] === 'FAIL') td.className = 'fail';
          if (column === contents.sizeColumn) td.size = cell;
        });
        return row;
      });
      t.body.replaceChildren.apply(t.body, rows);
      t.scroll.scrollLeft = scrolled[0];
      t.scroll.scrollTop = scrolled[1];
      TM.selectRow(contents.selected, false);
      if (refocus && refocus[0] === 'tr' && contents.selected) refocus[1] = contents.selected;
      if (refocus) {
        var again = refocus[0] === 'th' ? t.head.rows[0].cells[refocus[1]].firstChild
                  : rows.filter(function(r) { return r.member === refocus[1]; })[0];
        if (again && refocus[0] === 'select') again = again.querySelector('select');
        if (again) again.focus({preventScroll: true});
      }
    },

    // Puts the list of sizes into member's size cell, showing the cell's own size, and the text back
    // into the cell it leaves.
    moveSizeList: function(row) {
      var t = TM.table;
      if (t.editorCell) t.editorCell.textContent = t.editorCell.size[0];
      t.editorCell = null;
      var cell = row && row.cells[t.contents.sizeColumn];
      if (!cell) {
        t.editor.remove();
        return;
      }
      var at = t.contents.sizeChoices.indexOf(cell.size[0]);
      t.editor.shown = String(at >= 0 ? at + 1 : Math.round(cell.size[1]));
      t.editor.setAttribute('aria-label', 'Size of member ' + row.member);
      cell.replaceChildren(t.editor);
      t.editor.value = t.editor.shown;
      t.editorCell = cell;
    },

    // Marks member's row as selected (0: none) and brings it into view; only the user's own moves
    // are sent to the program.
    selectRow: function(member, byUser) {
      var t = TM.table;
      if (byUser && member !== t.selected) TM.queue([TM.ROW_SELECTED, member, 0, 0]);
      t.selected = member;
      var rows = Array.prototype.slice.call(t.body.rows);
      var chosen = rows.filter(function(r) { return r.member === member; })[0];
      rows.forEach(function(row, i) {
        row.setAttribute('aria-selected', row === chosen ? 'true' : 'false');
        // The selected row, or the first, is where Tab brings the keyboard into the rows.
        row.tabIndex = row === chosen || (!chosen && i === 0) ? 0 : -1;
      });
      if (!t.editorCell || t.editorCell.parentNode !== chosen) TM.moveSizeList(chosen);
      if (!chosen) return;
      // The keyboard in the rows follows the program's selection.
      if (!byUser && document.activeElement && document.activeElement.parentNode === t.body) {
        chosen.focus({preventScroll: true});
      }
      var box = t.scroll.getBoundingClientRect();
      var r = chosen.getBoundingClientRect();
      var top = box.top + t.head.offsetHeight;
      if (r.top < top) t.scroll.scrollTop -= top - r.top;
      else if (r.bottom > box.bottom) t.scroll.scrollTop += r.bottom - box.bottom;
    },

    // The rows as shown, tab-separated under a line of the headings, each line ending in '\n'.
    tableText: function() {
      var contents = TM.table.contents;
      var line = function(texts) {
        return texts.map(function(t) { return t.replace(/[\t\r\n]/g, ' '); }).join('\t') + '\n';
      };
      return line(contents.headings) + TM.sortedMembers().map(function(member) {
        return line(contents.rows[member - 1].map(function(cell) { return cell[0]; }));
      }).join('');
    },

    copyTable: function() {
      var copied = navigator.clipboard && navigator.clipboard.writeText
                       ? navigator.clipboard.writeText(TM.tableText())
                       : Promise.reject(new Error('this browser does not let pages write to the clipboard'));
      copied.then(function() {
        TM.toast('The table was copied to the clipboard.');
      }, function(e) {
        TM.toast('The table could not be copied: ' +
                 (e.name === 'NotAllowedError' ? 'the browser did not allow it' : e.message) + '.');
      });
    },

    // Closes the panel; the keyboard it held goes back to the board.
    closeTable: function(byUser) {
      var t = TM.table;
      if (!t || t.panel.hidden) return;
      if (t.panel.contains(document.activeElement) && TM.board) TM.board.focus({preventScroll: true});
      t.panel.hidden = true;
      if (byUser) TM.queue([TM.TABLE_CLOSED, 0, 0, 0]);
    },

    // ---- The picture window: a chart in a small window of the page's own, not modal, at whole
    // device pixels like the board. Its caption bar moves it; Escape or its button closes it.

    pictureOpen: function() {
      var dialog = document.getElementById('picture');
      return !!(dialog && dialog.open);
    },

    closePicture: function() {
      var dialog = document.getElementById('picture');
      if (!dialog || !dialog.open) return;
      var hadFocus = dialog.contains(document.activeElement);
      dialog.close();
      if (hadFocus && TM.board) TM.board.focus({preventScroll: true});
    },

    makePicture: function() {
      var dialog = TM.element('dialog', 'picture');
      dialog.id = 'picture';
      var bar = dialog.appendChild(TM.element('div', 'caption'));
      bar.appendChild(TM.element('span', 'title'));
      var close = bar.appendChild(TM.element('button', 'close', '\u00d7'));
      close.type = 'button';
      close.title = 'Close';
      close.setAttribute('aria-label', 'Close the picture');
      close.addEventListener('click', TM.closePicture);
      var canvas = dialog.appendChild(TM.element('canvas'));
      canvas.setAttribute('role', 'img');
      dialog.addEventListener('keydown', function(e) {
        if (e.key !== 'Escape') return;
        e.preventDefault();
        e.stopPropagation();
        TM.closePicture();
      });
      // Dragged by its caption bar, kept inside the page.
      var from = null;
      bar.addEventListener('pointerdown', function(e) {
        if (e.button !== 0 || e.target.closest('button')) return;
        e.preventDefault();
        bar.setPointerCapture(e.pointerId);
        from = {id: e.pointerId, x: e.clientX - dialog.offsetLeft, y: e.clientY - dialog.offsetTop};
      });
      bar.addEventListener('pointermove', function(e) {
        if (from && from.id === e.pointerId) TM.placePicture(e.clientX - from.x, e.clientY - from.y);
      });
      var drop = function(e) { if (from && from.id === e.pointerId) from = null; };
      bar.addEventListener('pointerup', drop);
      bar.addEventListener('pointercancel', drop);
      document.body.appendChild(dialog);
      return dialog;
    },

    // At the board's scale, or the largest whole number of device pixels a picture pixel below it
    // that fits the page; smoothly narrower where not even one does. The window is kept inside.
    fitPicture: function() {
      var dialog = document.getElementById('picture');
      if (!dialog || !dialog.open) return;
      var canvas = dialog.querySelector('canvas');
      var ratio = window.devicePixelRatio || 1;
      var room = document.documentElement.clientWidth - 2;  // the window's border
      var height = window.innerHeight - dialog.querySelector('.caption').offsetHeight - 2;
      var scale = TM.devicePixelsAt(TM.zoom);
      while (scale > 1 && (canvas.width * scale / ratio > room || canvas.height * scale / ratio > height)) --scale;
      var width = Math.min(canvas.width * scale / ratio, room);
      canvas.classList.toggle('smooth', width < canvas.width * scale / ratio);
      canvas.style.width = width + 'px';
      canvas.style.height = (width * canvas.height / canvas.width) + 'px';
      TM.placePicture(dialog.offsetLeft, dialog.offsetTop);
    },

    placePicture: function(left, top) {
      var dialog = document.getElementById('picture');
      var room = document.documentElement;
      dialog.style.left = Math.max(0, Math.min(left, room.clientWidth - dialog.offsetWidth)) + 'px';
      dialog.style.top = Math.max(0, Math.min(top, room.clientHeight - dialog.offsetHeight)) + 'px';
    },

    // ---- Dialogs

    // A modal dialog of the page's own: a caption bar, the body and a row of buttons. buttons are
    // [label, value] pairs, '&' marking a key that presses the button (with Alt or without, as in
    // "&Yes"); Enter presses the default one unless another button has the focus,
    // Escape gives escapeValue (undefined: Escape does nothing). Resolves with the value; chosen,
    // when given, is called with it inside the click, which still counts as the user's gesture.
    dialog: function(caption, body, buttons, defaultIndex, escapeValue, className, chosen) {
      return new Promise(function(resolve) {
        TM.closeMenus();
        var dialog = TM.element('dialog', 'box' + (className ? ' ' + className : ''));
        dialog.appendChild(TM.element('div', 'caption', caption));
        dialog.appendChild(body);
        // Named by its caption, or by the program where the caption is blank, and described by its text.
        dialog.setAttribute('aria-label', caption && caption.trim() ? caption.trim() : 'Trussmill');
        TM.dialogs = (TM.dialogs || 0) + 1;
        if (!body.id) body.id = 'dialog-text-' + TM.dialogs;
        dialog.setAttribute('aria-describedby', body.id);
        var row = TM.element('div', 'buttons');
        var finished = false;
        var done = function(value) {
          if (finished) return;
          finished = true;
          if (chosen) chosen(value);
          dialog.close();
          dialog.remove();
          TM.modal--;
          resolve(value);
        };
        var defaultButton = null;
        var keys = {};
        buttons.forEach(function(b, i) {
          var button = TM.element('button');
          var label = TM.label(b[0]);
          button.appendChild(label.span);
          if (label.key) keys[label.key] = button;
          button.type = 'button';
          button.addEventListener('click', function() { done(b[1]); });
          if (i === defaultIndex) {
            button.classList.add('default');
            defaultButton = button;
          }
          row.appendChild(button);
        });
        dialog.appendChild(row);
        dialog.addEventListener('cancel', function(e) {
          e.preventDefault();
          if (escapeValue !== undefined) done(escapeValue);
        });
        // The browser may close a dialog on its own (Escape pressed twice): that is Escape too, and a
        // box that needs an answer comes back.
        dialog.addEventListener('close', function() {
          if (finished || TM.hasStopped) return;
          if (escapeValue !== undefined) done(escapeValue);
          else dialog.showModal();
        });
        dialog.addEventListener('keydown', function(e) {
          var key = e.code.indexOf('Key') === 0 ? e.code.slice(3).toLowerCase() : '';
          if (keys[key] && !e.ctrlKey && !e.metaKey && e.target.tagName !== 'INPUT') {
            e.preventDefault();
            keys[key].click();
            return;
          }
          if (e.key !== 'Enter' || e.target.tagName === 'BUTTON') return;
          e.preventDefault();
          if (defaultButton) defaultButton.click();
        });
        document.body.appendChild(dialog);
        TM.modal++;
        dialog.showModal();
        var focus = dialog.querySelector('[autofocus]') || defaultButton;
        if (focus) focus.focus();
      });
    },

    icon: function(kind) {
      // none, information, warning, question, error
      var shapes = [
        null,
        '<circle cx="16" cy="16" r="14" fill="#1d5fbf"/><rect x="14" y="13" width="4" height="11" fill="#fff"/>' +
            '<circle cx="16" cy="8.5" r="2.2" fill="#fff"/>',
        '<path d="M16 2 L31 29 H1 Z" fill="#f2c200" stroke="#7a6000" stroke-width="1"/>' +
            '<rect x="14.5" y="10" width="3" height="11" fill="#000"/><circle cx="16" cy="25" r="1.8" fill="#000"/>',
        '<circle cx="16" cy="16" r="14" fill="#1d5fbf"/><text x="16" y="23" font-size="19" ' +
            'font-family="sans-serif" font-weight="bold" text-anchor="middle" fill="#fff">?</text>',
        '<circle cx="16" cy="16" r="14" fill="#c4281c"/><path d="M10 10 L22 22 M22 10 L10 22" ' +
            'stroke="#fff" stroke-width="3.5"/>'];
      if (!shapes[kind]) return null;
      var span = TM.element('span', 'icon');
      span.innerHTML = '<svg width="32" height="32" viewBox="0 0 32 32" aria-hidden="true">' + shapes[kind] + '</svg>';
      return span;
    },

    messageBox: function(text, caption, icon, buttons, defaultButton) {
      var body = TM.element('div', 'body');
      var picture = TM.icon(icon);
      if (picture) body.appendChild(picture);
      body.appendChild(TM.element('p', 'text', text));
      // ok; yes/no; yes/no/cancel, with the page's button numbers (1 OK, 2 Yes, 3 No, 4 Cancel)
      var sets = [[['OK', 1]], [['&Yes', 2], ['&No', 3]], [['&Yes', 2], ['&No', 3], ['Cancel', 4]]];
      var set = sets[buttons] || sets[0];
      var index = Math.max(0, set.findIndex(function(b) { return b[1] === defaultButton; }));
      // Closing an OK box counts as OK and a Yes/No/Cancel box as Cancel; a Yes/No box needs an answer.
      var escape = buttons === 0 ? 1 : buttons === 2 ? 4 : undefined;
      return TM.dialog(caption, body, set, index, escape, 'message');
    },

    // Runs pick, which needs a user gesture (file pickers, write permissions). After a long wait
    // the browser no longer counts the last click as one: a button of the page's asks for a new one.
    withGesture: function(caption, text, button, pick) {
      if (!navigator.userActivation || navigator.userActivation.isActive) return pick();
      var body = TM.element('div', 'body');
      body.appendChild(TM.element('p', 'text', text));
      var picked = Promise.resolve(null);
      return TM.dialog(caption, body, [[button, true], ['Cancel', false]], 0, false, '', function(go) {
        if (go) picked = pick();
      }).then(function() { return picked; });
    },

    // ---- Files in the in-memory file system: /files/N/NAME, one folder per choice

    newSlot: function(handle) {
      TM.slots.push({handle: handle || null});
      var folder = '/files/' + TM.slots.length;
      FS.mkdirTree(folder);
      return folder;
    },

    slotOf: function(path) {
      var m = /^\/files\/(\d+)\//.exec(path);
      return m ? TM.slots[Number(m[1]) - 1] : null;
    },

    safeName: function(name, fallback) {
      name = String(name || '').replace(/[\/\x00]/g, '_');
      return name && name !== '.' && name !== '..' ? name : fallback;
    },

    // Copies a File (at most maxBytes + 1 of it) into a new folder; returns its path.
    storeFile: function(file, maxBytes, handle) {
      return file.slice(0, maxBytes + 1).arrayBuffer().then(function(bytes) {
        var path = TM.newSlot(handle) + '/' + TM.safeName(file.name, 'BRIDGE.BRG');
        FS.writeFile(path, new Uint8Array(bytes));
        TM.keepFile(path);
        return path;
      });
    },

    // The files of the in-memory file system last a page's life. The last few opened or saved are
    // also kept in the site's storage and put back at the next start, where the program's recent
    // files find them (without the right to write where they came from: saving one downloads it).
    KEPT_FILES: 8,
    KEPT_FILE_BYTES: 1 << 20,

    // Bytes as a string of one character each (what the site's storage keeps), and back.
    bytesToText: function(bytes) {
      var text = '';
      for (var at = 0; at < bytes.length; at += 8192) {
        text += String.fromCharCode.apply(null, bytes.subarray(at, Math.min(bytes.length, at + 8192)));
      }
      return text;
    },

    textToBytes: function(text, bytes) {
      for (var i = 0; i < bytes.length; ++i) bytes[i] = i < text.length ? text.charCodeAt(i) & 0xFF : 0;
      return bytes;
    },

    keptList: function() {
      try {
        var list = JSON.parse(localStorage.getItem('trussmill/files') || '[]');
        return Array.isArray(list) ? list.filter(function(p) { return typeof p === 'string'; }) : [];
      } catch (e) {
        return [];
      }
    },

    // Keeps a copy of the file; returns whether it is kept. The oldest copies make room, but never
    // one the File menu's recent files name: the first of them is the bridge that is open.
    keepFile: function(path) {
      try {
        var bytes = FS.readFile(path);
        if (bytes.length > TM.KEPT_FILE_BYTES) return false;
        var text = TM.bytesToText(bytes);
        var recent = (localStorage.getItem('trussmill/configuration/recent-files') || '').split('\n');
        var list = TM.keptList().filter(function(p) { return p !== path; });
        list.unshift(path);
        var kept = [];
        list.forEach(function(p) {
          if (kept.length < TM.KEPT_FILES || recent.indexOf(p) >= 0) kept.push(p);
          else localStorage.removeItem('trussmill/file:' + p);
        });
        localStorage.setItem('trussmill/file:' + path, text);
        localStorage.setItem('trussmill/files', JSON.stringify(kept));
        return true;
      } catch (e) {
        return false;  // storage full or turned off: the page goes on without the copy
      }
    },

    restoreKeptFiles: function() {
      TM.keptList().forEach(function(path) {
        var m = /^\/files\/(\d+)\/([^\/]+)$/.exec(path);
        var text = localStorage.getItem('trussmill/file:' + path);
        if (!m || text === null) return;
        var slot = Number(m[1]);
        while (TM.slots.length < slot) TM.slots.push({handle: null});
        FS.mkdirTree('/files/' + slot);
        FS.writeFile(path, TM.textToBytes(text, new Uint8Array(text.length)));
      });
    },

    dropped: function(transfer) {
      var item = transfer.items && transfer.items[0];
      var entry = item && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
      if (entry && entry.isDirectory) {
        // A folder goes to the reader as a folder, which it refuses as the desktop's does.
        var path = TM.newSlot(null) + '/' + TM.safeName(entry.name, 'folder');
        FS.mkdir(path);
        TM.queue([TM.DROP, 0, 0, 0, path]);
        return;
      }
      var file = transfer.files && transfer.files[0];
      if (!file) return;
      TM.storeFile(file, TM.maxBytes, null).then(function(path) {
        TM.queue([TM.DROP, 0, 0, 0, path]);
      }, function(e) {
        TM.notice('The dropped file could not be read: ' + e.message + '.');
      });
    },

    // The browser's own file input: resolves with a File, or null when cancelled. Browsers without
    // the input's cancel event still give the page its focus back when the picker closes; a choice
    // arrives before that focus has lasted a moment.
    chooseWithInput: function(accept) {
      return new Promise(function(resolve) {
        var input = document.getElementById('file-input');
        input.value = '';
        input.accept = accept;
        var finished = false;
        var finish = function(file) {
          if (finished) return;
          finished = true;
          input.onchange = input.oncancel = null;
          window.removeEventListener('focus', refocused);
          resolve(file);
        };
        var refocused = function() {
          setTimeout(function() { finish(input.files[0] || null); }, 1000);
        };
        input.onchange = function() { finish(input.files[0] || null); };
        input.oncancel = function() { finish(null); };
        window.addEventListener('focus', refocused);
        input.click();
      });
    },

    // The file pickers' types; they take extensions of at most 16 characters, so an assignment's
    // dialog offers every file.
    pickerTypes: function(description, extensions) {
      extensions = extensions.filter(function(e) { return e.length <= 16; });
      if (!extensions.length) return undefined;
      return [{description: description.replace(/\s*\(.*\)$/, ''),
               accept: {'application/octet-stream': extensions}}];
    },

    // The site's storage key of a name kept of a kind (name 0: the prefix of them all).
    storageKey: function(kind, name) {
      return 'trussmill/' + (kind ? 'state/' : 'configuration/') + (name ? UTF8ToString(name) : '');
    },

    // The name of this page's copy of unsaved work (the program's own naming).
    recoveryName: function() {
      return 'recovery' + (TM.tag ? '-' + TM.tag : '') + '.BRG';
    },

    // This page no longer runs the program: other tabs may take what it kept.
    leaveTabs: function() {
      if (TM.presence) TM.presence.close();
      TM.presence = null;
    },

    // A path's last part, its %-escapes decoded where they are escapes ("100%.BRG" stays as it is).
    lastPart: function(path) {
      var name = path.slice(path.lastIndexOf('/') + 1);
      try {
        return decodeURIComponent(name);
      } catch (e) {
        return name;
      }
    },

    // Why a fetch failed, in words a user knows; a browser's own says only "Failed to fetch".
    whyNotFetched: function(error) {
      if (navigator.onLine === false) return 'this computer is offline';
      if (error && error.name === 'TypeError') return 'the site could not be reached';
      return (error && error.message) || String(error);
    },

    // A short note at the foot of the page that needs no answer; it goes after a while or a click.
    toast: function(text) {
      var toast = document.getElementById('toast');
      if (!toast) {
        toast = TM.element('div');
        toast.id = 'toast';
        toast.setAttribute('role', 'status');
        toast.addEventListener('click', function() { toast.hidden = true; });
        document.body.appendChild(toast);
      }
      toast.textContent = text;
      toast.hidden = false;
      clearTimeout(TM.toastTimer);
      TM.toastTimer = setTimeout(function() { toast.hidden = true; }, 10000);
    },

    notice: function(text) {
      return TM.messageBox(text, '', 1, 0, 1);
    },

    // The page's notice when it ends: the program ended, or stopped on an internal error.
    ending: function(title, text, noAgain) {
      var old = document.getElementById('ended');
      if (old) old.remove();
      var panel = TM.element('div', 'ended');
      panel.id = 'ended';
      panel.appendChild(TM.element('h1', '', title));
      panel.appendChild(TM.element('p', '', text));
      document.body.appendChild(panel);
      if (noAgain) return;
      var again = TM.element('button', '', 'Start again');
      again.type = 'button';
      again.addEventListener('click', function() { location.reload(); });
      panel.appendChild(again);
      again.focus();
    },

    // Whether this page's copy of unsaved work is in the site's storage (see the program's recovery).
    keptRecovery: function() {
      try {
        return localStorage.getItem('trussmill/state/' + TM.recoveryName()) !== null;
      } catch (e) {
        return false;
      }
    },

    stopped: function(what) {
      if (TM.hasStopped) return;
      TM.hasStopped = true;
      TM.unsaved = false;
      TM.leaveTabs();
      document.querySelectorAll('dialog').forEach(function(d) { d.close(); });
      document.getElementById('window').hidden = true;
      TM.setState('stopped');
      TM.ending('Trussmill has stopped',
                'An internal error stopped the program (' + what + '), so it cannot go on. ' +
                (TM.keptRecovery() ? 'Changes made since the bridge was last saved are kept: they are offered ' +
                                         'back when Trussmill starts again. '
                                   : 'Changes made since the bridge was last saved are lost. ') +
                'Start again to go on working.');
    },

    // ---- Sound

    clip: function(id, samples, bytes, channels, rate, bits) {
      if (TM.clips[id]) return TM.clips[id];
      var frameBytes = channels * bits / 8;
      var frames = Math.floor(bytes / frameBytes);
      var buffer = TM.audio.createBuffer(channels, Math.max(1, frames), rate);
      for (var c = 0; c < channels; ++c) {
        var out = buffer.getChannelData(c);
        for (var f = 0; f < frames; ++f) {
          var at = samples + f * frameBytes + c * bits / 8;
          out[f] = bits === 8 ? (HEAPU8[at] - 128) / 128 : (HEAP16[at >> 1]) / 32768;
        }
      }
      return TM.clips[id] = buffer;
    },
  },

  // ---- The board and the menu

  tm_create_window__deps: ['tm_resize_board'],
  tm_create_window: function(title, menuJson, width, height) {
    document.title = UTF8ToString(title);
    var loading = document.getElementById('loading');
    if (loading) loading.remove();
    TM.buildMenu(JSON.parse(UTF8ToString(menuJson)));
    TM.board = document.getElementById('board');
    TM.context = TM.board.getContext('2d', {alpha: false});
    TM.board.addEventListener('pointerdown', TM.pointerDown);
    TM.board.addEventListener('pointermove', TM.pointerMove);
    TM.board.addEventListener('pointerup', TM.pointerUp);
    TM.board.addEventListener('pointercancel', TM.pointerUp);
    TM.board.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    window.addEventListener('resize', TM.fitBoard);
    document.getElementById('window').hidden = false;
    _tm_resize_board(width, height);
    TM.setState('busy');
    TM.startedNow();
  },

  tm_resize_board: function(width, height) {
    TM.boardWidth = width;
    TM.boardHeight = height;
    TM.board.width = width;
    TM.board.height = height;
    TM.fitBoard();
  },

  tm_set_title: function(title) {
    document.title = UTF8ToString(title);
  },

  // ---- What a screen reader is told

  tm_describe_board: function(summary) {
    document.getElementById('board').setAttribute('aria-label', UTF8ToString(summary));
  },

  // A new text node each time, so that the same words said twice are read twice.
  tm_announce: function(text) {
    var region = document.getElementById('announcements');
    if (region) region.replaceChildren(document.createTextNode(UTF8ToString(text)));
  },

  tm_prefers_reduced_motion: function() {
    return window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches ? 1 : 0;
  },

  tm_present: function(rgba, x, y, width, height) {
    if (!TM.context || width <= 0 || height <= 0) return;
    var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    TM.context.putImageData(new ImageData(pixels, width, height), x, y);
    if (!TM.stats.firstFrame) TM.stats.firstFrame = performance.now();
  },

  tm_close_window: function() {
    TM.closeMenus();
    TM.closeTable(false);
    TM.closePicture();
    document.getElementById('window').hidden = true;
    TM.board = null;
    TM.unsaved = false;
  },

  tm_program_ended: function(code) {
    TM.unsaved = false;
    TM.leaveTabs();
    if (TM.releaseLock) TM.releaseLock();
    TM.setState('ended');
    if (TM.refused) {
      TM.ending('Trussmill is open in another tab',
                'Use that tab, or close it and start again here.');
    } else {
      TM.ending('Trussmill has ended', 'Start again to draw another bridge.');
    }
  },

  tm_set_check: function(command, checked) {
    var item = TM.menu && TM.menu.items[command];
    if (!item) return;
    item.classList.toggle('checked', !!checked);
    item.setAttribute('role', 'menuitemcheckbox');
    item.setAttribute('aria-checked', checked ? 'true' : 'false');
  },

  tm_enable_item: function(command, enabled) {
    var item = TM.menu && TM.menu.items[command];
    if (!item) return;
    item.classList.toggle('disabled', !enabled);
    item.setAttribute('aria-disabled', enabled ? 'false' : 'true');
  },

  tm_set_item_text: function(command, text, tip) {
    var item = TM.menu && TM.menu.items[command];
    if (!item) return;
    var t = UTF8ToString(text);
    item.hidden = !t;
    if (t) {
      var label = TM.label(t);
      item.replaceChild(label.span, item.querySelector('.label'));
      item.key = label.key;
    }
    item.title = UTF8ToString(tip);
    TM.tidySeparators(item.list);
  },

  tm_set_item_tip: function(command, tip) {
    var item = TM.menu && TM.menu.items[command];
    if (item) item.title = UTF8ToString(tip);
  },

  tm_show_assignment: function(title, closeCommand) {
    var text = UTF8ToString(title);
    var bar = document.getElementById('assignment');
    if (!bar) {
      bar = TM.element('div');
      bar.id = 'assignment';
      bar.setAttribute('role', 'status');
      bar.appendChild(TM.element('span', 'what', 'Assignment: '));
      bar.appendChild(TM.element('span', 'title'));
      var close = TM.element('button', '', 'Close Assignment');
      close.type = 'button';
      close.addEventListener('click', function() {
        if (!TM.modal) TM.queue([TM.COMMAND, bar.closeCommand, 0, 0]);
      });
      bar.appendChild(close);
      TM.board.parentNode.insertBefore(bar, TM.board);
    }
    bar.closeCommand = closeCommand;
    bar.querySelector('.title').textContent = text;
    bar.hidden = !text;
  },

  tm_set_board_scale: function(scale) {
    TM.zoom = scale;
    TM.fitBoard();
  },

  tm_largest_board_scale: function(maxScale) {
    var ratio = window.devicePixelRatio || 1;
    var bar = TM.menu ? TM.menu.bar.offsetHeight : 0;
    var width = document.documentElement.clientWidth * ratio;
    var height = (window.innerHeight - bar) * ratio;
    for (var scale = maxScale; scale > 1; --scale) {
      var k = TM.devicePixelsAt(scale);
      if (TM.boardWidth * k <= width && TM.boardHeight * k <= height) return scale;
    }
    return 1;
  },

  tm_set_wait_cursor: function(wait) {
    document.body.classList.toggle('waiting', !!wait);
  },

  tm_set_unsaved_work: function(unsaved) {
    TM.unsaved = !!unsaved;
  },

  // ---- The views of the results beside the board

  tm_show_member_table: function(contentsJson) {
    if (!TM.table) TM.makeTable();
    var t = TM.table;
    var opening = t.panel.hidden;
    t.contents = JSON.parse(UTF8ToString(contentsJson));
    t.panel.hidden = false;
    TM.fillTable();
    if (opening) {
      TM.placePanels();
      t.panel.scrollIntoView({block: 'nearest'});
    }
  },

  tm_select_table_row: function(member) {
    if (TM.table && !TM.table.panel.hidden) TM.selectRow(member, false);
  },

  tm_close_member_table: function() {
    TM.closeTable(false);
  },

  tm_show_picture: function(title, rgba, width, height) {
    var dialog = document.getElementById('picture') || TM.makePicture();
    var text = UTF8ToString(title);
    dialog.querySelector('.title').textContent = text;
    var canvas = dialog.querySelector('canvas');
    canvas.setAttribute('aria-label', text);
    canvas.width = width;
    canvas.height = height;
    var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    canvas.getContext('2d', {alpha: false}).putImageData(new ImageData(pixels, width, height), 0, 0);
    if (!dialog.open) {
      dialog.show();
      // The first time at the page's lower right, later where the user left it.
      if (!dialog.style.left) dialog.style.left = dialog.style.top = '100000px';
    }
    TM.fitPicture();
    dialog.querySelector('.close').focus();
  },

  // ---- Input

  tm_poll_input: function(record, path, pathSize) {
    var next = TM.input.shift();
    if (!next) return 0;
    for (var i = 0; i < 4; ++i) HEAP32[(record >> 2) + i] = next[i] | 0;
    stringToUTF8(next[4] || '', path, pathSize);
    return 1;
  },

  tm_wait_input: function(milliseconds) {
    return Asyncify.handleAsync(function() {
      if (TM.input.length) return Promise.resolve();
      TM.setState('idle');
      return new Promise(function(resolve) {
        TM.wakeInput = resolve;
        // A timer of the program's (an animation the user may interrupt) ends the wait too.
        if (milliseconds > 0) setTimeout(resolve, milliseconds);
      }).then(function() {
        TM.wakeInput = null;
        TM.setState('busy');
      });
    });
  },

  // ---- Time

  tm_now_ms: function() {
    return performance.now();
  },

  tm_sleep: function(milliseconds) {
    return Asyncify.handleAsync(function() {
      var due = performance.now() + milliseconds;
      return new Promise(function(resolve) {
        setTimeout(function() {
          var late = TM.stats.waitLate;
          if (late.length < 100000) late.push(performance.now() - due);
          resolve();
        }, milliseconds);
      });
    });
  },

  tm_local_time: function(fields) {
    var now = new Date();
    var values = [now.getFullYear(), now.getMonth() + 1, now.getDate(), now.getHours(), now.getMinutes(),
                  now.getSeconds()];
    for (var i = 0; i < 6; ++i) HEAP32[(fields >> 2) + i] = values[i];
  },

  // ---- Dialogs

  tm_message_box: function(text, caption, icon, buttons, defaultButton) {
    var t = UTF8ToString(text), c = UTF8ToString(caption);
    return Asyncify.handleAsync(function() {
      TM.setState('dialog');
      return TM.messageBox(t, c, icon, buttons, defaultButton).then(function(answer) {
        TM.setState('busy');
        return answer;
      });
    });
  },

  tm_reaches_contest_server: function() {
    return Asyncify.handleAsync(function() {
      return TM.probeContestServer().then(function(served) { return served ? 1 : 0; });
    });
  },

  tm_contest_dialog: function(code, team, pin, out, outSize) {
    var c = UTF8ToString(code), t = UTF8ToString(team), p = UTF8ToString(pin);
    return Asyncify.handleAsync(function() {
      TM.setState('dialog');
      return TM.contestDialog(c, t, p).then(function(typed) {
        TM.setState('busy');
        if (!typed) return 0;
        stringToUTF8(typed.join('\n'), out, outSize);
        return 1;
      });
    });
  },

  tm_submit_to_contest: function(code, team, pin, bridge, out, outSize) {
    var c = UTF8ToString(code), t = UTF8ToString(team), p = UTF8ToString(pin), b = UTF8ToString(bridge);
    return Asyncify.handleAsync(function() {
      return TM.submitToContest(c, t, p, b).then(function(answer) {
        stringToUTF8(answer, out, outSize);
      });
    });
  },

  tm_open_file_dialog: function(accept, description, maxBytes, out, outSize) {
    var extensions = UTF8ToString(accept).split(',').filter(function(e) { return e; });
    var what = UTF8ToString(description);
    return Asyncify.handleAsync(function() {
      TM.setState('dialog');
      var pick;
      if (window.showOpenFilePicker) {
        pick = function() {
          return window.showOpenFilePicker({types: TM.pickerTypes(what, extensions)}).then(function(handles) {
            return handles[0].getFile().then(function(file) { return TM.storeFile(file, maxBytes, handles[0]); });
          });
        };
      } else {
        pick = function() {
          return TM.chooseWithInput(extensions.join(',')).then(function(file) {
            return file ? TM.storeFile(file, maxBytes, null) : null;
          });
        };
      }
      return TM.withGesture('Open', 'Choose the bridge file to open.', 'Choose File...', pick)
          .catch(function(e) {
            if (e.name === 'AbortError') return null;
            return TM.notice('The file could not be opened: ' + e.message + '.').then(function() { return null; });
          })
          .then(function(path) {
            TM.setState('busy');
            if (!path) return 0;
            stringToUTF8(path, out, outSize);
            return 1;
          });
    });
  },

  tm_save_file_dialog: function(proposedName, description, extension, out, outSize) {
    var proposed = UTF8ToString(proposedName);
    var what = UTF8ToString(description);
    var ext = UTF8ToString(extension);
    return Asyncify.handleAsync(function() {
      TM.setState('dialog');
      var chosen;
      if (window.showSaveFilePicker) {
        chosen = TM.withGesture('Save As', 'Choose where to save the file.', 'Choose...', function() {
          var options = {suggestedName: proposed, types: TM.pickerTypes(what, ext ? [ext] : [])};
          return window.showSaveFilePicker(options).then(function(handle) {
            return TM.newSlot(handle) + '/' + TM.safeName(handle.name, proposed || 'UNTITLED');
          });
        }).catch(function(e) {
          if (e.name === 'AbortError') return null;
          return TM.notice('The file could not be chosen: ' + e.message + '.').then(function() { return null; });
        });
      } else {
        // A download: only the name is asked for.
        var body = TM.element('div', 'body save');
        var field = TM.element('label', '', 'File name: ');
        var input = TM.element('input');
        input.type = 'text';
        input.value = proposed;
        input.spellcheck = false;
        input.setAttribute('autofocus', '');
        field.appendChild(input);
        body.appendChild(field);
        body.appendChild(TM.element('p', 'hint', (what ? what + '. ' : '') +
                                                     'The file is saved to your downloads.'));
        chosen = TM.dialog('Save As', body, [['Save', true], ['Cancel', false]], 0, false).then(function(save) {
          var name = input.value.trim();
          if (!save || !name) return null;
          return TM.newSlot(null) + '/' + TM.safeName(name, 'UNTITLED');
        });
        setTimeout(function() { input.select(); }, 0);
      }
      return chosen.then(function(path) {
        TM.setState('busy');
        if (!path) return 0;
        stringToUTF8(path, out, outSize);
        return 1;
      });
    });
  },

  tm_deliver_file: function(path, reason, reasonSize) {
    var p = UTF8ToString(path);
    return Asyncify.handleAsync(function() {
      var fail = function(why) {
        stringToUTF8(why, reason, reasonSize);
        return 0;
      };
      var slot = TM.slotOf(p);
      var bytes;
      try {
        bytes = FS.readFile(p);
      } catch (e) {
        return Promise.resolve(fail('the saved file could not be read back'));
      }
      if (slot && slot.handle && slot.handle.createWritable) {
        var handle = slot.handle;
        var write = function() {
          return handle.createWritable().then(function(writable) {
            return writable.write(bytes).then(function() { return writable.close(); });
          });
        };
        var allowed = function() {
          return handle.queryPermission({mode: 'readwrite'}).then(function(state) {
            if (state === 'granted') return true;
            return TM.withGesture('Save', 'Allow Trussmill to save ' + handle.name + '.', 'Allow...', function() {
              return handle.requestPermission({mode: 'readwrite'});
            }).then(function(answer) { return answer === 'granted'; });
          });
        };
        TM.setState('dialog');
        return allowed().then(function(ok) {
          TM.setState('busy');
          if (!ok) return fail('writing to it was not allowed');
          return write().then(function() {
            TM.keepFile(p);
            return 1;
          });
        }).catch(function(e) {
          TM.setState('busy');
          return fail(e.message || String(e));
        });
      }
      try {
        var name = p.slice(p.lastIndexOf('/') + 1);
        var url = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
        var a = TM.element('a');
        a.href = url;
        a.download = name;
        document.body.appendChild(a);
        a.click();
        a.remove();
        setTimeout(function() { URL.revokeObjectURL(url); }, 60000);
        // The browser may yet block the download or the user cancel it: where the file went, and
        // the copy that stays either way, are said.
        TM.toast(name + ' was downloaded.' + (TM.keepFile(p) ? ' A copy is also kept under File in this browser.' : ''));
        return Promise.resolve(1);
      } catch (e) {
        return Promise.resolve(fail('the download could not be started: ' + e.message));
      }
    });
  },

  tm_print: function(title, pages, pageCount) {
    var name = UTF8ToString(title) || 'UNTITLED';
    var svg = [];
    for (var i = 0, at = pages; i < pageCount; ++i) {
      var text = UTF8ToString(at);
      svg.push(text);
      at += lengthBytesUTF8(text) + 1;
    }
    return Asyncify.handleAsync(function() {
      var holder = document.getElementById('print-pages');
      holder.innerHTML = svg.map(function(page) { return '<div class="page">' + page + '</div>'; }).join('');
      var pageTitle = document.title;
      document.title = name;
      return new Promise(function(resolve) {
        // Laid out first, then printed; the dialog blocks the page until it closes.
        requestAnimationFrame(function() {
          setTimeout(function() {
            window.print();
            document.title = pageTitle;
            holder.textContent = '';
            resolve();
          }, 0);
        });
      });
    });
  },

  // ---- Sound, clipboard, help

  tm_play_sound__deps: ['tm_stop_sound'],
  tm_play_sound: function(id, samples, byteCount, channels, sampleRate, bitsPerSample, looping) {
    if (!TM.audio) return;
    if (TM.audio.state === 'suspended') TM.audio.resume();
    _tm_stop_sound();
    var source = TM.audio.createBufferSource();
    source.buffer = TM.clip(id, samples, byteCount, channels, sampleRate, bitsPerSample);
    source.loop = !!looping;
    source.connect(TM.audio.destination);
    source.start();
    TM.playing = source;
  },

  tm_stop_sound: function() {
    if (!TM.playing) return;
    try { TM.playing.stop(); } catch (e) {}
    TM.playing = null;
  },

  tm_copy_image: function(rgba, width, height, reason, reasonSize) {
    var pixels = new Uint8ClampedArray(HEAPU8.slice(rgba, rgba + width * height * 4).buffer);
    return Asyncify.handleAsync(function() {
      var fail = function(why) {
        stringToUTF8(why, reason, reasonSize);
        return 0;
      };
      if (!navigator.clipboard || !navigator.clipboard.write || !window.ClipboardItem) {
        return Promise.resolve(fail('this browser does not let pages put pictures on the clipboard'));
      }
      var canvas = document.createElement('canvas');
      canvas.width = width;
      canvas.height = height;
      canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
      var png = new Promise(function(resolve) { canvas.toBlob(resolve, 'image/png'); });
      return navigator.clipboard.write([new ClipboardItem({'image/png': png})]).then(function() {
        return 1;
      }, function(e) {
        return fail(e.name === 'NotAllowedError' ? 'the browser did not allow it' : e.message);
      });
    });
  },

  // Help opens beside the board where the page has room, else below it; Escape closes it.
  tm_show_help: function(html, length) {
    var text = UTF8ToString(html, length);
    var help = document.getElementById('help');
    if (!help) {
      help = TM.element('dialog', 'help');
      help.id = 'help';
      var bar = TM.element('div', 'caption', 'Trussmill Help');
      var close = TM.element('button', 'close', '\u00d7');
      close.type = 'button';
      close.title = 'Close';
      close.setAttribute('aria-label', 'Close help');
      close.addEventListener('click', function() { TM.closeHelp(); });
      bar.appendChild(close);
      help.appendChild(bar);
      var frame = TM.element('iframe');
      frame.title = 'Trussmill Help';
      frame.addEventListener('load', function() {
        frame.contentDocument.addEventListener('keydown', TM.helpKey);
      });
      help.appendChild(frame);
      help.addEventListener('keydown', TM.helpKey);
      document.getElementById('desk').appendChild(help);
    }
    help.querySelector('iframe').srcdoc = text;
    if (!help.open) help.show();
    TM.placePanels();
    help.scrollIntoView({block: 'nearest'});
  },

  // ---- What outlives a run, as byte strings in the site's storage

  tm_stored_size: function(kind, name) {
    try {
      var kept = localStorage.getItem(TM.storageKey(kind, name));
      return kept === null ? -1 : kept.length;
    } catch (e) {
      return -1;
    }
  },

  tm_stored_copy: function(kind, name, out, size) {
    var kept = '';
    try { kept = localStorage.getItem(TM.storageKey(kind, name)) || ''; } catch (e) {}
    TM.textToBytes(kept, HEAPU8.subarray(out, out + size));
  },

  tm_store: function(kind, name, contents, size) {
    var text = TM.bytesToText(HEAPU8.subarray(contents, contents + size));
    try {
      localStorage.setItem(TM.storageKey(kind, name), text);
      return 1;
    } catch (e) {
      return 0;
    }
  },

  tm_remove_stored: function(kind, name) {
    try { localStorage.removeItem(TM.storageKey(kind, name)); } catch (e) {}
  },

  // The names kept of a kind, a line each, into out (at most size bytes with the terminator);
  // returns the bytes all of them need.
  tm_stored_names: function(kind, out, size) {
    var prefix = TM.storageKey(kind, 0);
    var names = [];
    try {
      for (var i = 0; i < localStorage.length; ++i) {
        var key = localStorage.key(i);
        if (key.indexOf(prefix) === 0) names.push(key.slice(prefix.length));
      }
    } catch (e) {}
    var text = names.join('\n');
    stringToUTF8(text, out, size);
    return lengthBytesUTF8(text) + 1;
  },

  // ---- Start-up

  // With Web Locks, one tab holds the program's lock while it runs, and a later one is refused. Pages
  // served over plain http have none: there every tab runs, under a tag of its own (see
  // tm_instance_tag), and learns which other tabs run from their answers on a channel.
  tm_instance_running: function() {
    return Asyncify.handleAsync(function() {
      if (!navigator.locks) {
        var bytes = new Uint8Array(4);
        crypto.getRandomValues(bytes);
        TM.tag = 'tab-' + Array.prototype.map.call(bytes, function(b) { return (b + 256).toString(16).slice(1); }).join('');
        if (!window.BroadcastChannel) return Promise.resolve(0);
        TM.running = {};
        TM.presence = new BroadcastChannel('trussmill-tabs');
        TM.presence.onmessage = function(e) {
          if (e.data === 'who runs?') TM.presence.postMessage({runs: TM.tag});
          else if (e.data && typeof e.data.runs === 'string') TM.running[e.data.runs] = true;
        };
        TM.presence.postMessage('who runs?');
        return new Promise(function(resolve) { setTimeout(function() { resolve(0); }, 300); });
      }
      return new Promise(function(resolve) {
        navigator.locks.request('trussmill-program', {ifAvailable: true}, function(lock) {
          if (!lock) {
            TM.refused = true;
            resolve(1);
            return;
          }
          resolve(0);
          // Held while the program runs: until it ends or the page goes.
          return new Promise(function(release) { TM.releaseLock = release; });
        });
      });
    });
  },

  tm_instance_tag: function(out, size) {
    stringToUTF8(TM.tag || '', out, size);
  },

  // 0 when the tab that had this tag has surely ended: it did not answer at start-up.
  tm_instance_may_run: function(tag) {
    return !TM.running || TM.running[UTF8ToString(tag)] ? 1 : 0;
  },

  tm_startup_file: function(parameter, maxBytes, out, outSize, reason, reasonSize) {
    if (!TM.maxBytes) {
      TM.maxBytes = maxBytes;
      try { TM.restoreKeptFiles(); } catch (e) {}
    }
    var wanted = new URLSearchParams(location.search).get(UTF8ToString(parameter));
    if (!wanted) return 0;
    return Asyncify.handleAsync(function() {
      // On failure out names the file as the address did, and reason says why.
      var fail = function(why) {
        stringToUTF8(wanted, out, outSize);
        stringToUTF8(why, reason, reasonSize);
        return -1;
      };
      var url;
      try {
        url = new URL(wanted, location.href);
      } catch (e) {
        return Promise.resolve(fail('it is not an address'));
      }
      if (url.origin !== location.origin) return Promise.resolve(fail('it is not on this site'));
      return fetch(url, {credentials: 'same-origin'}).then(function(response) {
        if (!response.ok) {
          return fail('the server answered ' + (response.status + ' ' + response.statusText).trim());
        }
        return response.blob().then(function(blob) {
          var file = new File([blob], TM.safeName(TM.lastPart(url.pathname), 'BRIDGE.BRG'));
          return TM.storeFile(file, maxBytes, null).then(function(path) {
            stringToUTF8(path, out, outSize);
            return 1;
          });
        });
      }, function(e) {
        return fail(TM.whyNotFetched(e));
      }).catch(function(e) {
        return fail(e.message || String(e));
      });
    });
  },
};

autoAddDeps(TrussmillLibrary, '$TM');
mergeInto(LibraryManager.library, TrussmillLibrary);
