#pragma once

#include <string>

#include "library/tune.h"
#include "tools/json.h"

// Every named field of a record, texts converted for display, arrays whole.
void appendTuneFields(JsonLine& j, const Tune& t);
std::string tuneJson(std::int32_t index, const Tune& t);
