// Fills "%s" and "%d" in a message pattern with the given texts, in order.
// "%%" gives a percent sign; a placeholder without an argument stays as it is.
#pragma once

#include <initializer_list>
#include <string>

std::string FormatMsg(const std::string& pattern, std::initializer_list<std::string> args);
