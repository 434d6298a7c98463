// The JSON documents the program prints and reads: each an object with
// "format" first.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace lanternbook::cli {

// The version of the documents this program writes and reads.
constexpr int kDocumentFormat = 1;

// An object holding only "format", for a command to fill.
[[nodiscard]] nlohmann::ordered_json json_document();

// A document as the program prints it: UTF-8, indented, one line break at the end.
[[nodiscard]] std::string json_text(const nlohmann::ordered_json& json);

}  // namespace lanternbook::cli
