#pragma once
// Whether standard error is a terminal that a person watches (the progress bar goes there only).

[[nodiscard]] bool StderrIsTerminal();
