// The page's side of Plimvar's window. The program (the WebAssembly that
// follows this script in plimvar.js) builds the window from its layout table
// and decides everything; this only draws what it is told, measures text,
// asks questions and reports failures. Page and program travel as one file,
// so that the two are always of one release, and the program starts within
// the script, with no second download.

// A list box: one text per row, one row selected, keyboard and screen
// readers as for any list box. Only the rows in view are in the page, so a
// list of tens of thousands of rows scrolls and is replaced at once; the
// program holds the rows and gives each as it comes into view.
class ListBox {
    constructor(element, list) {
        this.element = element;
        this.list = list;
        this.count = 0;
        this.selected = -1;
        // The rows in the page by their number, kept while they stay in view,
        // so that a row clicked or moved to is the same element after.
        this.shown = new Map();
        this.rows = document.createElement('div');
        this.rows.className = 'rows';
        this.rows.setAttribute('role', 'presentation');
        element.append(this.rows);
        element.setAttribute('role', 'listbox');
        element.tabIndex = 0;
        element.addEventListener('scroll', () => this.render());
        element.addEventListener('keydown', (event) => this.key(event));
        element.addEventListener('mousedown', (event) => {
            const row = event.target.closest('.row');
            if (row)
                this.select(Number(row.dataset.row));
        });
    }

    rowHeight() {
        if (!this.height) {
            const probe = document.createElement('div');
            probe.className = 'row';
            probe.textContent = '0';
            this.rows.append(probe);
            // As laid out, in the list's own pixels, whatever the window's zoom.
            this.height = parseFloat(getComputedStyle(probe).height) || 15;
            probe.remove();
        }
        return this.height;
    }

    replaced(count) {
        this.count = count;
        this.selected = -1;
        this.shown.clear();
        this.rows.replaceChildren();
        this.element.scrollTop = 0;
        this.render();
    }

    // The rows in view stay in view and the selected row stays selected,
    // as in a desktop list box.
    inserted(row, count) {
        this.count = count;
        if (this.selected >= row)
            this.selected += 1;
        // The rows from there on read otherwise now.
        // (No destructuring in for-of: Emscripten's optimiser loses it.)
        this.shown.forEach((option, number) => {
            if (number >= row) {
                option.remove();
                this.shown.delete(number);
            }
        });
        this.render();
    }

    select(row) {
        if (this.count === 0)
            return;
        this.selected = Math.max(0, Math.min(this.count - 1, row));
        const height = this.rowHeight();
        const top = this.selected * height;
        if (top < this.element.scrollTop)
            this.element.scrollTop = top;
        else if (top + height > this.element.scrollTop + this.element.clientHeight)
            this.element.scrollTop = top + height - this.element.clientHeight;
        this.render();
    }

    key(event) {
        const page = Math.max(1, Math.floor(this.element.clientHeight / this.rowHeight()) - 1);
        const moves = {
            ArrowDown: this.selected + 1, ArrowUp: Math.max(0, this.selected - 1),
            PageDown: this.selected + page, PageUp: Math.max(0, this.selected - page),
            Home: 0, End: this.count - 1,
        };
        if (event.key in moves) {
            event.preventDefault();
            this.select(moves[event.key]);
        }
    }

    render() {
        // An empty list measures nothing, so that the window starts quickly.
        // An empty list keeps one child, an empty group of rows, for a screen
        // reader that names a list only with the count it finds in its first
        // child (Orca); a full one has its rows as its children.
        this.rows.setAttribute('role', this.count === 0 ? 'group' : 'presentation');
        if (this.count === 0) {
            this.rows.style.height = '0';
            this.shown.clear();
            this.rows.replaceChildren();
            this.element.removeAttribute('aria-activedescendant');
            return;
        }
        const height = this.rowHeight();
        this.rows.style.height = this.count * height + 'px';
        const first = Math.floor(this.element.scrollTop / height);
        const last = Math.min(this.count, first + Math.ceil(this.element.clientHeight / height) + 1);
        this.shown.forEach((option, row) => {
            if (row < first || row >= last) {
                option.remove();
                this.shown.delete(row);
            }
        });
        // From the last up, so that a new row goes in before the one after it.
        let next = null;
        for (let row = last - 1; row >= first; --row) {
            let option = this.shown.get(row);
            if (!option) {
                option = document.createElement('div');
                option.className = 'row';
                option.id = this.element.id + '-row-' + row;
                option.dataset.row = row;
                option.setAttribute('role', 'option');
                option.setAttribute('aria-posinset', row + 1);
                option.textContent = Module.UTF16ToString(Module._plimvar_row(this.list, row));
                this.shown.set(row, option);
                this.rows.insertBefore(option, next);
            }
            option.setAttribute('aria-setsize', this.count);
            option.setAttribute('aria-selected', row === this.selected ? 'true' : 'false');
            option.style.top = row * height + 'px';
            next = option;
        }
        if (this.selected >= first && this.selected < last)
            this.element.setAttribute('aria-activedescendant', this.element.id + '-row-' + this.selected);
        else
            this.element.removeAttribute('aria-activedescendant');
    }
}

// Every question is a dialog of its own, made afresh from the page's
// template, as a desktop program opens a window for each: a screen reader
// tells of each as a dialog it has not met. The steps all follow at once,
// with no pause for a fast typist's keys to fall into, and in the order a
// reader needs, for it says nothing of a focus that leaves a control no
// longer there:
// - an answered dialog stays, modal, until the next one of its command is
//   open over it and has the focus, so that every key typed ahead lands in
//   the dialog it was typed for;
// - the focus goes back to the button that began the command before the
//   command's last dialog goes. Safari never focuses a clicked button, so
//   that is the button pressed, not what had the focus.
let shownDialog = null;

// Tab and Shift+Tab go round the dialog's controls, as in a desktop dialog.
// (WebKitGTK names Shift+Tab's key "Unidentified"; its code is Tab.)
function keepTabInside(event) {
    if (event.key !== 'Tab' && event.code !== 'Tab')
        return;
    const stops = [...event.currentTarget.querySelectorAll('button, textarea')];
    const next = stops.indexOf(document.activeElement) + (event.shiftKey ? -1 : 1);
    if (next < 0 || next >= stops.length) {
        event.preventDefault();
        stops.at(next < 0 ? -1 : 0).focus();
    }
}

// Opens a new dialog from the template, filled in, over the one now open,
// which then goes; resolves, once, with what its finish() is given.
function askInDialog(template, fill) {
    const dialog = document.getElementById(template).content.firstElementChild.cloneNode(true);
    fill((id) => dialog.querySelector('#' + id));
    dialog.addEventListener('keydown', keepTabInside);
    const last = shownDialog;
    // Its names are the new one's now.
    if (last) {
        for (const named of [last, ...last.querySelectorAll('[id]')])
            named.removeAttribute('id');
    }
    document.body.append(dialog);
    // The caret left in the last dialog's field would move, as that goes, to
    // the new dialog's title, which a reader would take for the focus.
    getSelection().removeAllRanges();
    dialog.showModal();
    // Not every engine gives a dialog marked so its own focus.
    if (dialog.autofocus)
        dialog.focus();
    if (last)
        last.remove();
    shownDialog = dialog;
    return new Promise((resolve) => {
        let answered = false;
        dialog.finish = (value) => {
            if (!answered) {
                answered = true;
                resolve(value);
            }
        };
        // Escape, or a dialog closed by the browser, gives the empty answer.
        dialog.addEventListener('cancel', (event) => {
            event.preventDefault();
            dialog.finish('');
        });
    });
}

// The command has ended: the focus back in the window, then its last dialog
// goes.
function closeDialog(back) {
    const dialog = shownDialog;
    shownDialog = null;
    if (!dialog)
        return;
    dialog.close();
    if (back && back.isConnected)
        back.focus();
    dialog.remove();
}

// How long an ended window stays in a screen reader's page after it has
// gone from sight: a reader says nothing of the focus that leaves it for the
// new start's button if it goes at once.
const READER_PAUSE_MS = 100;

const Plimvar = {
    controls: [],
    // By the place of their controls in the window's table.
    lists: {},
    busy: false,

    // The kinds of control as the program's table numbers them.
    setKinds(list, button, textBox, label) {
        this.Kind = { List: list, Button: button, TextBox: textBox, Label: label };
    },

    // Texts go back to the program on its heap, in UTF-16; it frees them.
    toHeap(text) {
        const size = (text.length + 1) * 2;
        const pointer = Module._malloc(size);
        Module.stringToUTF16(text, pointer, size);
        return pointer;
    },

    setCaption(caption) {
        document.title = caption;
        document.getElementById('frmPlimvarTitle').textContent = caption;
    },

    // What the window must fit besides its captions: the page's width, the
    // window's frame, and under a finger the least a target may measure
    // (WCAG 2.5.8). Measured with the window at its own size.
    screen() {
        const frame = document.getElementById('frmPlimvar');
        const client = document.getElementById('client');
        return [document.documentElement.clientWidth, frame.offsetWidth - client.offsetWidth,
                matchMedia('(pointer: coarse)').matches ? 24 : 0];
    },

    // A label names the control labelled, the table's name of it.
    createControl(index, kind, name, caption, accessibleName, command, labelled) {
        const Kind = this.Kind;
        let control;
        if (kind === Kind.List) {
            control = document.createElement('div');
            control.className = 'list';
            this.lists[index] = new ListBox(control, index);
        } else if (kind === Kind.Button) {
            control = document.createElement('button');
            control.type = 'button';
            control.textContent = caption;
            control.addEventListener('click', () => this.press(command, control));
        } else if (kind === Kind.TextBox) {
            // A text area, so that a pasted text keeps its line breaks for
            // the count reading to judge; it reads as one line (WebKit and
            // Firefox say so only with the role given), and Return types
            // none.
            control = document.createElement('textarea');
            control.rows = 1;
            control.wrap = 'off';
            control.spellcheck = false;
            control.setAttribute('role', 'textbox');
            control.setAttribute('aria-multiline', 'false');
            control.addEventListener('keydown', (event) => {
                if (event.key === 'Enter')
                    event.preventDefault();
            });
            this.countBox = control;
        } else {
            control = document.createElement('label');
            control.textContent = caption;
            control.htmlFor = labelled;
        }
        control.id = name;
        if (accessibleName !== caption)
            control.setAttribute('aria-label', accessibleName);
        this.controls[index] = control;
        document.getElementById('client').append(control);
    },

    // What a caption needs in CSS pixels, across or down, with the
    // control's own padding and border.
    captionNeed(index, across) {
        const control = this.controls[index];
        if (control.classList.contains('list'))
            return 0;
        const style = getComputedStyle(control);
        const px = (name) => parseFloat(style[name]) || 0;
        const range = document.createRange();
        range.selectNodeContents(control);
        const text = range.getBoundingClientRect();
        if (across) {
            if (control.tagName === 'TEXTAREA')
                return 0;
            return Math.ceil(text.width + px('paddingLeft') + px('paddingRight') +
                             px('borderLeftWidth') + px('borderRightWidth'));
        }
        const line = style.lineHeight === 'normal' ? text.height : px('lineHeight');
        return Math.ceil(Math.max(line, text.height) + px('paddingTop') + px('paddingBottom') +
                         px('borderTopWidth') + px('borderBottomWidth'));
    },

    place(index, left, top, width, height) {
        // As placed, for a test to hold the drawn control to.
        this.controls[index].dataset.placed = [left, top, width, height].join(' ');
        const style = this.controls[index].style;
        style.left = left + 'px';
        style.top = top + 'px';
        style.width = width + 'px';
        style.height = height + 'px';
    },

    sizeClient(width, height, scale, leastRowHeight) {
        const client = document.getElementById('client');
        client.style.width = width + 'px';
        client.style.height = height + 'px';
        client.style.setProperty('--least-row', leastRowHeight + 'px');
        document.getElementById('frmPlimvar').style.zoom = scale;
        // The font may have changed: each list measures its rows anew.
        for (const list of Object.values(this.lists)) {
            list.height = 0;
            list.render();
        }
    },

    async press(command, button) {
        // One command at a time, as on the desktop.
        if (this.busy)
            return;
        this.busy = true;
        try {
            await Module.ccall('plimvar_press', null, ['number'], [command], { async: true });
        } finally {
            closeDialog(button);
            this.busy = false;
        }
    },

    ask(prompt, title) {
        return askInDialog('inputBoxTemplate', (part) => {
            part('inputBoxTitle').textContent = title;
            part('inputBoxPrompt').textContent = prompt;
            const answer = part('inputBoxAnswer');
            const give = () => answer.closest('dialog').finish(answer.value);
            part('inputBoxOk').addEventListener('click', give);
            part('inputBoxCancel').addEventListener('click', () => answer.closest('dialog').finish(''));
            // Return answers; it must not go on to press the button that
            // opened the dialog once focus is back there.
            answer.addEventListener('keydown', (event) => {
                if (event.key === 'Enter') {
                    event.preventDefault();
                    give();
                }
            });
        });
    },

    report(title, failureName) {
        return askInDialog('reportTemplate', (part) => {
            part('reportTitle').textContent = title;
            part('reportText').textContent = failureName;
            const ok = part('reportOk');
            ok.addEventListener('click', () => ok.closest('dialog').finish());
            ok.closest('dialog').addEventListener('keydown', (event) => {
                if (event.target === event.currentTarget && (event.key === 'Enter' || event.key === ' ')) {
                    event.preventDefault();
                    ok.click();
                }
            });
        });
    },

    // The user's locale, as the browser knows it: its decimal separator and
    // its own digit zero. A language named without a region writes numbers
    // as in the region where it is most spoken ("ar" as in Egypt), as the
    // desktop reads it.
    numberLocale() {
        try {
            const likely = new Intl.Locale(navigator.language).maximize();
            return likely.region ? likely.language + '-' + likely.region : likely.language;
        } catch {
            return undefined;
        }
    },
    decimalSeparator() {
        const parts = new Intl.NumberFormat(this.numberLocale()).formatToParts(1.5);
        const decimal = parts.find((part) => part.type === 'decimal');
        return decimal ? decimal.value : '.';
    },
    zeroDigit() {
        return new Intl.NumberFormat(this.numberLocale(), { useGrouping: false }).format(0);
    },

    countText() {
        return this.countBox.value;
    },
    setCountText(text) {
        this.countBox.value = text;
    },

    rowsReplaced(list, count) {
        this.lists[list].replaced(count);
    },
    rowInserted(list, row, count) {
        this.lists[list].inserted(row, count);
    },

    // The window goes away, as a desktop program's does when it ends; the
    // page then offers only to start it again.
    // The way to a new start takes the focus before the window goes: a
    // screen reader says nothing of a focus that comes from a vanished button.
    // The window is out of sight at once; it leaves a reader's page a moment
    // later, unless a new start has come first.
    end() {
        const ended = document.getElementById('ended');
        const frame = document.getElementById('frmPlimvar');
        ended.hidden = false;
        document.getElementById('startAgain').focus();
        frame.classList.add('ended');
        setTimeout(() => {
            if (!ended.hidden)
                frame.hidden = true;
        }, READER_PAUSE_MS);
    },

    startAgain() {
        Module._plimvar_restart();
        document.getElementById('ended').hidden = true;
        document.getElementById('frmPlimvar').classList.remove('ended');
        document.getElementById('frmPlimvar').hidden = false;
        this.fit();
        this.controls[0].focus();
    },

    // Fits the window to its captions and to the page, measured with the
    // window at its own size.
    fit() {
        document.getElementById('frmPlimvar').style.zoom = '';
        Module._plimvar_fit();
    },

    // The window in place of "Plimvar…", with the first control in the tab
    // order focused, as a desktop program starts.
    start() {
        // Shown first, so that the program measures the captions as drawn.
        document.getElementById('loading').hidden = true;
        document.getElementById('frmPlimvar').hidden = false;
        Module._plimvar_start();
        const refit = () => this.fit();
        // A change of zoom, of the font or of the pointer fits it anew.
        window.addEventListener('resize', refit);
        matchMedia('(pointer: coarse)').addEventListener('change', refit);
        document.fonts.ready.then(refit);
        // The focus once the page has loaded: a reader given it while the
        // page loads tells of the page, never of the control.
        const focusFirst = () => {
            if (document.activeElement === document.body)
                this.controls[0].focus();
            document.documentElement.dataset.ready = 'true';
        };
        if (document.readyState === 'complete')
            focusFirst();
        else
            window.addEventListener('load', focusFirst, { once: true });
    },

    // A start that cannot go on says so, and what to do, in place of
    // "Plimvar…". Where the browser has no WebAssembly, the page has said so.
    failed() {
        if (typeof WebAssembly !== 'object')
            return;
        document.getElementById('frmPlimvar').hidden = true;
        document.getElementById('loading').hidden = false;
        document.getElementById('starting').hidden = true;
        document.getElementById('notStarted').hidden = false;
    },

    // Served from a web server, the page can be installed and kept for use
    // with no network. Opened from a file it works all the same, and says
    // where to open it from for those.
    offerToKeep() {
        if (location.protocol !== 'https:' && location.protocol !== 'http:') {
            document.getElementById('fromFile').hidden = false;
            return;
        }
        const manifest = document.createElement('link');
        manifest.rel = 'manifest';
        manifest.href = 'manifest.webmanifest';
        document.head.append(manifest);
        // After the window is up, so that keeping it costs the start nothing.
        // Kept, so that a test can wait for the registration to settle.
        if ('serviceWorker' in navigator)
            this.keeping = new Promise((resolve) => window.addEventListener('load', () => resolve(
                navigator.serviceWorker.register('service-worker.js', { updateViaCache: 'none' })
                    .catch((error) => console.warn('Plimvar will not start offline:', error.message)))));
    },

    hookStartAgain() {
        document.getElementById('startAgain').addEventListener('click', () => this.startAgain());
    },
};

// The program travels inside this file as base64, which the glue that
// follows decodes a byte at a time in script; where the browser can decode it
// itself, it does, and the window is up sooner.
if (typeof Uint8Array.fromBase64 === 'function')
    intArrayFromBase64 = (text) => Uint8Array.fromBase64(text);

// The style sheet sets this; a page without it cannot draw the window.
const styled = () => getComputedStyle(document.documentElement).getPropertyValue('--plimvar-style') !== '';

// The page and this script are of one release, which the build writes into
// both: a page may come from one and its script from another, as a download
// becomes whole while the page loads.
const RELEASE = '@RELEASE@';

Module.onRuntimeInitialized = () => {
    if (!styled() || document.documentElement.dataset.release !== RELEASE)
        return Plimvar.failed();
    Plimvar.hookStartAgain();
    Plimvar.start();
};
// The program could not be made ready (its part of this file broken, say).
Module.onAbort = () => Plimvar.failed();
Plimvar.offerToKeep();
