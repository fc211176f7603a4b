// The demo's walk-through of the stock-take screen, by posted keys and clicks as a person
// gives them: the warehouse chosen in the basic-data selection dialog, two goods added by
// code through the same dialog (marked with Space) and one counted, the bill saved; in the
// terminal dialog a warehouse chosen in the selection dialog and its goods list exported,
// then a stock-taking terminal's file imported; last, three barcodes scanned (one twice)
// as a scanner sends them. Played by the screen driver (TScreenDriver::Prepare) before its
// picture of the screen; each step's window is photographed on the way.
#pragma once
#include <functional>
#include <string>

// The steps, one call per timer tick; true once the walk is over (also when a window it
// waits for does not come within ten seconds). Either end is printed on the standard
// output ("played", or the step where it stopped). TerminalFile: the file to import.
// ShotDir: where the pictures of the steps (pd-1-*.png ...) and the exported goods list
// (pd-export.txt) go; empty: no pictures, the export in the plug-in's folder.
std::function<bool()> MakePdWalk(const std::string& TerminalFile, const std::string& ShotDir);
