#include "cli/json_document.h"

namespace lanternbook::cli {
namespace {

constexpr int kJsonIndent = 2;

}  // namespace

nlohmann::ordered_json json_document() {
    nlohmann::ordered_json json;
    json["format"] = kDocumentFormat;
    return json;
}

std::string json_text(const nlohmann::ordered_json& json) {
    // A file name that is no UTF-8 must not stop the document.
    return json.dump(kJsonIndent, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace lanternbook::cli
