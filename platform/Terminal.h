#pragma once
// Whether a person watches the console: the progress bar goes to standard error only when it
// is a terminal, and a question is asked on the console only when standard input is one too.

[[nodiscard]] bool StderrIsTerminal();
[[nodiscard]] bool StdinIsTerminal();
