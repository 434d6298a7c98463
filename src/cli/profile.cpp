#include "cli/profile.h"

#include <memory>
#include <vector>

#include "cli/settings_document.h"
#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr char kStandardInput[] = "-";
// A configuration document is a few hundred bytes; anything this long is something else.
constexpr std::size_t kDocumentLimit = std::size_t{1} << 20;
constexpr std::size_t kReadChunk = 4096;

}  // namespace

bool read_document(Invocation& call, const std::string& path, std::string& text, std::string& failure) {
    Services& services = call.services;
    if (path == kStandardInput) {
        if (services.terminal.input_is_terminal()) {
            services.terminal.tell("lanternbook set: reading the choices from standard input, a JSON object as "
                                   "'lanternbook show --json' prints it; end with Ctrl-D (Ctrl-Z and Enter on "
                                   "Windows)");
        }
        if (!services.terminal.read_input(text, kDocumentLimit)) {
            failure = "standard input: cannot be read";
            return false;
        }
        return true;
    }
    // The file the user named, reached as named, links and all.
    const std::wstring named = as_named(wide_from_utf8(path));
    const std::size_t cut = named.find_last_of(L"\\/");
    std::unique_ptr<Folder> folder =
        services.files.open_folder(cut == std::wstring::npos ? std::wstring(L".") : named.substr(0, cut == 0 ? 1 : cut));
    std::unique_ptr<File> file =
        folder ? folder->open_file(named.substr(cut + 1), FileAccess::read, FileDisposition::open_existing) : nullptr;
    std::vector<uint8_t> chunk(kReadChunk);
    std::size_t count = 0;
    while (file && text.size() <= kDocumentLimit) {
        if (!file->read(chunk.data(), chunk.size(), count)) {
            file.reset();
            break;
        }
        if (count == 0) {
            return true;
        }
        text.append(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count));
    }
    if (file) {
        return true;
    }
    std::string reason = reason_of(services.files);
    uint32_t attributes = 0;
    // Where the folder's open gives no reason, looking the file up tells one (Windows: it is not there).
    if (reason.empty() && services.files.attributes(named, attributes) != Lookup::found) {
        reason = reason_of(services.files);
    }
    failure = path + ": cannot be read" + reason;
    return false;
}

std::optional<std::string> read_choices(const std::string& text, const SystemTime& now, SetRequest& request,
                                        bool defaults_taken) {
    if (text.size() > kDocumentLimit) {
        return std::string("larger than 1 MiB; a configuration is a few hundred bytes");
    }
    return read_settings_document(text, now, request, defaults_taken);
}

std::optional<SetRequest> read_profile(Invocation& call, const std::string& path, Exit& exit) {
    std::string text;
    std::string failure;
    if (!read_document(call, path, text, failure)) {
        exit = call.errors.fail(Exit::io_failure, failure);
        return std::nullopt;
    }
    SetRequest request;
    std::optional<std::string> refusal = read_choices(text, call.services.clock.utc_now(), request, false);
    if (!refusal && !changes_something(request)) {
        refusal = "sets nothing; give at least one of \"data\", \"period\", \"days\", \"from\", \"till\", "
                  "\"range_button\", \"vdo_special_data\"";
    }
    if (refusal) {
        exit = call.errors.fail(Exit::refused, path + ": " + *refusal);
        return std::nullopt;
    }
    return request;
}

}  // namespace lanternbook::cli
