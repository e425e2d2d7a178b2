// The command line as the start function reads it: one text joined from the
// program's arguments, switches found by plain case-sensitive substring
// search, and the "options=" key/value pairs.
#pragma once

#include <utility>
#include <vector>

#include "core/String.h"

// Joins argv[1..argc-1] with single blanks; an argument that holds a blank
// or a tab (or is empty) is wrapped in double quotes, except that a switch
// ("-name=value" with the '=' before the first blank) keeps "-name=" in
// front of the quoted value. "" without arguments.
TString JoinCommandLine(int argc, const char* const* argv);

// Plain, case-sensitive substring search anywhere in the text.
bool HasSwitch(const TString& commandLine, const char* switchText);

// The text right after the first occurrence of switchText up to the first
// blank (or the end); "" when the switch is absent or nothing follows it.
// Never reads past the end of the text.
TString WordAfterSwitch(const TString& commandLine, const char* switchText);

// "--cheat": the text from the eighth character after the start of the
// switch (the switch and one separator) up to the first blank; "" when the
// switch is absent or ends the text.
TString CheatCodeOf(const TString& commandLine);

// "options=" pairs in order: while the rest is not empty and does not begin
// with a blank, the key runs to the next '=' (none ends the list); the value
// runs to the next '&', else to the next blank, else to the end; reading goes
// on after the '&' or blank. Empty without the switch.
std::vector<std::pair<TString, TString>> ParseOptions(const TString& commandLine);
