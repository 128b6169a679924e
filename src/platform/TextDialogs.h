#pragma once

#include <string>
#include <vector>

// Modal desktop dialogs that only show text and close with OK.

// Static lines, one under the other.
void ShowAboutWindow(const std::string& caption, const std::vector<std::string>& lines);
// A caption line over a read-only, scrollable text.
void ShowTextListWindow(const std::string& caption, const std::string& heading, const std::string& text);
