#pragma once
// Message boxes. The window installs a handler that shows real boxes; without one (command-line
// mode, no window system) the text is printed on the console. A question is then asked on the
// console when a person is at the terminal; otherwise it gets the answer that the asking flow
// chose for unattended runs, and nothing waits.

#include <cstdio>
#include <functional>
#include <string>

enum class MessageBoxButtons { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo };

using MessageBoxHandler = std::function<MessageBoxAnswer(
    const std::string& text, const std::string& caption, MessageBoxButtons buttons)>;

// Shows a box; consoleAnswer is what a question yields when no window can ask it.
MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons = MessageBoxButtons::kOk,
                                MessageBoxAnswer consoleAnswer = MessageBoxAnswer::kOk);

// Installs (or, with an empty handler, removes) the window's handler.
void SetMessageBoxHandler(MessageBoxHandler handler);

// The console's form of a question: text and " [y/N] " on out, one line read from in; "y" or
// "yes" in any letter case is Yes, anything else (an empty line, end of input) is No.
[[nodiscard]] MessageBoxAnswer AskOnConsole(const std::string& text, std::FILE* in, std::FILE* out);
