// The demo's walk-through of the stock-take screen: the warehouse chosen (through the
// scripted chooser), a stock-taking terminal's file imported through the terminal dialog
// and its file dialog, then three barcodes scanned (one twice) with keys as a scanner
// sends them. Played by the screen driver (TScreenDriver::Prepare) before the picture.
#pragma once
#include <functional>
#include <string>

// The steps, one call per timer tick; true once the walk is over (also when a window it
// waits for does not come within ten seconds). TerminalFile: the file to import.
std::function<bool()> MakePdWalk(const std::string& TerminalFile);
