#include "platform/Terminal.h"

#include <unistd.h>

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }
bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
