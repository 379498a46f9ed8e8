// How each event of a replay script reaches the program: posted to the headless shell as the user's
// input, or queued as the answer to the next dialog.
#pragma once

#include "cli/replay_script.h"
#include "platform/headless/headless_shell.h"

// Posts or queues one event; the caller pumps the shell's messages. A Png event does nothing here:
// the caller writes the picture once the queue is empty.
void postReplayEvent(HeadlessShell& shell, const ReplayEvent& event);
