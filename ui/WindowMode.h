#pragma once
// GUI mode: the update-station window, run modally.

void RunWindowMode();
