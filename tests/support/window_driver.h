// Driving real windows from a test: their texts and children, a button by its
// caption, an action on the dialog shown next (from inside its modal loop), and the
// messages of a moment.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/scripted_interaction.h"

std::string TextOf(HWND hwnd);
std::string ClassOf(HWND hwnd);
std::vector<HWND> Children(HWND parent);
// The button (or check box, radio button) with this caption, or null.
HWND ButtonOf(HWND form, const std::string& caption);
void Click(HWND form, const std::string& caption);
// Runs action on the program's form shown next, from inside its modal loop; or on the
// next window of another class ("#32770": the system's file dialogs).
void WhenShown(std::function<void(HWND)> action, const std::string& windowClass = "QuitawayForm");
// Lets the messages of the next 50 ms run (timers included).
void Settle();
// Presses the button as soon as it is enabled and messages run (a cancel button in the
// middle of a search that lets messages run).
void PressWhenEnabled(HWND button);

// The scripted interaction that lets the window's messages run when the program does.
struct PumpingInteraction : ScriptedInteraction {
  void ProcessMessages() override;
};
