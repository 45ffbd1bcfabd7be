// Reading the comma-separated fields of a command-line operation: each
// reader throws std::invalid_argument with the reason a field is refused.
#pragma once

#include "ops/ColorRef.h"
#include "ops/OperationTable.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

[[noreturn]] void BadField(const std::string& reason);
// The number of fields is one of counts ("needs arguments" / "wrong number of arguments").
void ExpectFields(const std::vector<std::string>& fields, std::initializer_list<size_t> counts);
int64_t IntegerField(const std::string& field, const char* what, int64_t low, int64_t high);
// A finite decimal number from low to high.
double RealField(const std::string& field, const char* what, double low, double high);
// RRGGBB (or #RRGGBB), as people write colours, to a colour reference.
ColorRef ColorField(const std::string& field);
// WxH, both at least one pixel.
void SizeField(const std::string& field, int64_t& width, int64_t& height);
// An operation without fields; refuses any.
BoundOperation NoArguments(const std::vector<std::string>& fields, BoundOperation operation);
