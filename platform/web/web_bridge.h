// The functions of the page that the browser shell calls, implemented in trussmill_library.js.
// Those marked "suspends" return to the browser while they wait (Asyncify), so the page keeps
// painting and answering; to the C++ caller they are ordinary blocking calls. Strings are UTF-8;
// out-buffers are always terminated.
#pragma once

#include <cstdint>

extern "C" {

// ---- The board and the menu

// Sets the page title, builds the menu bar from menuJson (see WebShell::menuJson) and sizes the
// board canvas to width x height pixels.
void tm_create_window(const char* title, const char* menuJson, int width, int height);
void tm_resize_board(int width, int height);
void tm_set_title(const char* title);
// Puts width x height RGBA pixels (row by row, no padding) on the board at (x, y).
void tm_present(const uint8_t* rgba, int x, int y, int width, int height);
// The board and the menu go away; the page says that the program has ended once tm_program_ended
// follows.
void tm_close_window();
void tm_program_ended(int exitCode);
void tm_set_check(int command, int checked);
void tm_enable_item(int command, int enabled);
// An empty text hides the item; '&' marks the mnemonic.
void tm_set_item_text(int command, const char* text, const char* tip);
void tm_set_item_tip(int command, const char* tip);
// Shows the assignment in force above the board, with a button that sends closeCommand; "" takes
// it away.
void tm_show_assignment(const char* title, int closeCommand);
// Shows each board pixel as scale x scale pixels of the screen's whole scale.
void tm_set_board_scale(int scale);
// The largest such scale (1 to maxScale) at which the board and the menu bar fit in the page.
int tm_largest_board_scale(int maxScale);
void tm_set_wait_cursor(int wait);
// Whether leaving the page would lose work (the page then asks first).
void tm_set_unsaved_work(int unsaved);

// ---- The views of the results beside the board (none of them suspends)

// Opens the member table's panel, or fills it anew keeping the user's sort order, scroll and focus;
// contentsJson is WebShell::memberTableJson's. The selected row is brought into view.
void tm_show_member_table(const char* contentsJson);
// Moves the table's selection to member's row (0: none) without queueing anything.
void tm_select_table_row(int member);
// Closes the table's panel if it is open, queueing nothing.
void tm_close_member_table();
// Shows width x height RGBA pixels (row by row, no padding) in the picture window under title,
// replacing the picture shown before.
void tm_show_picture(const char* title, const uint8_t* rgba, int width, int height);

// ---- What a screen reader is told

// The board's accessible name.
void tm_describe_board(const char* summary);
// Into the page's polite live region.
void tm_announce(const char* text);
// 1 when the user asked for reduced motion.
int tm_prefers_reduced_motion();

// ---- Input

// Takes the oldest input of the page's queue into record (kind, a, b, c) and, for a dropped file,
// its path into path. Returns 0 when the queue is empty.
int tm_poll_input(int32_t* record, char* path, int pathSize);
// Suspends until the page's queue holds input, or at most milliseconds when that is positive.
void tm_wait_input(int milliseconds);

// ---- Time

double tm_now_ms();  // milliseconds since the page was opened, with fractions
// Suspends for about this many milliseconds (a browser timer, never early).
void tm_sleep(int milliseconds);
// year, month, day, hour, minute, second of the local time.
void tm_local_time(int32_t* fields);

// ---- Dialogs (each suspends until the user answers)

// Returns 1 for OK, 2 Yes, 3 No, 4 Cancel.
int tm_message_box(const char* text, const char* caption, int icon, int buttons, int defaultButton);
// 1 when the page was served by a contest server (suspends until the page knows, a few seconds at
// most).
int tm_reaches_contest_server();
// Asks for the class code, team name and PIN, filled in with these (an empty code with the one of
// the contest's link the page was opened from); the three as typed go to out, one a line.
// Returns 0 when cancelled.
int tm_contest_dialog(const char* classCode, const char* team, const char* pin, char* out, int outSize);
// Posts the bridge text to the contest and waits (30 s at most) for the answer, which goes to out
// as lines: reached (0 or 1), the HTTP status, the error, the verdict, the weight, the rank (0 for
// none), best (0 or 1), the broken rules and the similar teams (each list separated by U+001F).
// Without an answer only the first three lines are there.
void tm_submit_to_contest(const char* classCode, const char* team, const char* pin, const char* bridge,
                          char* out, int outSize);
// The browser's file picker. The chosen file (at most maxBytes + 1 of its bytes: enough for the
// reader to refuse a longer one) is copied into the in-memory file system, whose path goes to out.
// Returns 0 when cancelled.
int tm_open_file_dialog(const char* accept, const char* description, int maxBytes, char* out, int outSize);
// A place to save to: a file the user picks where the browser lets a page write files, otherwise a
// name for a download. The path in the in-memory file system goes to out; whatever the program
// writes in its folder goes to that place through tm_deliver_file. Returns 0 when cancelled.
int tm_save_file_dialog(const char* proposedName, const char* description, const char* extension, char* out,
                        int outSize);
// Hands the file at path in the in-memory file system to where its folder leads: the file the user
// picked, or a download. Returns 1 when done; otherwise the reason goes to reason.
int tm_deliver_file(const char* path, char* reason, int reasonSize);
// The pages (SVG documents, pageCount of them back to back, each ending with a 0 byte) into the
// browser's print dialog; the page's title is title meanwhile.
void tm_print(const char* title, const char* pages, int pageCount);

// ---- Sound, clipboard, help

// Plays PCM samples (8-bit unsigned or 16-bit signed little-endian), once or looping; id names the
// clip so the page converts it once. Nothing plays before the user's first gesture.
void tm_play_sound(int id, const uint8_t* samples, int byteCount, int channels, int sampleRate,
                   int bitsPerSample, int looping);
void tm_stop_sound();
// Suspends while the picture goes to the clipboard as a PNG. Returns 1 when done; otherwise the
// reason goes to reason.
int tm_copy_image(const uint8_t* rgba, int width, int height, char* reason, int reasonSize);
// Shows an HTML help page beside the board.
void tm_show_help(const char* html, int length);

// ---- What outlives a run: the site's storage in the browser, kind 0 the configuration, 1 the state

// The byte length of what is kept under name, or -1 when nothing is.
int tm_stored_size(int kind, const char* name);
// Copies what is kept under name to out (size bytes, as tm_stored_size said).
void tm_stored_copy(int kind, const char* name, char* out, int size);
// Returns 0 when the browser refuses to keep it (storage full or turned off).
int tm_store(int kind, const char* name, const char* contents, int size);
void tm_remove_stored(int kind, const char* name);

// ---- Start-up

// Suspends until it is known whether another page of this site runs the program (1) or not (0).
// Where that cannot be made sure of (no Web Locks, as on a plain http site), 0, and the page runs
// under a tag of its own.
int tm_instance_running();
// The page's tag into out ("" when tm_instance_running could make sure).
void tm_instance_tag(char* out, int size);
// 0 when the page that had this tag has surely ended; 1 while it runs or when that cannot be told.
int tm_instance_may_run(const char* tag);
// The names kept of a kind, a line each, into out (size bytes, terminated); returns the bytes all
// of them need with the terminator, so a larger out can be tried.
int tm_stored_names(int kind, char* out, int size);
// The file the page's address names in its parameter (?open=URL for a bridge, ?assignment=URL),
// fetched into the in-memory file system (at most maxBytes + 1 of it): 1 with its path in out, 0
// when the address names none, -1 when it could not be fetched, with the file as the address
// names it in out and the reason in reason.
int tm_startup_file(const char* parameter, int maxBytes, char* out, int outSize, char* reason,
                    int reasonSize);

}  // extern "C"
