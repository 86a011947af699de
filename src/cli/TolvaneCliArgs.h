#pragma once

#include "cli/TolvaneCli.h"

#include <map>
#include <set>
#include <string>
#include <vector>

struct TolvaneCli::Args {
    std::vector<std::string> words;            // positional words after the sub-command
    std::map<std::string, std::string> values; // --name VALUE
    std::set<std::string> flags;               // --name
};

// Whole decimal numbers only; no sign, no blanks.
bool CliParseInt(const std::string& text, int& value);
