#pragma once
#include <string>
#include <string_view>

// A JSON string literal of UTF-8 text, with quotes and escapes.
std::string JsonQuote(std::string_view utf8);
