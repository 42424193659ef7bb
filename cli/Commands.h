// The console program's commands, on the engine that the dialog uses too.
#pragma once

#include "cli/Arguments.h"
#include "cli/Console.h"

// Runs the parsed command; returns its exit status.
int RunCommand(const Arguments& arguments, Console& console);
